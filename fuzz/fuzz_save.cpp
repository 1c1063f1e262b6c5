// Any bytes as a save for modpaths-inspect to decode. A save that decodes
// must be exactly what the writer makes of the same template and paths,
// unless it holds paths in the 8-bit form an older release wrote; and where
// the search for the list's start finds one, the records must decode from
// there.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/save_file.h"

namespace {

void Check(const std::vector<uint8_t>& save, const modpaths::DecodedSave& decoded) {
  if (!decoded.valid) {
    if (decoded.problemOffset < 0 || static_cast<uint64_t>(decoded.problemOffset) > save.size())
      std::abort();
    return;
  }
  const auto start = static_cast<size_t>(decoded.listOffset);
  if (decoded.paths.size() != static_cast<size_t>(decoded.count)) std::abort();
  if (decoded.eightBitPaths < 0 || decoded.eightBitPaths > decoded.count) std::abort();
  if (decoded.eightBitPaths > 0) return;
  const std::vector<uint8_t> templ(save.begin(), save.begin() + static_cast<long>(start));
  if (modpaths::EncodeModPathsSave(templ, decoded.paths) != save) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> save(data, data + size);
  const modpaths::DecodedSave inferred = modpaths::DecodeModPathsSave(save, std::nullopt);
  if (inferred.listOffset >= 0 && !inferred.valid) std::abort();
  Check(save, inferred);
  // The first byte, when there is one, also stands for a template size.
  if (size > 0) Check(save, modpaths::DecodeModPathsSave(save, data[0]));
  return 0;
}
