#include "steam/running.h"

#include <gtest/gtest.h>

namespace steam {
namespace {

// Whether Steam runs, from the process table as the system gives it and
// the pid Steam's own files name.
TEST(SteamRunning, IsAProcessOfThisUserRunningSteamsOwnExecutable) {
  const std::string steam = "/home/deck/.local/share/Steam/ubuntu12_32/steam";
  struct Row {
    const char* what;
    bool windows;
    std::vector<platform::ProcessEntry> table;
    std::optional<uint32_t> candidate;  // steam.pid, ActiveProcess\pid
    uint32_t running;                   // 0: not running
  } const rows[] = {
      // clang-format off
      {"the real one", false, {{70, true, false, "/usr/bin/bash", {}}, {71, true, false, steam, {}}}, 71, 71},
      {"the 64-bit client", false, {{80, true, false, "/home/deck/.local/share/Steam/steamrt64/steam", {}}}, {}, 80},
      {"a Flatpak's", false, {{90, true, false,
        "/home/deck/.var/app/com.valvesoftware.Steam/.local/share/Steam/ubuntu12_32/steam", {}}}, {}, 90},
      {"a stale pid", false, {{70, true, false, "/usr/bin/bash", {}}}, 4242, 0},
      {"a reused pid: a sleep", false, {{70, true, false, "/usr/bin/sleep", {}}}, 70, 0},
      {"pid 1", false, {{1, false, false, "/usr/lib/systemd/systemd", {}}}, 1, 0},
      {"another user's Steam", false, {{71, false, false, steam, {}}}, 71, 0},
      {"a zombie", false, {{71, true, true, steam, {}}}, 71, 0},
      {"a program merely named steam", false, {{72, true, false, "/usr/games/steam", {}}}, {}, 0},
      {"Windows: steam.exe in this session", true,
       {{56, true, false, "C:\\windows\\system32\\services.exe", {}}, {900, true, false, "C:\\Program Files (x86)\\Steam\\steam.exe", {}}},
       56, 900},
      {"Windows: ActiveProcess names services.exe", true, {{56, true, false, "C:\\windows\\system32\\services.exe", {}}}, 56, 0},
      {"Windows: another session's", true, {{900, false, false, "STEAM.EXE", {}}}, 900, 0},
      // clang-format on
  };
  for (const Row& row : rows) {
    const auto found = RunningSteam(row.table, row.windows, row.candidate);
    EXPECT_EQ(found ? found->pid : 0u, row.running) << row.what;
  }
}

}  // namespace
}  // namespace steam
