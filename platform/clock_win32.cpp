// The local time on Windows.

#include "platform/win32_api.h"


#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/clock.h"

namespace platform {

std::string LocalTimeIso8601() {
  SYSTEMTIME utc, local;
  GetSystemTime(&utc);
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return {};
  FILETIME utcTime, localTime;
  SystemTimeToFileTime(&utc, &utcTime);
  SystemTimeToFileTime(&local, &localTime);
  auto ticks = [](const FILETIME& time) {
    return static_cast<int64_t>((uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime);
  };
  // 100-nanosecond ticks, to whole minutes.
  const int64_t offset = (ticks(localTime) - ticks(utcTime)) / 600000000;
  const int64_t magnitude = offset < 0 ? -offset : offset;
  char text[40];
  std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u%c%02lld:%02lld", local.wYear,
                local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond,
                offset < 0 ? '-' : '+', static_cast<long long>(magnitude / 60),
                static_cast<long long>(magnitude % 60));
  return text;
}

}  // namespace platform
