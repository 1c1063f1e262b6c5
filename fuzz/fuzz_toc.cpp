// Any bytes as a container's table of contents: loaded from a file as the
// tool loads one, then handed to the path extraction. Beyond not crashing,
// a file that loads without running short must write back to bytes that
// load and write back to themselves.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "extract/package_paths.h"
#include "iostore/toc_resource.h"

namespace {

std::string TemporaryPath(const char* suffix) {
  const char* folder = std::getenv("TMPDIR");
  return std::string(folder && *folder ? folder : "/tmp") + "/fuzz_toc." +
         std::to_string(getpid()) + suffix;
}

const std::string kInput = TemporaryPath(".utoc");
const std::string kWritten = TemporaryPath(".written.utoc");

void Store(const uint8_t* data, size_t size, const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);
}

std::vector<uint8_t> Slurp(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) std::abort();
  int c;
  while ((c = std::fgetc(file)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
  std::fclose(file);
  return bytes;
}

// Loads `path`; true when the whole layout was there.
bool Load(const std::string& path, IoStore::FIoStoreTocResource& toc) {
  Tessel::SerializeContext context;
  context.Open(path, Tessel::OpenMode::Read);
  toc.Serialize(&context);
  return !context.serializer->IsFailed();
}

void Save(IoStore::FIoStoreTocResource toc, const std::string& path) {
  Tessel::SerializeContext context;
  context.Open(path, Tessel::OpenMode::Write);
  toc.Serialize(&context);
  context.serializer->Close();
  if (context.serializer->IsFailed()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Store(data, size, kInput);

  IoStore::FIoStoreTocResource toc;
  toc.LoadFromFile(kInput);
  const std::vector<std::string> paths = modpaths::ExtractPackagePaths(toc);
  (void)paths;

  IoStore::FIoStoreTocResource whole;
  if (Load(kInput, whole)) {
    Save(whole, kWritten);
    const std::vector<uint8_t> first = Slurp(kWritten);
    IoStore::FIoStoreTocResource again;
    if (!Load(kWritten, again)) std::abort();
    Save(again, kWritten);
    if (Slurp(kWritten) != first) std::abort();
  }
  return 0;
}
