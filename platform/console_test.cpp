#include "platform/console.h"

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
  }
}

}  // namespace
}  // namespace platform
