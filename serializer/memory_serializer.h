#pragma once

#include <cstring>

#include "serializer/serializer.h"

namespace Tessel {

// The memory kinds fail exactly as the disk kinds do (see BaseSerializer),
// so that records and their tests, and the fuzz targets, need no files.
class MemorySerializer : public BaseSerializer {
 public:
  using BaseSerializer::BaseSerializer;
  int64_t Tell() override { return failed_ ? -1 : position_; }
  void Seek(int64_t position) override;
  bool IsFailed() const override { return failed_; }
  const StreamFailure& Failure() const override { return failure_; }
  void Close() override;

 protected:
  void Fail(FailureKind kind, int64_t value = 0, std::string_view what = {}, int64_t needed = -1);

  int64_t position_ = 0;
  bool failed_ = false;
  bool closed_ = false;
  StreamFailure failure_;
};

// Reads a span of bytes it does not own.
class MemoryReader final : public MemorySerializer {
 public:
  MemoryReader(const uint8_t* data, uint64_t size)
      : MemorySerializer(Kind::MemoryReader), data_(data), size_(size) {}

  int64_t GetSize() override { return failed_ ? -1 : static_cast<int64_t>(size_); }
  void Serialize(void* data, uint64_t size, bool allowSwap) override {
    if (swapBytes && allowSwap) {
      ReadSwapped(data, size);
    } else if (!failed_ && size <= Remaining()) {
      // Nothing is addressed for nothing: the position may lie past the end.
      if (size == 1) {
        *static_cast<uint8_t*>(data) = data_[position_];
      } else if (size > 0) {
        std::memcpy(data, data_ + position_, static_cast<size_t>(size));
      }
      position_ += static_cast<int64_t>(size);
    } else {
      ReadShort(data, size);
    }
  }
  bool CanHold(int64_t count, uint64_t itemSize, std::string_view what) override;
  uint64_t BytesLeft() override { return failed_ ? 0 : Remaining(); }

 private:
  uint64_t Remaining() const {
    const auto position = static_cast<uint64_t>(position_);
    return closed_ || position >= size_ ? 0 : size_ - position;
  }
  void ReadShort(void* data, uint64_t size);

  const uint8_t* data_;
  uint64_t size_;
};

// Writes into a buffer it does not own, emptied when the writer is made.
class MemoryWriter final : public MemorySerializer {
 public:
  explicit MemoryWriter(std::vector<uint8_t>* output)
      : MemorySerializer(Kind::MemoryWriter), output_(output) {
    output_->clear();
  }

  int64_t GetSize() override { return 0; }
  void Serialize(void* data, uint64_t size, bool allowSwap) override {
    if (swapBytes && allowSwap) {
      WriteSwapped(data, size);
    } else if (!failed_ && !closed_ && static_cast<uint64_t>(position_) == output_->size()) {
      const auto* bytes = static_cast<const uint8_t*>(data);
      if (size == 1) {
        output_->push_back(*bytes);
      } else if (size > 0) {
        output_->insert(output_->end(), bytes, bytes + size);
      }
      position_ += static_cast<int64_t>(size);
    } else {
      WriteElsewhere(data, size);
    }
  }
  bool CanHold(int64_t, uint64_t, std::string_view) override { return true; }
  uint64_t BytesLeft() override { return UINT64_MAX; }

 private:
  // A write after a Seek back, or on a failed or closed writer.
  void WriteElsewhere(const void* data, uint64_t size);

  std::vector<uint8_t>* output_;
};

}  // namespace Tessel
