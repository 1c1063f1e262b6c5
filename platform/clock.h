#pragma once

// The time, as the record of runs writes it (clock_win32.cpp,
// clock_posix.cpp).

#include <string>

namespace platform {

// The local time now, as ISO 8601 with its offset from UTC:
// "2026-12-08T23:58:14+01:00".
std::string LocalTimeIso8601();

}  // namespace platform
