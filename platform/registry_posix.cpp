// POSIX has no registry.

#include "platform/registry.h"

namespace platform {

std::optional<std::string> RegistryText(bool, const std::string&, const std::string&) {
  return std::nullopt;
}

std::optional<uint32_t> RegistryNumber(bool, const std::string&, const std::string&) {
  return std::nullopt;
}

}  // namespace platform
