#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "serializer/buffered_file.h"

namespace Tessel {

// Moves bytes between records and a file. Records call Serialize once per
// field; the kind of serializer decides the direction.
class BaseSerializer {
 public:
  virtual ~BaseSerializer() = default;

  virtual int64_t GetSize() = 0;
  virtual int64_t Tell() = 0;
  virtual void Seek(int64_t position) = 0;
  virtual void Serialize(void* data, uint64_t size, bool allowSwap) = 0;
  virtual void Close() = 0;

  // Whether the stream has failed: an open that did not succeed, a read past
  // the end, a refused count, a failed write or close. It never recovers.
  virtual bool IsFailed() const = 0;
  virtual const StreamFailure& Failure() const = 0;

  // Loading a count or a length from a file must not allocate more than the
  // rest of the file could fill. A reader answers whether `count` items of
  // `itemSize` bytes each still fit in the file; when they do not, or the
  // count is negative, it fails the stream exactly as a read past the end
  // would, naming `what` in the failure. A writer always agrees.
  virtual bool CanHold(int64_t count, uint64_t itemSize, std::string_view what = {}) = 0;

  bool swapBytes = false;
};

// The two kinds share one stream type and its position.
class DiskSerializer : public BaseSerializer {
 public:
  int64_t Tell() override { return file.Tell(); }
  void Seek(int64_t position) override { file.Seek(position); }
  bool IsFailed() const override { return file.IsFailed(); }
  const StreamFailure& Failure() const override { return file.Failure(); }

  BufferedFile file;
};

class DiskReader final : public DiskSerializer {
 public:
  int64_t GetSize() override { return file.Size(); }
  // Inline, so that callers who know they hold a DiskReader get each
  // one-byte transfer down to a copy from the stream's buffer.
  void Serialize(void* data, uint64_t size, bool allowSwap) override {
    if (swapBytes && allowSwap) {
      SerializeSwapped(data, size);
    } else {
      file.Read(data, size);
    }
  }
  void Close() override { file.Close(false); }
  bool CanHold(int64_t count, uint64_t itemSize, std::string_view what = {}) override;

 private:
  void SerializeSwapped(void* data, uint64_t size);
};

class DiskWriter final : public DiskSerializer {
 public:
  int64_t GetSize() override { return 0; }
  void Serialize(void* data, uint64_t size, bool allowSwap) override {
    if (swapBytes && allowSwap) {
      SerializeSwapped(data, size);
    } else {
      file.Write(data, size);
    }
  }
  // The bytes reach the disk before Close returns, so that a file that
  // closed without failing can safely replace another.
  void Close() override { file.Close(true); }
  bool CanHold(int64_t, uint64_t, std::string_view = {}) override { return true; }

 private:
  // Writes a reversed copy; the caller's bytes stay as they are.
  void SerializeSwapped(void* data, uint64_t size);
};

enum class OpenMode { Read = 0, Write = 1 };

// Told where the named parts of a layout begin, for tools that show a file's
// structure. The tool itself passes none.
class SerializeObserver {
 public:
  virtual ~SerializeObserver() = default;
  // `offset` is -1 once the stream has failed.
  virtual void Section(std::string_view name, int64_t offset) = 0;
};

// What every record's Serialize is given: one serializer on one file.
class SerializeContext {
 public:
  SerializeContext() = default;
  ~SerializeContext();
  SerializeContext(const SerializeContext&) = delete;
  SerializeContext& operator=(const SerializeContext&) = delete;

  // A failed open is not reported here: the serializer then exists with its
  // stream in the failed state.
  void Open(std::string path, OpenMode mode);

  std::unique_ptr<BaseSerializer> serializer;
  bool isLoading = false;
  bool isSaving = false;
  std::string name = "none";
  SerializeObserver* observer = nullptr;
};

// Tells the context's observer, if any, that `name` starts here.
void MarkSection(SerializeContext* context, std::string_view name);

}  // namespace Tessel
