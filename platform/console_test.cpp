#include "platform/console.h"

#include <string>

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(Console, WaitsForEnterOnlyInAWindowADoubleClickMade) {
  struct Row {
    const char* started;
    ConsoleFacts console;
    bool waits, wineTerminal;
  } const rows[] = {
      {"double-clicked on Windows", {1, true, true, false}, true, false},
      {"double-clicked into Windows Terminal", {1, true, false, false}, true, false},
      {"from cmd or PowerShell", {2, true, true, false}, false, false},
      {"with its input from a file", {1, false, true, false}, false, false},
      {"under Wine in a Unix terminal", {1, true, false, true}, false, true},
      {"under Wine in a console window of its own", {1, true, true, true}, true, false},
      {"under Wine without a console", {0, false, false, true}, false, false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(WaitsForEnter(row.console), row.waits) << row.started;
    EXPECT_EQ(IsWineTerminal(row.console), row.wineTerminal) << row.started;
    // Only Wine's terminal is widened, to the longest line in characters.
    const std::string line(80, 'x');
    EXPECT_EQ(WidthToShow("short\n" + line + "\xD0\xA9\n", 80, row.console),
              row.wineTerminal ? std::optional<uint32_t>(82) : std::nullopt)
        << row.started;
    EXPECT_EQ(WidthToShow("short\n", 80, row.console), std::nullopt) << row.started;
  }
}

}  // namespace
}  // namespace platform
