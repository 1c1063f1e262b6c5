#pragma once

// The Tessel serializer: the abstract byte mover every record's Serialize
// talks to, the record of why a stream failed, and the context a record is
// given. The kinds live in disk_serializer.h (over a file) and
// memory_serializer.h (over bytes in memory).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Tessel {

// Why a stream failed, for tools that explain it; the tool itself only asks
// whether it did.
enum class FailureKind { None, NotOpened, EndOfFile, Refused, WriteFailed, CloseFailed };

struct StreamFailure {
  FailureKind kind = FailureKind::None;
  int64_t offset = -1;    // position of the transfer or count that failed
  int64_t value = 0;      // Refused: the count or length that was refused
  std::string_view what;  // Refused: what that count or length was
  // The file size the failed read, or the refused count, would have needed;
  // -1 when not known.
  int64_t needed = -1;
  // NotOpened, WriteFailed, CloseFailed on a disk: the system's error code
  // (platform::ErrorText tells it), 0 when there is none.
  int systemError = 0;
};

// Where `count` items of `itemSize` bytes from `position` would end, or
// INT64_MAX when that lies beyond what an int64_t holds.
int64_t EndOfItems(int64_t position, int64_t count, uint64_t itemSize);

// Moves bytes between records and a stream. Records call Serialize once per
// field; the kind of serializer decides the direction. Every kind fails the
// same way: a short read keeps the bytes that came at the start of the
// destination and fails the stream; a failed stream never recovers, moves
// nothing more, and answers -1 to Tell and GetSize; a writer's GetSize is 0;
// closing twice fails the stream.
class BaseSerializer {
 public:
  // Which of the kinds below a serializer is, for the loops that call one
  // directly rather than through this interface (WithConcreteSerializer);
  // Other for any kind they do not know.
  enum class Kind : uint8_t { Other, DiskReader, DiskWriter, MemoryReader, MemoryWriter };

  explicit BaseSerializer(Kind kind = Kind::Other) : kind_(kind) {}
  virtual ~BaseSerializer() = default;

  virtual int64_t GetSize() = 0;
  virtual int64_t Tell() = 0;
  virtual void Seek(int64_t position) = 0;
  virtual void Serialize(void* data, uint64_t size, bool allowSwap) = 0;
  virtual void Close() = 0;

  // Whether the stream has failed: an open that did not succeed, a read past
  // the end, a refused count, a failed write or close.
  virtual bool IsFailed() const = 0;
  virtual const StreamFailure& Failure() const = 0;

  // Loading a count or a length must not allocate more than the rest of the
  // stream could fill. A reader answers whether `count` items of `itemSize`
  // bytes each still fit; when they do not, or the count is negative, it
  // fails the stream as a read past the end would, naming `what` (a
  // literal) in the failure. A writer always agrees.
  virtual bool CanHold(int64_t count, uint64_t itemSize, std::string_view what) = 0;

  // Bytes a reader still has before the end, 0 on a failed stream; a
  // writer has room without end (UINT64_MAX). Asking fails nothing.
  virtual uint64_t BytesLeft() = 0;

  Kind kind() const { return kind_; }

  bool swapBytes = false;

 protected:
  // The byte-order switch of every kind, on top of its plain transfer. A
  // short read leaves the destination as the plain read would; a write
  // sends a reversed copy and leaves the caller's bytes alone.
  void ReadSwapped(void* data, uint64_t size);
  void WriteSwapped(void* data, uint64_t size);

 private:
  const Kind kind_;
};

// CreateNew writes as Write does, into a file that must not exist yet: the
// open claims it, so that no one else writes through the same name.
enum class OpenMode { Read = 0, Write = 1, CreateNew = 2 };

// Told where the named parts of a layout begin, for tools that show a file's
// structure. The tool itself passes none.
class SerializeObserver {
 public:
  virtual ~SerializeObserver() = default;
  // `offset` is -1 once the stream has failed.
  virtual void Section(std::string_view name, int64_t offset) = 0;
};

// What every record's Serialize is given: one serializer on one stream.
class SerializeContext {
 public:
  SerializeContext() = default;
  ~SerializeContext();
  SerializeContext(const SerializeContext&) = delete;
  SerializeContext& operator=(const SerializeContext&) = delete;

  // A file on disk. A failed open is not reported here: the serializer then
  // exists with its stream in the failed state.
  void Open(std::string path, OpenMode mode);
  // Reading `size` bytes at `data`, which must outlive the context.
  void OpenMemory(const uint8_t* data, uint64_t size);
  // Writing into `output`, emptied first, which must outlive the context.
  void OpenMemory(std::vector<uint8_t>* output);

  std::unique_ptr<BaseSerializer> serializer;
  bool isLoading = false;
  bool isSaving = false;
  std::string name = "none";
  SerializeObserver* observer = nullptr;
};

// Tells the context's observer, if any, that `name` starts here. Names are
// literals, which observers may keep.
void MarkSection(SerializeContext* context, std::string_view name);

}  // namespace Tessel
