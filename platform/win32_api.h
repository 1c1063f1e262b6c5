#pragma once

// What the Windows files of the platform layer share: the Windows headers,
// and the crossing between our UTF-8 strings and the wide API.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/path_style.h"
#include "platform/unicode.h"

namespace platform {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");

inline std::wstring ToWide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

inline std::string ToNarrow(const wchar_t* text) {
  return WideToNarrow(reinterpret_cast<const char16_t*>(text));
}

inline std::wstring ForApi(const std::string& path) {
  return ToWide(ExtendedLengthPath(NarrowToWide(path)));
}

inline HANDLE AsHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

inline std::wstring Wide(const std::string& text) { return ToWide(NarrowToWide(text)); }

// The system's own words for an error code.
inline std::string Reason(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string reason = length > 0 ? ToNarrow(text) : "error " + std::to_string(error);
  LocalFree(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' '))
    reason.pop_back();
  return reason;
}

}  // namespace platform
