#include "serializer/memory_serializer.h"

#include <algorithm>

namespace Tessel {

void MemorySerializer::Fail(FailureKind kind, int64_t value, std::string_view what,
                            int64_t needed) {
  if (!failed_) failure_ = {kind, position_, value, what, needed};
  failed_ = true;
}

void MemorySerializer::Seek(int64_t position) {
  if (failed_) return;
  if (position < 0) {
    Fail(FailureKind::EndOfFile);
    return;
  }
  position_ = position;
}

void MemorySerializer::Close() {
  if (closed_) Fail(FailureKind::CloseFailed);
  closed_ = true;
}

void MemoryReader::ReadShort(void* data, uint64_t size) {
  if (!failed_) {
    const uint64_t left = Remaining();
    if (left > 0) std::memcpy(data, data_ + position_, static_cast<size_t>(left));
  }
  Fail(FailureKind::EndOfFile, 0, {}, EndOfItems(position_, static_cast<int64_t>(size), 1));
}

bool MemoryReader::CanHold(int64_t count, uint64_t itemSize, std::string_view what) {
  if (count == 0) return true;
  if (count > 0 && !failed_ &&
      (itemSize == 0 || static_cast<uint64_t>(count) <= Remaining() / itemSize)) {
    return true;
  }
  Fail(FailureKind::Refused, count, what, EndOfItems(position_, count, itemSize));
  return false;
}

void MemoryWriter::WriteElsewhere(const void* data, uint64_t size) {
  if (failed_ || closed_) {
    Fail(FailureKind::WriteFailed);
    return;
  }
  const auto at = static_cast<uint64_t>(position_);
  if (size > output_->max_size() - std::min<uint64_t>(at, output_->max_size())) {
    Fail(FailureKind::WriteFailed);
    return;
  }
  if (size == 0) return;
  if (output_->size() < at + size) output_->resize(static_cast<size_t>(at + size), 0);
  std::memcpy(output_->data() + at, data, static_cast<size_t>(size));
  position_ += static_cast<int64_t>(size);
}

}  // namespace Tessel
