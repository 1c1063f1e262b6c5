// Any bytes as a container's table of contents, read the way the tool
// really reads one: from a file, through the disk reader and its buffered
// stream, here with a buffer of a few bytes so that every refill, seek and
// short read is met. Each transfer is made on the file and on the same
// bytes in memory, and the two must agree on everything: the bytes moved,
// the position, failures and why. Reading only what the index needs (the
// tool's own path) must then end exactly as reading every table does.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "extract/package_paths.h"
#include "iostore/toc_resource.h"
#include "serializer/disk_serializer.h"
#include "serializer/memory_serializer.h"

namespace {

void Agree(bool same) {
  if (!same) std::abort();
}

bool SameFailure(const Tessel::StreamFailure& a, const Tessel::StreamFailure& b) {
  return a.kind == b.kind && a.offset == b.offset && a.value == b.value && a.what == b.what &&
         a.needed == b.needed;
}

// Serves the disk reader's answers after checking each against the memory
// reader's.
class Twin final : public Tessel::BaseSerializer {
 public:
  Twin(const std::string& path, const uint8_t* data, size_t size, uint64_t bufferSize)
      : disk_(bufferSize), memory_(data, size) {
    disk_.Open(path, platform::FileMode::Read);
  }

  int64_t GetSize() override { return Both(disk_.GetSize(), memory_.GetSize()); }
  int64_t Tell() override { return Both(disk_.Tell(), memory_.Tell()); }
  void Seek(int64_t position) override {
    disk_.Seek(position);
    memory_.Seek(position);
    Check();
  }
  void Serialize(void* data, uint64_t size, bool allowSwap) override {
    disk_.swapBytes = memory_.swapBytes = swapBytes;
    std::vector<uint8_t> copy(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
    disk_.Serialize(data, size, allowSwap);
    memory_.Serialize(copy.data(), size, allowSwap);
    Agree(size == 0 || std::memcmp(data, copy.data(), static_cast<size_t>(size)) == 0);
    Check();
  }
  void Close() override {
    disk_.Close();
    memory_.Close();
    Agree(disk_.IsFailed() == memory_.IsFailed());
  }
  bool IsFailed() const override { return disk_.IsFailed(); }
  const Tessel::StreamFailure& Failure() const override { return disk_.Failure(); }
  bool CanHold(int64_t count, uint64_t itemSize, std::string_view what) override {
    const bool held = disk_.CanHold(count, itemSize, what);
    Agree(held == memory_.CanHold(count, itemSize, what));
    Check();
    return held;
  }
  uint64_t BytesLeft() override { return Both(disk_.BytesLeft(), memory_.BytesLeft()); }

 private:
  template <typename T>
  T Both(T a, T b) {
    Agree(a == b);
    return a;
  }
  void Check() {
    Agree(disk_.IsFailed() == memory_.IsFailed() && disk_.Tell() == memory_.Tell() &&
          SameFailure(disk_.Failure(), memory_.Failure()));
  }

  Tessel::DiskReader disk_;
  Tessel::MemoryReader memory_;
};

// Reads the bytes at `path` (which hold `data`) through a twin, in full or
// as the tool does.
Tessel::StreamFailure Read(IoStore::FIoStoreTocResource& toc, const std::string& path,
                           const uint8_t* data, size_t size, bool indexOnly) {
  Tessel::SerializeContext context;
  // A buffer of 1 to 16 bytes, chosen by the input, so that the corpus
  // covers each size.
  context.serializer = std::make_unique<Twin>(path, data, size, size > 0 ? 1 + data[0] % 16 : 1);
  context.isLoading = true;
  if (indexOnly) {
    toc.ReadIndex(&context);
  } else {
    toc.Serialize(&context);
  }
  return context.serializer->Failure();
}

std::vector<uint8_t> SavedIndex(IoStore::FIoStoreTocResource& toc) {
  std::vector<uint8_t> bytes;
  Tessel::SerializeContext context;
  context.OpenMemory(&bytes);
  toc.DirectoryIndex.Serialize(&context);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = [] {
    const char* folder = std::getenv("TMPDIR");
    return std::string(folder ? folder : "/tmp") + "/fuzz_disk." + std::to_string(getpid()) +
           ".utoc";
  }();
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);

  IoStore::FIoStoreTocResource whole, index;
  const Tessel::StreamFailure wholeFailure = Read(whole, path, data, size, false);
  const Tessel::StreamFailure indexFailure = Read(index, path, data, size, true);
  Agree(SameFailure(wholeFailure, indexFailure));
  Agree(whole.NoDirectoryIndex == index.NoDirectoryIndex);
  Agree(SavedIndex(whole) == SavedIndex(index));
  Agree(modpaths::ExtractPackagePaths(whole) == modpaths::ExtractPackagePaths(index));
  return 0;
}
