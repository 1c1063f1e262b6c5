#pragma once

#include "serializer/buffered_file.h"
#include "serializer/serializer.h"

namespace Tessel {

// The two disk kinds share one buffered stream and its position.
class DiskSerializer : public BaseSerializer {
 public:
  DiskSerializer(Kind kind, uint64_t bufferSize) : BaseSerializer(kind), file_(bufferSize) {}
  int64_t Tell() override { return file_.Tell(); }
  void Seek(int64_t position) override { file_.Seek(position); }
  bool IsFailed() const override { return file_.IsFailed(); }
  const StreamFailure& Failure() const override { return file_.Failure(); }

  void Open(const std::string& path, platform::FileMode mode) { file_.Open(path, mode); }

 protected:
  BufferedFile file_;
};

class DiskReader final : public DiskSerializer {
 public:
  explicit DiskReader(uint64_t bufferSize = BufferedFile::kDefaultBufferSize)
      : DiskSerializer(Kind::DiskReader, bufferSize) {}
  int64_t GetSize() override { return file_.Size(); }
  // Inline, so that callers who know they hold a DiskReader get each
  // one-byte transfer down to a copy from the stream's buffer.
  void Serialize(void* data, uint64_t size, bool allowSwap) override {
    if (swapBytes && allowSwap) {
      ReadSwapped(data, size);
    } else {
      file_.Read(data, size);
    }
  }
  void Close() override { file_.Close(false); }
  bool CanHold(int64_t count, uint64_t itemSize, std::string_view what) override {
    if (count == 0) return true;
    if (count > 0 && !file_.IsFailed() &&
        (itemSize == 0 || static_cast<uint64_t>(count) <= file_.Remaining() / itemSize)) {
      return true;
    }
    Refuse(count, itemSize, what);
    return false;
  }
  uint64_t BytesLeft() override { return file_.Remaining(); }

 private:
  void Refuse(int64_t count, uint64_t itemSize, std::string_view what);
};

class DiskWriter final : public DiskSerializer {
 public:
  DiskWriter() : DiskSerializer(Kind::DiskWriter, BufferedFile::kDefaultBufferSize) {}
  int64_t GetSize() override { return 0; }
  void Serialize(void* data, uint64_t size, bool allowSwap) override {
    if (swapBytes && allowSwap) {
      WriteSwapped(data, size);
    } else {
      file_.Write(data, size);
    }
  }
  // The bytes reach the disk before Close returns, so that a file that
  // closed without failing can safely replace another.
  void Close() override { file_.Close(true); }
  bool CanHold(int64_t, uint64_t, std::string_view) override { return true; }
  uint64_t BytesLeft() override { return UINT64_MAX; }
};

}  // namespace Tessel
