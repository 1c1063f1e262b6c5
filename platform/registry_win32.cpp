// The registry on Windows, and Wine's.

#include "platform/win32_api.h"

#include <string>

#include "platform/registry.h"

namespace platform {

std::optional<std::string> RegistryText(bool machine, const std::string& key,
                                        const std::string& value) {
  const std::wstring subkey = Wide(key), name = Wide(value);
  DWORD bytes = 0;
  const HKEY root = machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  if (RegGetValueW(root, subkey.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (RegGetValueW(root, subkey.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, text.data(),
                   &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return ToNarrow(text.c_str());
}

std::optional<uint32_t> RegistryNumber(bool machine, const std::string& key,
                                       const std::string& value) {
  DWORD number = 0, bytes = sizeof number;
  if (RegGetValueW(machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, Wide(key).c_str(),
                   Wide(value).c_str(), RRF_RT_REG_DWORD, nullptr, &number, &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return static_cast<uint32_t>(number);
}

}  // namespace platform
