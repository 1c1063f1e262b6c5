// Any bytes as a save for modpaths-inspect to decode. A save that decodes
// must be exactly what the writer makes of the same template and paths.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/save_file.h"

namespace {

// The writer's layout, built in memory: template, count, records, marker.
std::vector<uint8_t> Encode(const uint8_t* templ, size_t templateSize,
                            const std::vector<std::string>& paths) {
  std::vector<uint8_t> bytes(templ, templ + templateSize);
  auto word = [&](int32_t value) {
    uint8_t raw[4];
    std::memcpy(raw, &value, 4);
    bytes.insert(bytes.end(), raw, raw + 4);
  };
  word(static_cast<int32_t>(paths.size()));
  for (const std::string& path : paths) {
    word(static_cast<int32_t>(path.size() + 1));
    bytes.insert(bytes.end(), path.begin(), path.end());
    bytes.push_back(0);
  }
  static const uint8_t kMarker[13] = {5, 0, 0, 0, 'N', 'o', 'n', 'e', 0, 0, 0, 0, 0};
  bytes.insert(bytes.end(), kMarker, kMarker + sizeof kMarker);
  return bytes;
}

void Check(const std::vector<uint8_t>& save, const modpaths::DecodedSave& decoded) {
  if (!decoded.valid) {
    if (decoded.problemOffset < 0 || static_cast<uint64_t>(decoded.problemOffset) > save.size())
      std::abort();
    return;
  }
  const auto start = static_cast<size_t>(decoded.listOffset);
  if (decoded.paths.size() != static_cast<size_t>(decoded.count)) std::abort();
  if (Encode(save.data(), start, decoded.paths) != save) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> save(data, data + size);
  Check(save, modpaths::DecodeModPathsSave(save, std::nullopt));
  // The first byte, when there is one, also stands for a template size.
  if (size > 0) Check(save, modpaths::DecodeModPathsSave(save, data[0]));
  return 0;
}
