#include "steam/install.h"

#include <gtest/gtest.h>

#include "fixtures/table_files.h"
#include "fixtures/test_files.h"

namespace steam {
namespace {

using testing_support::TableFiles;

TEST(SteamInstall, FolderCandidatesFollowTheRegistryOrTheHome) {
  SteamHints windows{true, {}, "c:/program files (x86)/steam", "C:\\Program Files (x86)\\Steam\\",
                     "C:\\Program Files (x86)"};
  EXPECT_TRUE(SteamFolderCandidates({true, {}, "", {}, ""}).empty());
  EXPECT_TRUE(SteamFolderCandidates({false, "", {}, {}, {}}).empty());
  EXPECT_EQ(SteamFolderCandidates({false, "/home/deck//", {}, {}, {}})[0].folder, "/home/deck/.steam/steam");
  std::vector<std::string> folders;
  for (const SteamFolder& candidate : SteamFolderCandidates(windows)) folders.push_back(candidate.folder);
  EXPECT_EQ(folders, (std::vector<std::string>{"c:/program files (x86)/steam", "C:\\Program Files (x86)\\Steam",
                                               "C:\\Program Files (x86)\\Steam"}));
  const std::vector<SteamFolder> linux = SteamFolderCandidates({false, "/home/deck", {}, {}, {}});
  ASSERT_EQ(linux.size(), 7u);
  EXPECT_EQ(linux[0].folder, "/home/deck/.steam/steam");
  EXPECT_FALSE(linux[1].sandbox);
  EXPECT_EQ(linux[4].folder, "/home/deck/.var/app/com.valvesoftware.Steam/.local/share/Steam");
  ASSERT_TRUE(linux[4].sandbox && linux[6].sandbox);
  EXPECT_EQ(linux[6].sandbox->data, "/home/deck/snap/steam/common");
  // The paths a Flatpak Steam writes, as they lie outside its sandbox; a
  // Snap's are the real ones.
  const Sandbox& flatpak = *linux[4].sandbox;
  EXPECT_EQ(flatpak.Outside("/home/deck/.local/share/Steam"),
            "/home/deck/.var/app/com.valvesoftware.Steam/.local/share/Steam");
  EXPECT_EQ(flatpak.Outside("/home/deck/.var/app/com.valvesoftware.Steam/modpaths"),
            "/home/deck/.var/app/com.valvesoftware.Steam/modpaths");
  EXPECT_EQ(flatpak.Outside("/run/media/mmcblk0p1"), "/run/media/mmcblk0p1");
  EXPECT_EQ(flatpak.Outside("/home/deckard/x"), "/home/deckard/x");
  EXPECT_EQ(flatpak.Outside("/home/deck"), "/home/deck/.var/app/com.valvesoftware.Steam");
  EXPECT_EQ(linux[6].sandbox->Outside("/home/deck/x"), "/home/deck/x");
}

TEST(SteamInstall, TheAccountSignedInLastOrTheOneNamed) {
  auto account = [](const char* id, const char* name, const char* persona, bool recent, int64_t time) {
    return Account{id, std::to_string(std::stoull(id) - 76561197960265728u), name, persona, recent, time};
  };
  const std::vector<Account> both{account("76561198000000001", "kid", "Sam", false, 20),
                                  account("76561198000000002", "parent", "Sam", true, 10)};
  const std::vector<Account> stamped{account("76561198000000001", "a", "", false, 20),
                                     account("76561198000000002", "b", "", false, 10)};
  EXPECT_EQ(LastAccount(both, std::nullopt)->steamId, "76561198000000002") << "MostRecent";
  EXPECT_EQ(LastAccount(stamped, std::nullopt)->steamId, "76561198000000001") << "Timestamp";
  EXPECT_EQ(LastAccount(both, 39734273u)->steamId, "76561198000000001") << "ActiveUser";
  EXPECT_EQ(LastAccount(both, 0u)->steamId, "76561198000000002") << "ActiveUser 0: none";
  EXPECT_EQ(LastAccount({}, std::nullopt), std::nullopt);
  EXPECT_EQ(LocalConfigPath("/s", both[0]), "/s/userdata/39734273/config/localconfig.vdf");
  struct Row {
    const char* name;
    const char* chosen;  // nothing: none chosen
    size_t matches;
  } const rows[] = {
      {"parent", "76561198000000002", 1}, {"PARENT", "76561198000000002", 1},
      {"39734273", "76561198000000001", 1}, {"76561198000000002", "76561198000000002", 1},
      {"Sam", nullptr, 2},  // a persona two accounts share
      {"nobody", nullptr, 0},
  };
  for (const Row& row : rows) {
    const AccountChoice choice = AccountNamed(both, row.name);
    EXPECT_EQ(choice.account ? choice.account->steamId : "", row.chosen ? row.chosen : "") << row.name;
    EXPECT_EQ(choice.matches.size(), row.matches) << row.name;
  }
}

// Each shape of the command Steam has handed a wrapper over the years.
TEST(SteamInstall, TheGameFromTheCommandSteamHandsTheWrapper) {
  const std::string exe =
      "/run/media/mmcblk0p1/steamapps/common/Hollow Voyage/HollowVoyage/Binaries/Win64/"
      "HollowVoyage-Win64-Shipping.exe";
  const std::string tools = "/run/media/mmcblk0p1/steamapps/common/Hollow Voyage/HollowVoyage/Binaries/Win64";
  const std::string steam = "/home/deck/.local/share/Steam";
  const std::string proton = steam + "/steamapps/common/Proton 9.0/proton";
  const std::string runtime = steam + "/steamapps/common/SteamLinuxRuntime_sniper/_v2-entry-point";
  struct Row {
    const char* what;
    std::vector<std::string> command;
    std::optional<std::string> tool;
  } const rows[] = {
      {"Windows", {"D:\\Games\\steamapps\\common\\Hollow Voyage\\HollowVoyage.exe", "-dx11"},
       "D:\\Games\\steamapps\\common\\Hollow Voyage\\HollowVoyage\\Binaries\\Win64"},
      {"2021: reaper", {steam + "/ubuntu12_32/reaper", "SteamLaunch", "AppId=1234560", "--", proton,
                        "waitforexitandrun", exe}, tools},
      {"2022: steam-launch-wrapper after reaper",
       {steam + "/ubuntu12_32/reaper", "SteamLaunch", "AppId=1234560", "--",
        steam + "/ubuntu12_32/steam-launch-wrapper", "--", runtime, "--verb=waitforexitandrun", "--", proton,
        "waitforexitandrun", exe}, tools},
      {"late 2024: steam-launch-wrapper first",
       {steam + "/ubuntu12_32/steam-launch-wrapper", "--", steam + "/ubuntu12_32/reaper", "SteamLaunch",
        "AppId=1234560", "--", runtime, "--verb=waitforexitandrun", "--", proton, "waitforexitandrun", exe},
       tools},
      {"2025: SteamLinuxRuntime_4 and python3 before proton",
       {steam + "/ubuntu12_32/steam-launch-wrapper", "--", steam + "/ubuntu12_32/reaper", "SteamLaunch",
        "AppId=1234560", "--", steam + "/steamapps/common/SteamLinuxRuntime_4/_v2-entry-point",
        "--verb=waitforexitandrun", "--", "python3", proton, "waitforexitandrun", exe}, tools},
      {"a proton build without the runtime",
       {steam + "/ubuntu12_32/reaper", "SteamLaunch", "AppId=1234560", "--",
        "/home/deck/.steam/root/compatibilitytools.d/GE-Proton9-20/proton", "waitforexitandrun", exe}, tools},
      {"the 64-bit client's launch client",
       {steam + "/steamrt64/steam-runtime-launch-client", "--alongside-steam", "--host", "--",
        steam + "/steamrt64/steam-launch-wrapper", "--", steam + "/steamrt64/reaper", "SteamLaunch",
        "AppId=1234560", "--", proton, "waitforexitandrun", exe}, tools},
      {"the game's root executable", {proton, "waitforexitandrun",
        "/run/media/mmcblk0p1/steamapps/common/Hollow Voyage/HollowVoyage.exe"}, tools},
      {"no game in it", {"/usr/bin/true", "/HollowVoyage.exe"}, std::nullopt},
  };
  for (const Row& row : rows) EXPECT_EQ(ToolFolderFromCommand(row.command), row.tool) << row.what;
}

// libraryfolders.vdf in today's form and in the old one, where the value
// is the path itself; loginusers.vdf with MostRecent, and with Timestamp
// alone as recent Steam writes it.
TEST(SteamInstall, ReadsTheLibrariesAndAccountsSteamLists) {
  using testing_support::MakeFolders;
  using testing_support::RemoveTree;
  using testing_support::WriteFile;
  testing_support::TempDir dir;
  const std::string steam = dir / "Steam";
  for (const char* folder : {"Steam/steamapps", "Steam/config", "Card", "Old"}) MakeFolders(dir / folder);
  struct Row {
    std::string libraryfolders, loginusers;
    std::vector<std::string> libraries;
    std::vector<std::vector<std::string>> apps;
    const char* last;
  } const rows[] = {
      {"\xEF\xBB\xBF\"libraryfolders\" { \"contentstatsid\" \"1\" \"0\" { \"path\" \"" + steam +
           "\" \"apps\" { \"228980\" \"1\" } } \"1\" { \"path\" \"" + dir / "Card" +
           "\" \"apps\" { \"1234560\" \"1\" } } }",
       "\"users\" { \"76561198000000001\" { \"AccountName\" \"a\" \"MostRecent\" \"1\" "
       "\"Timestamp\" \"1\" } \"76561198000000002\" { \"AccountName\" \"b\" \"Timestamp\" \"9\" } }",
       {steam, dir / "Card"}, {{"228980"}, {"1234560"}}, "a"},
      {"\"LibraryFolders\" { \"TimeNextStatsReport\" \"1\" \"1\" \"" + dir / "Old" + "\" \"2\" { \"path\" \"" +
           dir / "Old/" + "\" \"apps\" \"none\" } }",
       "\"users\" { \"76561198000000001\" { \"AccountName\" \"a\" \"Timestamp\" \"1\" } "
       "\"76561198000000002\" { \"AccountName\" \"b\" \"Timestamp\" \"9\" } }",
       {steam, dir / "Old"}, {{}, {}}, "b"},
  };
  for (const Row& row : rows) {
    WriteFile(steam + "/steamapps/libraryfolders.vdf", row.libraryfolders);
    WriteFile(steam + "/config/loginusers.vdf", row.loginusers);
    std::vector<std::string> libraries;
    std::vector<std::vector<std::string>> apps;
    for (const Library& library : Libraries({steam, std::nullopt}, RealFileSystem())) {
      libraries.push_back(library.folder);
      apps.push_back(library.apps);
    }
    EXPECT_EQ(libraries, row.libraries);
    EXPECT_EQ(apps, row.apps);
    const auto last = LastAccount(Accounts(steam, RealFileSystem()), std::nullopt);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->name, row.last);
  }
  // A libraryfolders.vdf of another shape names no library but Steam's own.
  WriteFile(steam + "/steamapps/libraryfolders.vdf", "\"libraryfolders\" \"x\"");
  EXPECT_EQ(Libraries({steam, std::nullopt}, RealFileSystem()).size(), 1u);
  // A list far larger than Steam writes is said to be so; one that is no
  // list, or not there, gives no account, and why.
  for (const auto& [text, said] : std::vector<std::pair<std::string, std::string>>{
           {std::string(2u << 20, ' '), "too large"},
           {"\"users\" { \"76561198000000001\" {", "not closed"},
           {"\"people\" { }", "no users block"},
           {"\"users\" { \"x\" { } \"76561198000000001\" \"a\" \"1\" { } }", ""}}) {
    WriteFile(steam + "/config/loginusers.vdf", text);
    std::string why;
    EXPECT_TRUE(Accounts(steam, RealFileSystem(), &why).empty());
    EXPECT_NE(why.find(said), std::string::npos) << why;
  }
  RemoveTree(steam + "/config/loginusers.vdf");
  std::string why;
  EXPECT_TRUE(Accounts(steam, RealFileSystem(), &why).empty());
  EXPECT_NE(why.find("there is no"), std::string::npos) << why;
}

// Which copy of the game setup takes, from manifests as Steam leaves them.
TEST(SteamInstall, TheGameIsAnInstalledAppInTheGamesOwnFolder) {
  const std::string home = "/home/deck", steam = home + "/.local/share/Steam", card = "/run/media/card";
  auto manifest = [](const std::string& id, const std::string& dir, const char* flags = "4") {
    return "\"AppState\" { \"appid\" \"" + id + "\" \"StateFlags\" \"" + flags + "\" \"installdir\" \"" + dir +
           "\" }";
  };
  auto game = [](const std::string& library, const std::string& dir) {
    return library + "/steamapps/common/" + dir + "/HollowVoyage/Binaries/Win64/SourceSave.sav";
  };
  auto lists = [&](const std::string& steamApps, const std::string& cardApps) {
    return "\"libraryfolders\" { \"0\" { \"path\" \"" + steam + "\" \"apps\" { " + steamApps +
           " } } \"1\" { \"path\" \"" + card + "\" \"apps\" { " + cardApps + " } } }";
  };
  struct Row {
    const char* what;
    std::map<std::string, std::string> files;
    std::optional<std::string> app;       // --app
    std::string library, appId;           // chosen; empty: none
    size_t candidates;
  } const rows[] = {
      // clang-format off
      {"the game", {{steam + "/steamapps/appmanifest_1234560.acf", manifest("1234560", "Hollow Voyage")},
                    {game(steam, "Hollow Voyage"), ""}}, {}, steam, "1234560", 1},
      {"a playtest in a look-alike folder loses, whatever the order",
       {{steam + "/steamapps/appmanifest_1000.acf", manifest("1000", "Hollow Voyage Playtest")},
        {game(steam, "Hollow Voyage Playtest"), ""},
        {steam + "/steamapps/appmanifest_1234560.acf", manifest("1234560", "Hollow Voyage")},
        {game(steam, "Hollow Voyage"), ""}}, {}, steam, "1234560", 2},
      {"the playtest alone is the game", {{steam + "/steamapps/appmanifest_1000.acf",
       manifest("1000", "Hollow Voyage Playtest")}, {game(steam, "Hollow Voyage Playtest"), ""}},
       {}, steam, "1000", 1},
      {"a damaged manifest with another app id, an uninstalled one, one cut short",
       {{steam + "/steamapps/appmanifest_92.acf", manifest(std::string(400, '9'), "Hollow Voyage")},
        {steam + "/steamapps/appmanifest_93.acf", manifest("93", "Hollow Voyage", "1")},
        {steam + "/steamapps/appmanifest_94.acf", manifest("94", "Hollow Voyage").substr(0, 40)},
        {card + "/steamapps/appmanifest_1234560.acf", manifest("1234560", "Hollow Voyage")},
        {game(steam, "Hollow Voyage"), ""}, {game(card, "Hollow Voyage"), ""},
        {steam + "/steamapps/libraryfolders.vdf", lists("", "")}}, {}, card, "1234560", 1},
      {"in two libraries: the one libraryfolders.vdf lists it in",
       {{steam + "/steamapps/appmanifest_1234560.acf", manifest("1234560", "Hollow Voyage")},
        {card + "/steamapps/appmanifest_1234560.acf", manifest("1234560", "Hollow Voyage")},
        {game(steam, "Hollow Voyage"), ""}, {game(card, "Hollow Voyage"), ""},
        {steam + "/steamapps/libraryfolders.vdf", lists("\"228980\" \"1\"", "\"1234560\" \"1\"")}},
       {}, card, "1234560", 2},
      {"two apps in the game's own folder name: the player chooses",
       {{steam + "/steamapps/appmanifest_1234560.acf", manifest("1234560", "Hollow Voyage")},
        {card + "/steamapps/appmanifest_1234561.acf", manifest("1234561", "Hollow Voyage")},
        {game(steam, "Hollow Voyage"), ""}, {game(card, "Hollow Voyage"), ""},
        {steam + "/steamapps/libraryfolders.vdf", lists("", "")}}, {}, "", "", 2},
      {"... with --app", {{steam + "/steamapps/appmanifest_1234560.acf", manifest("1234560", "Hollow Voyage")},
        {card + "/steamapps/appmanifest_1234561.acf", manifest("1234561", "Hollow Voyage")},
        {game(steam, "Hollow Voyage"), ""}, {game(card, "Hollow Voyage"), ""},
        {steam + "/steamapps/libraryfolders.vdf", lists("", "")}}, std::string("1234561"), card, "1234561", 2},
      {"an app without the mod manager's template", {{steam + "/steamapps/appmanifest_1234560.acf",
       manifest("1234560", "Hollow Voyage")}}, {}, "", "", 0},
      {"manifests Steam could not have written count for nothing",
       {{steam + "/steamapps/appmanifest_x1.acf", manifest("1", "Hollow Voyage")},
        {steam + "/steamapps/appmanifest_4294967296.acf", manifest("4294967296", "Hollow Voyage")},
        {steam + "/steamapps/appmanifest_12345678901.acf", manifest("12345678901", "Hollow Voyage")},
        {steam + "/steamapps/appmanifest_10.acf", std::string(2u << 20, ' ')},
        {steam + "/steamapps/appmanifest_2.acf", "\"Other\" { }"},
        {steam + "/steamapps/appmanifest_3.acf", "\"AppState\" { \"appid\" \"3\" \"StateFlags\" \"4\" }"},
        {steam + "/steamapps/appmanifest_4.acf", manifest("4", "")},
        {steam + "/steamapps/appmanifest_5.acf", manifest("5", "Hollow Voyage", "x")},
        {steam + "/steamapps/appmanifest_6.acf", manifest("6", "Hollow Voyage", "12345678901")},
        {steam + "/steamapps/appmanifest_7.acf", "\"AppState\" { \"appid\" \"7\" \"installdir\" \"Hollow Voyage\" }"},
        {steam + "/steamapps/appmanifest_8.acf", manifest("8", "../Hollow Voyage")},
        {steam + "/steamapps/appmanifest_9.acf", manifest("9", "..")},
        {steam + "/steamapps/readme.txt", ""},
        {steam + "/steamapps/appmanifest_1234560.acf", manifest("1234560", "Hollow Voyage", "1030")},
        {game(steam, "Hollow Voyage"), ""},
        {steam + "/steamapps/libraryfolders.vdf", "\"libraryfolders\" { \"1\" \"\" \"2\" { \"apps\" \"x\" } }"}},
       {}, steam, "1234560", 1},
      // clang-format on
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const TableFiles files({steam + "/steamapps", card + "/steamapps"}, row.files);
    const GameChoice choice = FindInstalledGame(FindSteamFolders({false, home, {}, {}, {}}, files), files, row.app);
    EXPECT_EQ(choice.candidates.size(), row.candidates);
    EXPECT_EQ(choice.game ? choice.game->library : "", row.library) << choice.why;
    EXPECT_EQ(choice.game ? choice.game->appId : "", row.appId);
  }
  // A Flatpak Steam's libraries, as it wrote them inside its sandbox.
  const std::string flatpak = home + "/.var/app/com.valvesoftware.Steam";
  const TableFiles sandboxed(
      {flatpak + "/.local/share/Steam/steamapps"},
      {{flatpak + "/.local/share/Steam/steamapps/libraryfolders.vdf", lists("\"1234560\" \"1\"", "")},
       {flatpak + "/.local/share/Steam/steamapps/appmanifest_1234560.acf", manifest("1234560", "Hollow Voyage")},
       {game(flatpak + "/.local/share/Steam", "Hollow Voyage"), ""}});
  const GameChoice inSandbox = FindInstalledGame(FindSteamFolders({false, home, {}, {}, {}}, sandboxed), sandboxed);
  ASSERT_TRUE(inSandbox.game) << inSandbox.why;
  EXPECT_TRUE(inSandbox.game->listed);
  EXPECT_EQ(inSandbox.game->library, flatpak + "/.local/share/Steam");
}

}  // namespace
}  // namespace steam
