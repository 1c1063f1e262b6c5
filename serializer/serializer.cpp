#include "serializer/serializer.h"

#include <algorithm>
#include <utility>

#include "serializer/disk_serializer.h"
#include "serializer/memory_serializer.h"

namespace Tessel {

void BaseSerializer::ReadSwapped(void* data, uint64_t size) {
  // Into a copy of the destination, so that a short read leaves it as the
  // plain read would: the bytes that came, at its start.
  auto* bytes = static_cast<uint8_t*>(data);
  std::vector<uint8_t> copy(bytes, bytes + size);
  Serialize(copy.data(), size, false);
  if (!IsFailed()) std::reverse(copy.begin(), copy.end());
  std::copy(copy.begin(), copy.end(), bytes);
}

void BaseSerializer::WriteSwapped(void* data, uint64_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  std::vector<uint8_t> reversed(bytes, bytes + size);
  std::reverse(reversed.begin(), reversed.end());
  Serialize(reversed.data(), size, false);
}

int64_t EndOfItems(int64_t position, int64_t count, uint64_t itemSize) {
  if (position < 0 || count < 0) return -1;
  const auto room = static_cast<uint64_t>(INT64_MAX - position);
  if (itemSize != 0 && static_cast<uint64_t>(count) > room / itemSize) return INT64_MAX;
  return position + static_cast<int64_t>(static_cast<uint64_t>(count) * itemSize);
}

void DiskReader::Refuse(int64_t count, uint64_t itemSize, std::string_view what) {
  file_.Fail(FailureKind::Refused, count, what, EndOfItems(file_.Tell(), count, itemSize));
}

void MarkSection(SerializeContext* context, std::string_view name) {
  if (context->observer) context->observer->Section(name, context->serializer->Tell());
}

SerializeContext::~SerializeContext() {
  if (serializer) serializer->Close();
}

void SerializeContext::Open(std::string path, OpenMode mode) {
  isLoading = mode == OpenMode::Read;
  isSaving = !isLoading;
  std::unique_ptr<DiskSerializer> made;
  if (isLoading) {
    made = std::make_unique<DiskReader>();
    made->Open(path, platform::FileMode::Read);
  } else {
    made = std::make_unique<DiskWriter>();
    made->Open(path, mode == OpenMode::CreateNew ? platform::FileMode::CreateNew
                                                 : platform::FileMode::Write);
  }
  serializer = std::move(made);
  name = std::move(path);
}

void SerializeContext::OpenMemory(const uint8_t* data, uint64_t size) {
  isLoading = true;
  isSaving = false;
  serializer = std::make_unique<MemoryReader>(data, size);
  name = "memory";
}

void SerializeContext::OpenMemory(std::vector<uint8_t>* output) {
  isLoading = false;
  isSaving = true;
  serializer = std::make_unique<MemoryWriter>(output);
  name = "memory";
}

}  // namespace Tessel
