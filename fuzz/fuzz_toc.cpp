// Any bytes as a container's table of contents: loaded as the tool loads
// one (through the same records, from memory rather than a file), then
// handed to the path extraction. Beyond not crashing, bytes that load
// without running short must write back to bytes that load and write back
// to themselves.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "extract/package_paths.h"
#include "iostore/toc_resource.h"

namespace {

// True when the whole layout was there.
bool Load(const uint8_t* data, size_t size, IoStore::FIoStoreTocResource& toc) {
  Tessel::SerializeContext context;
  context.OpenMemory(data, size);
  toc.Serialize(&context);
  return !context.serializer->IsFailed();
}

std::vector<uint8_t> Save(IoStore::FIoStoreTocResource toc) {
  std::vector<uint8_t> bytes;
  Tessel::SerializeContext context;
  context.OpenMemory(&bytes);
  toc.Serialize(&context);
  if (context.serializer->IsFailed()) std::abort();
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  IoStore::FIoStoreTocResource toc;
  const bool whole = Load(data, size, toc);
  const std::vector<std::string> paths = modpaths::ExtractPackagePaths(toc);
  (void)paths;

  if (whole) {
    const std::vector<uint8_t> first = Save(toc);
    IoStore::FIoStoreTocResource again;
    if (!Load(first.data(), first.size(), again)) std::abort();
    if (Save(again) != first) std::abort();
  }
  return 0;
}
