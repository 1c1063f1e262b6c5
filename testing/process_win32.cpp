#include "testing/process.h"

namespace testing_support {

std::optional<int> RunInChildWithFileSizeLimit(uint64_t, const std::function<int()>&) {
  return std::nullopt;
}

}  // namespace testing_support
