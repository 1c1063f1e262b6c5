// Standard output on Linux: the bytes as they are.

#include <unistd.h>

#include <cstdio>

#include "platform/console.h"

namespace platform {

void WriteText(std::string_view text, bool toError) {
  std::fwrite(text.data(), 1, text.size(), toError ? stderr : stdout);
}

bool IsConsole(bool error) { return isatty(error ? STDERR_FILENO : STDOUT_FILENO) == 1; }

uint32_t ConsoleWidth(bool) { return 0; }

void SetConsoleWidth(uint32_t, bool) {}

ConsoleFacts DescribeConsole() { return {}; }

}  // namespace platform
