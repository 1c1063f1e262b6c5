#include "serializer/serializer.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace Tessel {
namespace {

constexpr uint64_t kSmallSwap = 16;

void ReverseBytes(uint8_t* bytes, uint64_t size) { std::reverse(bytes, bytes + size); }

}  // namespace

void DiskReader::SerializeSwapped(void* data, uint64_t size) {
  // Read into a copy so that a short read leaves the destination as the
  // plain read would: the bytes that came, at its start.
  std::vector<uint8_t> copy(static_cast<const uint8_t*>(data),
                            static_cast<const uint8_t*>(data) + size);
  file.Read(copy.data(), size);
  if (file.IsFailed()) {
    std::copy(copy.begin(), copy.end(), static_cast<uint8_t*>(data));
    return;
  }
  ReverseBytes(copy.data(), size);
  std::copy(copy.begin(), copy.end(), static_cast<uint8_t*>(data));
}

bool DiskReader::CanHold(int64_t count, uint64_t itemSize, std::string_view what) {
  if (count == 0) return true;
  if (count > 0 && !file.IsFailed() &&
      (itemSize == 0 || static_cast<uint64_t>(count) <= file.Remaining() / itemSize)) {
    return true;
  }
  file.Fail(FailureKind::Refused, count, what);
  return false;
}

void DiskWriter::SerializeSwapped(void* data, uint64_t size) {
  if (size <= kSmallSwap) {
    uint8_t reversed[kSmallSwap];
    std::reverse_copy(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size,
                      reversed);
    file.Write(reversed, size);
    return;
  }
  std::vector<uint8_t> reversed(static_cast<const uint8_t*>(data),
                                static_cast<const uint8_t*>(data) + size);
  ReverseBytes(reversed.data(), size);
  file.Write(reversed.data(), size);
}

void MarkSection(SerializeContext* context, std::string_view name) {
  if (context->observer) context->observer->Section(name, context->serializer->Tell());
}

SerializeContext::~SerializeContext() {
  if (serializer) serializer->Close();
}

void SerializeContext::Open(std::string path, OpenMode mode) {
  std::unique_ptr<DiskSerializer> made;
  if (mode == OpenMode::Read) {
    isLoading = true;
    isSaving = false;
    made = std::make_unique<DiskReader>();
    made->file.Open(path, platform::FileMode::Read);
  } else {
    isLoading = false;
    isSaving = true;
    made = std::make_unique<DiskWriter>();
    made->file.Open(path, platform::FileMode::Write);
  }
  made->swapBytes = false;
  serializer = std::move(made);
  name = std::move(path);
}

}  // namespace Tessel
