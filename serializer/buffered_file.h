#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "serializer/serializer.h"

namespace Tessel {

// The file stream behind the disk serializers: one position, binary
// transfer, a buffer of its own so that the one-byte transfers the records
// make cost a copy rather than a system call, and a failed state that sticks
// until the stream is closed. A stream is opened either for reading or for
// writing, never both.
class BufferedFile {
 public:
  static constexpr uint64_t kDefaultBufferSize = 64 * 1024;

  // A buffer of another size serves tests that want every edge of it met.
  explicit BufferedFile(uint64_t bufferSize = kDefaultBufferSize);
  BufferedFile(const BufferedFile&) = delete;
  BufferedFile& operator=(const BufferedFile&) = delete;

  // A failed open leaves the stream in the failed state.
  void Open(const std::string& path, platform::FileMode mode);

  bool IsFailed() const { return failed_; }
  // The first failure; later ones add nothing.
  const StreamFailure& Failure() const { return failure_; }
  void Fail(FailureKind kind, int64_t value = 0, std::string_view what = {}, int64_t needed = -1);

  // Reads up to size bytes; the bytes that were there are stored at the
  // start of data. Fewer than size fails the stream.
  void Read(void* data, uint64_t size) {
    if (size <= static_cast<uint64_t>(end_ - cursor_)) {
      if (size == 1) {
        *static_cast<uint8_t*>(data) = *cursor_;
      } else if (size > 0) {
        std::memcpy(data, cursor_, static_cast<size_t>(size));
      }
      cursor_ += size;
      return;
    }
    ReadSlow(static_cast<uint8_t*>(data), size);
  }

  // Writes size bytes; on a failed stream they are dropped.
  void Write(const void* data, uint64_t size) {
    if (size <= static_cast<uint64_t>(limit_ - cursor_)) {
      if (size == 1) {
        *cursor_ = *static_cast<const uint8_t*>(data);
      } else if (size > 0) {
        std::memcpy(cursor_, data, static_cast<size_t>(size));
      }
      cursor_ += size;
      return;
    }
    WriteSlow(static_cast<const uint8_t*>(data), size);
  }

  // -1 on a failed stream.
  int64_t Tell() const { return failed_ ? -1 : bufferStart_ + (cursor_ - buffer_.get()); }
  void Seek(int64_t position);

  // Length of a file opened for reading, taken when it was opened (the tool
  // reads files that nothing else changes meanwhile); -1 on a failed stream.
  int64_t Size() const { return failed_ ? -1 : size_; }

  // Bytes between the position and the end of a file opened for reading.
  uint64_t Remaining() const {
    const int64_t position = Tell();
    if (failed_ || writing_ || position >= size_) return 0;
    return static_cast<uint64_t>(size_ - position);
  }

  // Writes out what is buffered and, when sync is set, makes it reach the
  // disk; then closes. Closing what is not open, or any failure on the way,
  // fails the stream.
  void Close(bool sync);

 private:
  void ReadSlow(uint8_t* data, uint64_t size);
  void WriteSlow(const uint8_t* data, uint64_t size);
  bool Flush();

  const uint64_t bufferSize_;
  platform::File file_;
  // Made at the first open; room_ is what this open uses of it.
  std::unique_ptr<uint8_t[]> buffer_;
  uint64_t capacity_ = 0;
  uint64_t room_ = 0;
  bool writing_ = false;
  bool failed_ = true;  // until opened
  StreamFailure failure_{FailureKind::NotOpened, 0, 0, {}};
  int64_t size_ = -1;
  // File offset of buffer_[0].
  int64_t bufferStart_ = 0;
  // Reading: [cursor_, end_) is what is left of the buffered bytes.
  // Writing: [buffer_, cursor_) waits to be written, limit_ ends the buffer.
  uint8_t* cursor_ = nullptr;
  uint8_t* end_ = nullptr;
  uint8_t* limit_ = nullptr;
};

}  // namespace Tessel
