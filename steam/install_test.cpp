#include "steam/install.h"

#include <gtest/gtest.h>

#include "fixtures/test_files.h"

namespace steam {
namespace {

TEST(SteamInstall, FolderCandidatesFollowTheRegistryOrTheHome) {
  SteamHints windows{true, {}, "c:/program files (x86)/steam", "C:\\Program Files (x86)\\Steam\\",
                     "C:\\Program Files (x86)"};
  EXPECT_EQ(SteamFolderCandidates(windows),
            (std::vector<std::string>{"c:/program files (x86)/steam", "C:\\Program Files (x86)\\Steam",
                                      "C:\\Program Files (x86)\\Steam"}));
  const std::vector<std::string> linux = SteamFolderCandidates({false, "/home/deck", {}, {}, {}});
  ASSERT_EQ(linux.size(), 7u);
  EXPECT_EQ(linux[0], "/home/deck/.steam/steam");
  EXPECT_EQ(linux[4], "/home/deck/.var/app/com.valvesoftware.Steam/.local/share/Steam");
  EXPECT_EQ(SandboxDataFolder(linux[4]), "/home/deck/.var/app/com.valvesoftware.Steam");
  EXPECT_EQ(SandboxDataFolder(linux[6]), "/home/deck/snap/steam/common");
  EXPECT_EQ(SandboxDataFolder(linux[1]), std::nullopt);
}

TEST(SteamInstall, TheAccountSignedInLastAndItsFolder) {
  auto account = [](const char* id, bool recent, int64_t time) {
    return Account{id, std::to_string(std::stoull(id) - 76561197960265728u), id, "", recent, time};
  };
  const std::vector<Account> both{account("76561198000000001", false, 20),
                                  account("76561198000000002", true, 10)};
  const std::vector<Account> stamped{account("76561198000000001", false, 20),
                                     account("76561198000000002", false, 10)};
  EXPECT_EQ(LastAccount(both, std::nullopt)->steamId, "76561198000000002") << "MostRecent";
  EXPECT_EQ(LastAccount(stamped, std::nullopt)->steamId, "76561198000000001") << "Timestamp";
  EXPECT_EQ(LastAccount(both, 39734273u)->steamId, "76561198000000001") << "ActiveUser";
  EXPECT_EQ(LastAccount(both, 0u)->steamId, "76561198000000002") << "ActiveUser 0: none";
  EXPECT_EQ(LastAccount({}, std::nullopt), std::nullopt);
  EXPECT_EQ(LocalConfigPath("/s", both[0]), "/s/userdata/39734273/config/localconfig.vdf");
}

TEST(SteamInstall, TheGameFromTheCommandSteamHandsTheWrapper) {
  struct Row {
    std::vector<std::string> command;
    std::optional<std::string> tool;
  } const rows[] = {
      {{"D:\\Games\\steamapps\\common\\Hollow Voyage\\HollowVoyage.exe", "-dx11"},
       "D:\\Games\\steamapps\\common\\Hollow Voyage\\HollowVoyage\\Binaries\\Win64"},
      {{"/home/deck/.steam/steam/ubuntu12_32/reaper", "SteamLaunch", "AppId=1234560", "--",
        "/home/deck/.local/share/Steam/steamapps/common/Proton 9.0/proton", "waitforexitandrun",
        "/run/media/mmcblk0p1/steamapps/common/Hollow Voyage/HollowVoyage/Binaries/Win64/"
        "HollowVoyage-Win64-Shipping.exe"},
       "/run/media/mmcblk0p1/steamapps/common/Hollow Voyage/HollowVoyage/Binaries/Win64"},
      {{"/usr/bin/true"}, std::nullopt},
  };
  for (const Row& row : rows) EXPECT_EQ(ToolFolderFromCommand(row.command), row.tool);
}

// libraryfolders.vdf in today's form and in the old one, where the value
// is the path itself; loginusers.vdf with MostRecent, and with Timestamp
// alone as recent Steam writes it.
TEST(SteamInstall, ReadsTheLibrariesAndAccountsSteamLists) {
  using testing_support::MakeFolders;
  using testing_support::WriteFile;
  testing_support::TempDir dir;
  const std::string steam = dir / "Steam";
  for (const char* folder : {"Steam/steamapps", "Steam/config", "Card", "Old"}) MakeFolders(dir / folder);
  struct Row {
    std::string libraryfolders, loginusers;
    std::vector<std::string> libraries;
    const char* last;
  } const rows[] = {
      {"\"libraryfolders\" { \"contentstatsid\" \"1\" \"0\" { \"path\" \"" + steam +
           "\" } \"1\" { \"path\" \"" + dir / "Card" + "\" \"apps\" { \"1234560\" \"1\" } } }",
       "\"users\" { \"76561198000000001\" { \"AccountName\" \"a\" \"MostRecent\" \"1\" "
       "\"Timestamp\" \"1\" } \"76561198000000002\" { \"AccountName\" \"b\" \"Timestamp\" \"9\" } }",
       {steam, dir / "Card"}, "a"},
      {"\"LibraryFolders\" { \"TimeNextStatsReport\" \"1\" \"1\" \"" + dir / "Old" + "\" }",
       "\"users\" { \"76561198000000001\" { \"AccountName\" \"a\" \"Timestamp\" \"1\" } "
       "\"76561198000000002\" { \"AccountName\" \"b\" \"Timestamp\" \"9\" } }",
       {steam, dir / "Old"}, "b"},
  };
  for (const Row& row : rows) {
    WriteFile(steam + "/steamapps/libraryfolders.vdf", row.libraryfolders);
    WriteFile(steam + "/config/loginusers.vdf", row.loginusers);
    EXPECT_EQ(Libraries(steam, RealFileSystem()), row.libraries);
    const auto last = LastAccount(Accounts(steam, RealFileSystem()), std::nullopt);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->name, row.last);
  }
}

}  // namespace
}  // namespace steam
