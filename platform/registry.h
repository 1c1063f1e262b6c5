#pragma once

// Windows' registry, where Steam says where it lies and who signed in
// (registry_win32.cpp; registry_posix.cpp has none).

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// A value below HKEY_CURRENT_USER (or HKEY_LOCAL_MACHINE when `machine`),
// such as key "Software\\Valve\\Steam", value "SteamPath"; nothing when it
// is not there or of another type.
std::optional<std::string> RegistryText(bool machine, const std::string& key,
                                        const std::string& value);
std::optional<uint32_t> RegistryNumber(bool machine, const std::string& key,
                                       const std::string& value);

}  // namespace platform
