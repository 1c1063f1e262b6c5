// The launch wrappers as Steam runs them, with the game's command after
// them: modpaths-launch natively in a fake Steam library, as on a Steam
// Deck, and modpaths-launch.exe under Wine.

#include "testing/end_to_end.h"

#include <algorithm>
#include <functional>

#include <sqlite3.h>

#include "platform/path_style.h"
#include "platform/process.h"
#include "steam/key_values.h"

namespace {

using namespace testing_support;

// Arguments that a shell or a careless quoting would change.
const std::vector<std::string> kArguments = {
    "-dx12", "a b", "", "say \"hi\"", "C:\\trailing\\", "C:\\my folder\\", "\xD0\xA9\xD0\xB8\xD1\x82"};

// The zero-ended strings of a record file.
std::vector<std::string> Recorded(const std::string& file) {
  const Bytes bytes = ReadFile(file);
  std::vector<std::string> strings;
  std::string current;
  for (const uint8_t byte : bytes) {
    if (byte == 0) {
      strings.push_back(current);
      current.clear();
    } else {
      current += static_cast<char>(byte);
    }
  }
  return strings;
}

// Starts `runs` copies of the command at once and waits for them all: each
// must exit with `status`. Then the record beside `wrapper` must hold one
// line a run, each of them `written`, and the save must be whole.
void ExpectRunsAtOnceAllRecorded(const std::vector<std::string>& command, const Environment& env,
                                 int status, const std::string& record, const Bytes& save,
                                 const std::string& savePath) {
  constexpr int kRuns = 10;
  RemoveTree(record);
  std::vector<Process> started;
  for (int i = 0; i < kRuns; ++i) started.push_back(StartProgram(command, env));
  for (const Process process : started) EXPECT_EQ(WaitProgram(process).exitStatus, status);
  const Bytes bytes = ReadFile(record);
  const std::string text(bytes.begin(), bytes.end());
  size_t lines = 0, written = 0;
  for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos; ++at) ++lines;
  for (size_t at = 0; (at = text.find("\tcommand\twritten\t", at)) != std::string::npos; ++at)
    ++written;
  EXPECT_EQ(lines, size_t{kRuns}) << text;
  EXPECT_EQ(written, size_t{kRuns}) << text;
  EXPECT_EQ(ReadFile(savePath), save);
}

// A Steam library holding the game as Steam installs it, its app manifest
// and its Proton prefix. The fixed names are spelled otherwise than the
// tool spells them, as Wine lets them be.
struct SteamLibrary {
  SteamLibrary() {
    MakeFolders(tools);
    MakeFolders(saveFolder);
    WriteFile(steamapps + "/appmanifest_1234560.acf",
              "\"AppState\"\n{\n\t\"appid\"\t\t\"1234560\"\n\t\"StateFlags\"\t\t\"4\"\n"
              "\t\"installdir\"\t\t\"Hollow Voyage\"\n}\n");
    WriteFile(steamapps + "/appmanifest_228980.acf",
              "\"AppState\"\n{\n\t\"installdir\"\t\t\"Steamworks Shared\"\n}\n");
    WriteFile(tools + "/SourceSave.sav", Hex("47 56 41 53"));
    EXPECT_TRUE(PlaceContainer(game + "/content/paks/Mods/Sails.utoc", ModTree("Sails", {"S.uasset"})));
    EXPECT_TRUE(PlaceContainer(game + "/content/paks/Hull.utoc", ModTree("Hull", {"H.uasset"})));
  }

  TempDir root;
  const std::string steamapps = root / "Steam Library/steamapps";
  const std::string game = steamapps + "/common/Hollow Voyage/HollowVoyage";
  const std::string tools = game + "/Binaries/Win64";
  const std::string compat = steamapps + "/compatdata/1234560";
  const std::string profile = compat + "/pfx/drive_c/users/steamuser";
  const std::string saveFolder = profile + "/saved games/corvane/HollowVoyage";
  const std::string save = saveFolder + "/ModManager_ModPaths.sav";
};

TEST(LaunchWrapper, WritesTheSaveInTheGamesPrefixThenBecomesTheGame) {
  const std::string wrapper = Setting("MODPATHS_NATIVE_LAUNCH");
  if (!FileExists(wrapper)) GTEST_SKIP() << "MODPATHS_NATIVE_LAUNCH names no program";
  SteamLibrary steam;
  WriteFile(steam.tools + "/modpaths-launch", ReadFile(wrapper));
  MakeExecutable(steam.tools + "/modpaths-launch");
  WriteFile(steam.tools + "/modpaths", ReadFile(Setting("MODPATHS_NATIVE_EXE")));
  MakeExecutable(steam.tools + "/modpaths");
  const std::string recorder = steam.root / "game.sh";
  WriteFile(recorder,
            "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done >\"$MODPATHS_RECORD\"\nexit 7\n");
  MakeExecutable(recorder);
  Environment env{{"PATH", "/usr/bin:/bin"}, {"MODPATHS_RECORD", steam.root / "record"}};
  std::vector<std::string> command{steam.tools + "/modpaths-launch", recorder};
  command.insert(command.end(), kArguments.begin(), kArguments.end());

  // What modpaths itself writes there, with that profile as its home.
  ASSERT_EQ(RunProgram({steam.tools + "/modpaths"}, {{"HOME", steam.profile}}), 0);
  const Bytes expected = ReadFile(steam.save);
  ASSERT_GT(expected.size(), 4u + 17u);

  // Started by Steam, which names the prefix; then by hand, from the
  // manifest.
  for (const bool bySteam : {true, false}) {
    SCOPED_TRACE(bySteam ? "STEAM_COMPAT_DATA_PATH" : "the app manifest");
    RemoveTree(steam.save);
    Environment started = env;
    if (bySteam) started["STEAM_COMPAT_DATA_PATH"] = steam.compat;
    EXPECT_EQ(RunProgram(command, started), 7);
    EXPECT_EQ(Recorded(steam.root / "record"), kArguments);
    EXPECT_EQ(ReadFile(steam.save), expected);
  }

  // Each run is recorded beside the wrapper, with where the prefix came from.
  const std::string record = steam.tools + "/modpaths-launch.log";
  auto lastRun = [&] {
    const Bytes bytes = ReadFile(record);
    const std::string text(bytes.begin(), bytes.end());
    return text.substr(text.rfind('\n', text.size() - 2) + 1);
  };
  EXPECT_NE(lastRun().find("\tcommand\twritten\tmodpaths wrote 2 package paths"), std::string::npos)
      << lastRun();
  EXPECT_NE(lastRun().find("(the prefix from the Steam library)"), std::string::npos) << lastRun();

  // What a run killed while it wrote left is removed by the next; a full
  // disk is told as such (a file-size limit stands for it), and the game
  // starts all the same.
  const std::string leftover = steam.saveFolder + "/ModManager_ModPaths.sav.4242.tmp";
  WriteFile(leftover, Bytes(100, 0));
  MakeOld(leftover);
  WriteFile(steam.tools + "/SourceSave.sav", Bytes(64 * 1024, 1));
  RunOptions limited;
  limited.fileSizeLimit = 16 * 1024;
  EXPECT_EQ(RunMeasured(command, env, limited).exitStatus, 7);
  EXPECT_FALSE(FileExists(leftover));
  EXPECT_NE(lastRun().find("\tdisk-full\t"), std::string::npos) << lastRun();
  EXPECT_EQ(ReadFile(steam.save), expected) << "the save was replaced by a part of one";
  WriteFile(steam.tools + "/SourceSave.sav", Hex("47 56 41 53"));

  // Runs at once each keep their line, and none is refused the save.
  const Environment bySteam = [&] {
    Environment e = env;
    e["STEAM_COMPAT_DATA_PATH"] = steam.compat;
    return e;
  }();
  ExpectRunsAtOnceAllRecorded({steam.tools + "/modpaths-launch", "/bin/true"}, bySteam, 0, record,
                              expected, steam.save);

  // A damaged app manifest of another game stops nothing.
  WriteFile(steam.steamapps + "/appmanifest_99.acf",
            "\"AppState\"\n{\n\t\"appid\"\t\"99\"\n\t\"name\"\t\"Some other game, cut short");
  WriteFile(steam.steamapps + "/appmanifest_98.acf", "\"AppState\" { \"installdir\" \"x\\");
  RemoveTree(steam.save);
  EXPECT_EQ(RunProgram(command, env), 7);
  EXPECT_EQ(ReadFile(steam.save), expected);

  // Nothing that stops the save stops the game.
  RemoveTree(steam.root / "record");
  RemoveTree(steam.compat + "/pfx/drive_c/users/steamuser/saved games/corvane");
  EXPECT_EQ(RunProgram(command, env), 7);
  EXPECT_EQ(Recorded(steam.root / "record"), kArguments);
  RemoveTree(steam.tools + "/SourceSave.sav");
  EXPECT_EQ(RunProgram(command, env), 7);
  env["SteamAppId"] = "999";  // a prefix that is not there
  EXPECT_EQ(RunProgram(command, env), 7);

  RunOptions options;
  options.errorFile = steam.root / "error.txt";
  EXPECT_EQ(RunMeasured({steam.tools + "/modpaths-launch", steam.root / "missing"}, env, options)
                .exitStatus,
            127);
  const Bytes error = ReadFile(options.errorFile);
  EXPECT_NE(std::string(error.begin(), error.end()).find("cannot start"), std::string::npos);

  // Unzipped in Downloads and started by hand: no game, so no launch line.
  MakeFolders(steam.root / "Downloads");
  WriteFile(steam.root / "Downloads/modpaths-launch", ReadFile(wrapper));
  MakeExecutable(steam.root / "Downloads/modpaths-launch");
  options.outputFile = steam.root / "output.txt";
  EXPECT_EQ(RunMeasured({steam.root / "Downloads/modpaths-launch"}, env, options).exitStatus, 1);
  const Bytes told = ReadFile(options.outputFile);
  const std::string text(told.begin(), told.end());
  EXPECT_NE(text.find("There is no game here"), std::string::npos) << text;
  EXPECT_NE(text.find("Hollow Voyage/HollowVoyage/Binaries/Win64"), std::string::npos) << text;
  EXPECT_EQ(text.find("%command%"), std::string::npos) << text;

  // The unzipped folder dragged whole into Binaries/Win64: told to move up.
  const std::string nested = steam.tools + "/modpaths-1.4.0";
  MakeFolders(nested);
  WriteFile(nested + "/modpaths-launch", ReadFile(wrapper));
  MakeExecutable(nested + "/modpaths-launch");
  EXPECT_EQ(RunMeasured({nested + "/modpaths-launch"}, env, options).exitStatus, 1);
  const Bytes movedTold = ReadFile(options.outputFile);
  const std::string moved(movedTold.begin(), movedTold.end());
  EXPECT_NE(moved.find("one folder too deep"), std::string::npos) << moved;
  EXPECT_NE(moved.find("\n" + steam.tools + "\n"), std::string::npos) << moved;
  EXPECT_EQ(moved.find("%command%"), std::string::npos) << moved;
}

TEST(LaunchWrapper, OnWindowsStartsTheRestOfItsCommandLineAndWaitsForTheGame) {
  auto runner = MakeRunner("wine");
  if (const std::string why = runner->Unavailable(); !why.empty()) {
    if (RequireWine()) FAIL() << why;
    GTEST_SKIP() << why;
  }
  Installation install(*runner, "Game");
  for (const char* helper : {"modpaths-launch.exe", "testing/modpaths-record-command.exe"}) {
    const std::string name = std::string(helper).substr(std::string(helper).rfind('/') + 1);
    WriteFile(install.binaries + "/" + name, ReadFile(WindowsBuildFile(helper)));
  }
  RemoveTree(install.saveFolder);
  MakeFolders(install.saveFolder);
  WriteFile(install.binaries + "/SourceSave.sav", Hex("47 56 41 53"));
  ASSERT_TRUE(PlaceContainer(install.paks + "/Mods/Sails.utoc", ModTree("Sails", {"S.uasset"})));
  ASSERT_EQ(runner->Run(install.executable).exitStatus, 0);
  const Bytes expected = ReadFile(install.output);
  RemoveTree(install.output);

  Environment env = runner->Env();
  env["MODPATHS_RECORD"] = "Z:" + install.root / "record";
  std::vector<std::string> arguments{"Z:" + install.binaries + "/modpaths-record-command.exe"};
  arguments.insert(arguments.end(), kArguments.begin(), kArguments.end());
  const std::string wrapper = install.binaries + "/modpaths-launch.exe";
  EXPECT_EQ(RunProgram(runner->Command(wrapper, arguments), env), 7);
  const std::vector<std::string> recorded = Recorded(install.root / "record");
  ASSERT_FALSE(recorded.empty());
  EXPECT_EQ(std::vector<std::string>(recorded.begin() + 1, recorded.end()), kArguments)
      << "command line: " << recorded[0];
  EXPECT_EQ(ReadFile(install.output), expected);
  const Bytes record = ReadFile(install.binaries + "/modpaths-launch.log");
  EXPECT_NE(std::string(record.begin(), record.end()).find("\tcommand\twritten\t"), std::string::npos);

  // A command that cannot start: a message box that no one can see (the
  // tests run Wine without a display), and no exit status of 0.
  EXPECT_NE(RunProgram(runner->Command(wrapper, {"Z:\\no\\such\\game.exe"}), env), 0);
  // Double-clicked: it writes the save and says so.
  RemoveTree(install.output);
  EXPECT_EQ(RunProgram(runner->Command(wrapper, {}), env), 0);
  EXPECT_EQ(ReadFile(install.output), expected);

  // Runs at once each keep their line, and none is refused the save.
  ExpectRunsAtOnceAllRecorded(runner->Command(wrapper, arguments), env, 7,
                              install.binaries + "/modpaths-launch.log", expected, install.output);
}

}  // namespace

namespace {

// A Steam as on a Steam Deck: its own library and one on an SD card, two
// accounts, the game on the card; natively, in a Flatpak's folder or a
// Snap's, as each lays it out.
enum class SteamKind { Native, Flatpak, Snap };

struct FakeSteam {
  // `named` gives a folder as Steam names it in its files: for Steam under
  // Wine, on drive Z:.
  explicit FakeSteam(SteamKind kind = SteamKind::Native,
                     std::function<std::string(const std::string&)> named =
                         [](const std::string& path) { return path; })
      : sandbox(kind == SteamKind::Flatpak ? home + "/.var/app/com.valvesoftware.Steam"
                : kind == SteamKind::Snap  ? home + "/snap/steam/common"
                                           : std::string()),
        steam((sandbox.empty() ? home : sandbox) + "/.local/share/Steam"),
        config(steam + "/userdata/39734273/config/localconfig.vdf"),
        guestConfig(steam + "/userdata/39734274/config/localconfig.vdf"),
        copy((sandbox.empty() ? home + "/.local/share" : sandbox) + "/modpaths/modpaths-launch") {
    for (const std::string& folder : {steam + "/steamapps", steam + "/config",
                                      steam + "/userdata/39734273/config",
                                      steam + "/userdata/39734274/config"})
      MakeFolders(folder);
    WriteFile(guestConfig, localconfig);
    // A Flatpak Steam names its own folder as its sandbox sees it.
    const std::string own = kind == SteamKind::Flatpak ? home + "/.local/share/Steam" : named(steam);
    WriteFile(steam + "/steamapps/libraryfolders.vdf",
              "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t" + steam::QuoteKeyValue(own) +
                  "\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t" + steam::QuoteKeyValue(named(card)) +
                  "\n\t\t\"apps\"\n\t\t{\n\t\t\t\"1234560\"\t\t\"1\"\n\t\t}\n\t}\n}\n");
    WriteFile(steam + "/config/loginusers.vdf",
              "\"users\"\n{\n\t\"76561198000000001\"\n\t{\n\t\t\"AccountName\"\t\t\"deck\"\n"
              "\t\t\"Timestamp\"\t\t\"1733700000\"\n\t}\n\t\"76561198000000002\"\n\t{\n"
              "\t\t\"AccountName\"\t\t\"guest\"\n\t\t\"Timestamp\"\t\t\"1733600000\"\n\t}\n}\n");
    WriteFile(config, localconfig);
    Install(card);
  }
  void Install(const std::string& library) {
    const std::string tools = library + "/steamapps/common/Hollow Voyage/HollowVoyage/Binaries/Win64";
    MakeFolders(tools);
    WriteFile(tools + "/SourceSave.sav", Hex("47 56 41 53"));
    EXPECT_TRUE(PlaceContainer(tools + "/../../Content/Paks/Mods/Sails.utoc",
                               ModTree("Sails", {"S.uasset"})));
    WriteFile(library + "/steamapps/appmanifest_1234560.acf",
              "\"AppState\"\n{\n\t\"appid\"\t\t\"1234560\"\n\t\"StateFlags\"\t\t\"4\"\n"
              "\t\"installdir\"\t\t\"Hollow Voyage\"\n}\n");
    MakeFolders(library + "/steamapps/compatdata/1234560/pfx/drive_c/users/steamuser/Saved Games/"
                          "Corvane/HollowVoyage");
  }
  std::string Save(const std::string& library) const {
    return library + "/steamapps/compatdata/1234560/pfx/drive_c/users/steamuser/Saved Games/"
                     "Corvane/HollowVoyage/ModManager_ModPaths.sav";
  }
  std::string Game(const std::string& library) const {
    return library + "/steamapps/common/Hollow Voyage/HollowVoyage/Binaries/Win64/"
                     "HollowVoyage-Win64-Shipping.exe";
  }
  // The wrapper unzipped into Downloads, as a player has it.
  std::string Unzipped(const std::string& wrapper, const char* name = "modpaths-launch") const {
    MakeFolders(root / "Downloads");
    const std::string unzipped = root / "Downloads" + "/" + name;
    WriteFile(unzipped, ReadFile(wrapper));
    MakeExecutable(unzipped);
    return unzipped;
  }

  TempDir root;
  const std::string home = root / "home";
  const std::string card = root / "mmcblk0p1";
  const std::string sandbox;  // a Flatpak's or Snap's own folder; empty natively
  const std::string steam;
  const std::string config, guestConfig;
  const std::string copy;  // where setup puts the wrapper
  const std::string localconfig =
      "\"UserLocalConfigStore\"\n{\n\t\"Software\"\n\t{\n\t\t\"Valve\"\n\t\t{\n\t\t\t\"Steam\"\n"
      "\t\t\t{\n\t\t\t\t\"apps\"\n\t\t\t\t{\n\t\t\t\t\t\"1234560\"\n\t\t\t\t\t{\n"
      "\t\t\t\t\t\t\"LaunchOptions\"\t\t\"PROTON_LOG=1 %command% -dx11\"\n\t\t\t\t\t}\n"
      "\t\t\t\t}\n\t\t\t}\n\t\t}\n\t}\n}\n";
};

std::string Text(const std::string& path) {
  const Bytes bytes = ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

// What Steam's launch option for the game is in a localconfig.vdf.
std::string LaunchOption(const std::string& config) {
  const std::string text = Text(config);
  const size_t key = text.find("\"LaunchOptions\"\t\t\"");
  if (key == std::string::npos) return "(none)";
  const size_t start = key + 18;
  size_t end = start;
  while (end < text.size() && text[end] != '"') end += text[end] == '\\' ? 2u : 1u;
  return text.substr(start, end - start);
}

// The player at a terminal in the folder the zip was unzipped in: runs the
// wrapper there with words of its own, and reads what it said.
struct Player {
  Player(const FakeSteam& fake, const std::string& wrapper)
      : unzipped(fake.Unzipped(wrapper)), env{{"PATH", "/usr/bin:/bin"}, {"HOME", fake.home}, {"USER", "deck"}} {
    options.outputFile = fake.root / "told.txt";
  }
  int Run(std::vector<std::string> words) {
    words.insert(words.begin(), unzipped);
    return RunMeasured(words, env, options).exitStatus;
  }
  std::string Told() const { return Text(options.outputFile); }

  const std::string unzipped;
  Environment env;
  RunOptions options;
};

// --setup, a launch as Steam starts it, the game moved to the other
// library and launched again, check, --remove: the file as it was.
TEST(LaunchSetup, SetsSteamsLaunchOptionSurvivesAMovedGameAndUndoesItself) {
  const std::string wrapper = Setting("MODPATHS_NATIVE_LAUNCH");
  if (!FileExists(wrapper)) GTEST_SKIP() << "MODPATHS_NATIVE_LAUNCH names no program";
  FakeSteam fake;
  Player player(fake, wrapper);

  // Steam running: its own executable, of this user: refused, nothing
  // changed. A pid file that names another program is Steam's ghost.
  const std::string client = fake.steam + "/ubuntu12_32/steam";
  MakeFolders(fake.steam + "/ubuntu12_32");
  WriteFile(client, ReadFile(FindOnPath("sleep")));
  MakeExecutable(client);
  const Process steam = StartProgram({client, "60"}, player.env);
  EXPECT_EQ(player.Run({"--setup"}), 1);
  EXPECT_NE(player.Told().find("Steam is running (process " + std::to_string(steam)), std::string::npos) << player.Told();
  EXPECT_NE(player.Told().find("close Steam (Steam menu, Exit), then run this again"), std::string::npos);
  KillProgram(steam);
  WaitProgram(steam);
  EXPECT_EQ(Text(fake.config), fake.localconfig);
  EXPECT_FALSE(FileExists(fake.copy));
  MakeFolders(fake.home + "/.steam");
  WriteFile(fake.home + "/.steam/steam.pid", std::to_string(platform::ProcessId()));

  EXPECT_EQ(player.Run({"--setup"}), 0) << player.Told();
  for (const std::string& said : std::vector<std::string>{fake.card, "deck", "guest: ./modpaths-launch --setup --account guest",
                                  "PROTON_LOG=1 %command% -dx11", fake.copy, "Done."}) {
    EXPECT_NE(player.Told().find(said), std::string::npos) << said << "\n" << player.Told();
  }
  EXPECT_EQ(LaunchOption(fake.config), "PROTON_LOG=1 \\\"" + fake.copy + "\\\" %command% -dx11");
  EXPECT_EQ(Text(fake.config + ".modpaths-backup"), fake.localconfig);
  const std::string once = Text(fake.config);
  EXPECT_EQ(player.Run({"--setup"}), 0);
  EXPECT_EQ(Text(fake.config), once) << "twice is once";
  EXPECT_NE(player.Told().find("It was set already: nothing changed."), std::string::npos) << player.Told();
  // Run from the copy itself: nothing to copy.
  EXPECT_EQ(RunMeasured({fake.copy, "--setup"}, player.env, player.options).exitStatus, 0) << player.Told();
  EXPECT_NE(player.Told().find("It was set already"), std::string::npos) << player.Told();
  // A copy of another build is replaced, and setup says so.
  Bytes older = ReadFile(wrapper);
  older.push_back(0);
  WriteFile(fake.copy, older);
  EXPECT_EQ(player.Run({"--setup"}), 0) << player.Told();
  EXPECT_NE(player.Told().find("was replaced by this version"), std::string::npos) << player.Told();
  EXPECT_EQ(ReadFile(fake.copy), ReadFile(wrapper));

  // As Steam starts the game through Proton, from either library.
  const std::string proton = fake.root / "proton.sh";
  WriteFile(proton, "#!/bin/sh\nexit 7\n");
  MakeExecutable(proton);
  for (const bool moved : {false, true}) {
    SCOPED_TRACE(moved ? "moved to Steam's own library" : "on the SD card");
    const std::string library = moved ? fake.steam : fake.card;
    if (moved) {
      RemoveTree(fake.card + "/steamapps");
      fake.Install(fake.steam);
    }
    Environment launched = player.env;
    launched["STEAM_COMPAT_DATA_PATH"] = library + "/steamapps/compatdata/1234560";
    launched["SteamAppId"] = "1234560";
    EXPECT_EQ(RunProgram({fake.copy, proton, "waitforexitandrun", fake.Game(library)}, launched), 7);
    EXPECT_GT(ReadFile(fake.Save(library)).size(), 4u + 17u);
  }

  // check: whether the launch option runs the wrapper is the option's to
  // say; one naming a wrapper that is gone is a problem, the only one.
  const std::string inspect = Setting("MODPATHS_INSPECT_EXE");
  if (FileExists(inspect)) {
    RunMeasured({inspect, "check"}, player.env, player.options);
    EXPECT_NE(player.Told().find("(account deck): PROTON_LOG=1 \"" + fake.copy + "\" %command% -dx11 (runs"),
              std::string::npos)
        << player.Told();
    EXPECT_NE(player.Told().find("nothing to set up"), std::string::npos) << player.Told();
    RemoveTree(fake.copy);
    EXPECT_EQ(RunMeasured({inspect, "check"}, player.env, player.options).exitStatus, 1);
    EXPECT_NE(player.Told().find("[launch-option-broken]"), std::string::npos) << player.Told();
    EXPECT_EQ(player.Told().find("[tool-missing]"), std::string::npos) << player.Told();
    EXPECT_EQ(player.Told().find("nothing to set up"), std::string::npos) << player.Told();
    WriteFile(fake.copy, ReadFile(wrapper));
    // Named through $HOME, as players write it by hand: check cannot tell,
    // and calls nothing broken.
    const std::string set = Text(fake.config);
    std::string byHand = set;
    byHand.replace(byHand.find("\\\"" + fake.copy), fake.copy.size() + 2,
                   "\\\"$HOME/.local/share/modpaths/modpaths-launch");
    WriteFile(fake.config, byHand);
    RunMeasured({inspect, "check"}, player.env, player.options);
    EXPECT_NE(player.Told().find("whether it runs modpaths-launch cannot be told"), std::string::npos) << player.Told();
    EXPECT_EQ(player.Told().find("[launch-option-broken]"), std::string::npos) << player.Told();
    WriteFile(fake.config, set);
  }

  EXPECT_EQ(player.Run({"--remove"}), 0) << player.Told();
  EXPECT_EQ(Text(fake.config), fake.localconfig) << "byte for byte";
  EXPECT_NE(player.Told().find("modpaths no longer runs"), std::string::npos) << player.Told();
  EXPECT_FALSE(FileExists(fake.copy));
  EXPECT_FALSE(FileExists(fake.config + ".modpaths-backup"));
  if (FileExists(inspect)) {
    RunMeasured({inspect, "check"}, player.env, player.options);
    EXPECT_EQ(player.Told().find("nothing to set up"), std::string::npos) << player.Told();
    EXPECT_NE(player.Told().find("./modpaths-launch --setup"), std::string::npos) << player.Told();
  }
}

// Two accounts set up share the one copy: removing one leaves the other's
// running; what the player changed in Steam since stays.
TEST(LaunchSetup, TwoAccountsShareTheCopyAndRemoveKeepsThePlayersLaterChanges) {
  const std::string wrapper = Setting("MODPATHS_NATIVE_LAUNCH");
  if (!FileExists(wrapper)) GTEST_SKIP() << "MODPATHS_NATIVE_LAUNCH names no program";
  FakeSteam fake;
  Player player(fake, wrapper);
  ASSERT_EQ(player.Run({"--setup"}), 0) << player.Told();
  ASSERT_EQ(player.Run({"--setup", "--account", "guest"}), 0) << player.Told();

  EXPECT_EQ(player.Run({"--remove"}), 0) << player.Told();
  EXPECT_EQ(Text(fake.config), fake.localconfig);
  EXPECT_TRUE(FileExists(fake.copy));
  EXPECT_NE(player.Told().find("stays: the setup of " + fake.guestConfig), std::string::npos) << player.Told();

  // Steam wrote the guest's settings since, -windowed added to the option.
  std::string changed = Text(fake.guestConfig);
  const size_t dx11 = changed.find("-dx11\"");
  ASSERT_NE(dx11, std::string::npos);
  changed.insert(dx11 + 5, " -windowed");
  WriteFile(fake.guestConfig, changed);
  EXPECT_EQ(player.Run({"--remove", "--account", "guest"}), 0) << player.Told();
  EXPECT_EQ(LaunchOption(fake.guestConfig), "PROTON_LOG=1 %command% -dx11 -windowed");
  EXPECT_FALSE(FileExists(fake.copy));
  EXPECT_TRUE(ListNames(fake.home + "/.local/share/modpaths").empty());

  // With no option before, setup's key goes again; a wrapper put in by hand
  // since is the player's, and said to run still.
  WriteFile(fake.config, fake.localconfig.substr(0, fake.localconfig.find("\t\t\t\t\t\t\"Launch")) +
                             fake.localconfig.substr(fake.localconfig.find("\t\t\t\t\t}")));
  const std::string bare = Text(fake.config);
  ASSERT_EQ(player.Run({"--setup"}), 0) << player.Told();
  EXPECT_EQ(LaunchOption(fake.config), "\\\"" + fake.copy + "\\\" %command%");
  ASSERT_EQ(player.Run({"--remove"}), 0) << player.Told();
  EXPECT_EQ(Text(fake.config), bare);
}

// A sandboxed Steam sees only its own folder: the copy goes there, and its
// libraries are read as the sandbox wrote them.
TEST(LaunchSetup, FlatpakAndSnapSteamsAreSetUpInTheirOwnFolders) {
  const std::string wrapper = Setting("MODPATHS_NATIVE_LAUNCH");
  if (!FileExists(wrapper)) GTEST_SKIP() << "MODPATHS_NATIVE_LAUNCH names no program";
  for (const SteamKind kind : {SteamKind::Flatpak, SteamKind::Snap}) {
    SCOPED_TRACE(kind == SteamKind::Flatpak ? "Flatpak" : "Snap");
    FakeSteam fake(kind);
    Player player(fake, wrapper);
    EXPECT_EQ(player.Run({"--setup"}), 0) << player.Told();
    EXPECT_EQ(LaunchOption(fake.config), "PROTON_LOG=1 \\\"" + fake.copy + "\\\" %command% -dx11");
    EXPECT_TRUE(FileExists(fake.home + "/.local/share/modpaths/setup-39734273.vdf"));
    Environment launched = player.env;
    launched["STEAM_COMPAT_DATA_PATH"] = fake.card + "/steamapps/compatdata/1234560";
    EXPECT_EQ(RunProgram({fake.copy, "/bin/true", "waitforexitandrun", fake.Game(fake.card)}, launched), 0);
    EXPECT_GT(ReadFile(fake.Save(fake.card)).size(), 4u + 17u);
    EXPECT_EQ(player.Run({"--remove"}), 0) << player.Told();
    EXPECT_EQ(Text(fake.config), fake.localconfig);
    EXPECT_FALSE(FileExists(fake.copy));
  }
}

// A step that fails (a full disk, the file-size limit standing for it)
// takes back what setup made before it, so that "Nothing was changed" is
// true; a word the wrapper does not know runs no game and writes nothing.
TEST(LaunchSetup, AFailedStepTakesBackWhatItMadeAndUnknownWordsRunNoGame) {
  const std::string wrapper = Setting("MODPATHS_NATIVE_LAUNCH");
  if (!FileExists(wrapper)) GTEST_SKIP() << "MODPATHS_NATIVE_LAUNCH names no program";
  FakeSteam fake;
  const std::string unzipped = fake.Unzipped(wrapper);
  const Environment env{{"PATH", "/usr/bin:/bin"}, {"HOME", fake.home}};
  // The copy fits; the backup of a localconfig.vdf larger than it does not.
  const uint64_t size = ReadFile(wrapper).size();
  const std::string large = fake.localconfig + "// " + std::string(size + (1u << 20), 'x') + "\n";
  WriteFile(fake.config, large);
  RunOptions options;
  options.outputFile = fake.root / "told.txt";
  options.fileSizeLimit = size + (512u << 10);
  EXPECT_EQ(RunMeasured({unzipped, "--setup"}, env, options).exitStatus, 1);
  const std::string told = Text(options.outputFile);
  EXPECT_NE(told.find("Setup stopped while writing a backup of localconfig.vdf"), std::string::npos) << told;
  EXPECT_NE(told.find("the disk is full"), std::string::npos) << told;
  EXPECT_NE(told.find("Nothing was changed."), std::string::npos) << told;
  EXPECT_EQ(Text(fake.config), large);
  EXPECT_FALSE(FileExists(fake.copy));
  EXPECT_FALSE(FileExists(fake.home + "/.local/share/modpaths"));
  EXPECT_EQ(ListNames(fake.steam + "/userdata/39734273/config"), std::vector<std::string>{"localconfig.vdf"});

  for (const std::vector<std::string>& words :
       {std::vector<std::string>{"--setpu"}, {"--Setup"}, {"setup"}, {"--setup", "--account"}, {"-x", "y"}}) {
    RunOptions usage;
    usage.errorFile = fake.root / "usage.txt";
    std::vector<std::string> command{unzipped};
    command.insert(command.end(), words.begin(), words.end());
    EXPECT_EQ(RunMeasured(command, env, usage).exitStatus, 2) << words[0];
    EXPECT_NE(Text(usage.errorFile).find("usage:"), std::string::npos);
  }
  EXPECT_EQ(RunProgram({unzipped, "--help"}, env), 0);
  // Started by hand there, outside a game: it says where to go, and keeps
  // no record in a folder of no game.
  EXPECT_EQ(RunProgram({unzipped}, env), 1);
  EXPECT_EQ(ListNames(fake.root / "Downloads"), std::vector<std::string>{"modpaths-launch"});
}

// A Steam Deck's home with all three launchers: Steam as above, Heroic
// with an Epic and a GOG list, Lutris with its pga.db and the game's yml,
// each game in a folder and Wine prefix of its own.
struct FakeLaunchers {
  FakeLaunchers() {
    const std::string heroic = steam.home + "/.config/heroic";
    Put(heroic + "/legendaryConfig/legendary/installed.json",
              "{\n  \"Crab\": {\n    \"title\": \"Hollow Voyage\",\n    \"install_path\": " +
                  Quoted(heroicGame) + ",\n    \"platform\": \"Windows\"\n  }\n}");
    Put(heroic + "/gog_store/installed.json",
              "{\n  \"installed\": [\n    {\n      \"appName\": \"1207658924\",\n      \"install_path\": "
              "\"/home/deck/Games/Heroic/Other\"\n    }\n  ]\n}");
    Put(heroicSettings, heroicBefore);
    Put(lutrisSettings, lutrisBefore);
    Game(heroicGame);
    Game(lutrisGame);
    for (const std::string& prefix : {heroicPrefix, lutrisPrefix})
      MakeFolders(prefix + "/drive_c/users/deck/Saved Games/Corvane/HollowVoyage");
    // Lutris' list of games, as Lutris keeps it.
    MakeFolders(steam.home + "/.local/share/lutris");
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open((steam.home + "/.local/share/lutris/pga.db").c_str(), &db), SQLITE_OK);
    const std::string rows =
        "CREATE TABLE games (id INTEGER PRIMARY KEY, name TEXT, slug TEXT, installer_slug TEXT, "
        "parent_slug TEXT, platform TEXT, runner TEXT, executable TEXT, directory TEXT, updated DATETIME, "
        "lastplayed INTEGER, installed INTEGER, installed_at INTEGER, year INTEGER, configpath TEXT, "
        "has_custom_banner INTEGER, has_custom_icon INTEGER, playtime REAL, hidden INTEGER, service TEXT, "
        "service_id TEXT);"
        "INSERT INTO games (name, slug, runner, directory, installed, configpath) VALUES ('Hollow Voyage', "
        "'hollow-voyage', 'wine', '" + lutrisPrefix + "', 1, 'hollow-voyage-1733700000');"
        "INSERT INTO games (name, slug, runner, directory, installed, configpath) VALUES ('Old', 'old', "
        "'wine', '', 0, 'old-1');";
    EXPECT_EQ(sqlite3_exec(db, rows.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
  }
  static std::string Quoted(const std::string& text) { return "\"" + text + "\""; }
  static void Put(const std::string& path, const std::string& text) {
    MakeFolders(std::string(platform::ParentFolder(path, platform::kPosixPaths)));
    WriteFile(path, text);
  }
  void Game(const std::string& folder) {
    const std::string tools = folder + "/HollowVoyage/Binaries/Win64";
    MakeFolders(tools);
    WriteFile(tools + "/SourceSave.sav", Hex("47 56 41 53"));
    EXPECT_TRUE(PlaceContainer(folder + "/HollowVoyage/Content/Paks/Mods/Sails.utoc", ModTree("Sails", {"S.uasset"})));
  }
  std::string Save(const std::string& prefix) const {
    return prefix + "/drive_c/users/deck/Saved Games/Corvane/HollowVoyage/ModManager_ModPaths.sav";
  }

  FakeSteam steam;
  const std::string heroicGame = steam.home + "/Games/Heroic/Hollow Voyage";
  const std::string heroicPrefix = steam.home + "/Games/Heroic/Prefixes/default/Hollow Voyage";
  const std::string heroicSettings = steam.home + "/.config/heroic/GamesConfig/Crab.json";
  const std::string heroicBefore =
      "{\n  \"Crab\": {\n    \"winePrefix\": " + Quoted(heroicPrefix) +
      ",\n    \"wrapperOptions\": [\n      {\n        \"exe\": \"/usr/bin/mangohud\",\n        \"args\": \"\"\n"
      "      }\n    ]\n  },\n  \"version\": \"v0\",\n  \"explicit\": true\n}";
  const std::string lutrisPrefix = steam.home + "/Games/hollow-voyage";
  const std::string lutrisGame = lutrisPrefix + "/drive_c/Games/Hollow Voyage";
  const std::string lutrisSettings = steam.home + "/.config/lutris/games/hollow-voyage-1733700000.yml";
  const std::string lutrisBefore = "game:\n  exe: " + lutrisGame + "/HollowVoyage.exe\n  prefix: " + lutrisPrefix +
                                   "\nsystem:\n  prefix_command: gamemoderun\nwine:\n  version: lutris-GE-Proton8-26\n";
};

// One --setup sets each launcher that has the game; each launcher's launch
// writes the save the tool writes; --remove gives every file back byte for
// byte; a launcher that runs is refused alone.
TEST(LaunchSetup, SetsSteamHeroicAndLutrisInOneStepAndTakesItBack) {
  const std::string wrapper = Setting("MODPATHS_NATIVE_LAUNCH");
  if (!FileExists(wrapper)) GTEST_SKIP() << "MODPATHS_NATIVE_LAUNCH names no program";
  FakeLaunchers fake;
  const std::string unzipped = fake.steam.Unzipped(wrapper);
  const Environment env{{"PATH", "/usr/bin:/bin"}, {"HOME", fake.steam.home}, {"USER", "deck"}};
  RunOptions options;
  options.outputFile = fake.steam.root / "told.txt";
  auto told = [&] { return Text(options.outputFile); };

  // Heroic running, as its Electron executable: Heroic alone refused.
  MakeFolders(fake.steam.root / "opt/Heroic");
  WriteFile(fake.steam.root / "opt/Heroic/heroic", ReadFile(FindOnPath("sleep")));
  MakeExecutable(fake.steam.root / "opt/Heroic/heroic");
  const Process heroic = StartProgram({fake.steam.root / "opt/Heroic/heroic", "60"}, env);
  EXPECT_EQ(RunMeasured({unzipped, "--setup"}, env, options).exitStatus, 1);
  EXPECT_NE(told().find("close Heroic, then run this again"), std::string::npos) << told();
  EXPECT_NE(told().find("Set up: Steam, Lutris. Not set up: Heroic."), std::string::npos) << told();
  EXPECT_EQ(Text(fake.heroicSettings), fake.heroicBefore);
  KillProgram(heroic);
  WaitProgram(heroic);

  EXPECT_EQ(RunMeasured({unzipped, "--setup"}, env, options).exitStatus, 0) << told();
  EXPECT_NE(told().find("Set up: Steam, Heroic, Lutris."), std::string::npos) << told();
  const std::string copy = fake.steam.copy;
  EXPECT_NE(Text(fake.heroicSettings).find("\"wrapperOptions\": [\n      {\n        \"exe\": \"" + copy +
                                           "\",\n        \"args\": \"\"\n      },\n      {\n        \"exe\": \"/usr/bin/mangohud\""),
            std::string::npos)
      << Text(fake.heroicSettings);
  EXPECT_NE(Text(fake.lutrisSettings).find("  prefix_command: '\"" + copy + "\" gamemoderun'\n"), std::string::npos)
      << Text(fake.lutrisSettings);

  // What the tool writes there, and a Wine that records what it was given.
  WriteFile(fake.heroicGame + "/HollowVoyage/Binaries/Win64/modpaths", ReadFile(Setting("MODPATHS_NATIVE_EXE")));
  MakeExecutable(fake.heroicGame + "/HollowVoyage/Binaries/Win64/modpaths");
  ASSERT_EQ(RunProgram({fake.heroicGame + "/HollowVoyage/Binaries/Win64/modpaths"},
                       {{"HOME", fake.heroicPrefix + "/drive_c/users/deck"}}),
            0);
  const Bytes expected = ReadFile(fake.Save(fake.heroicPrefix));
  ASSERT_GT(expected.size(), 4u + 17u);
  RemoveTree(fake.Save(fake.heroicPrefix));
  const std::string wine = fake.steam.root / "wine";
  WriteFile(wine, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done >\"$MODPATHS_RECORD\"\nexit 7\n");
  MakeExecutable(wine);
  const std::string gamemoderun = fake.steam.root / "gamemoderun";
  WriteFile(gamemoderun, "#!/bin/sh\nexec \"$@\"\n");
  MakeExecutable(gamemoderun);
  struct Launch {
    const char* launcher;
    std::vector<std::string> command;
    Environment env;
    std::string prefix;
  } const launches[] = {
      {"Heroic", {copy, wine, fake.heroicGame + "/HollowVoyage.exe", "-dx11"},
       {{"HEROIC_APP_NAME", "Crab"}, {"HEROIC_APP_SOURCE", "epic"}, {"WINEPREFIX", fake.heroicPrefix}},
       fake.heroicPrefix},
      {"Lutris", {copy, gamemoderun, wine, fake.lutrisGame + "/HollowVoyage.exe", "-dx11"},
       {{"GAME_DIRECTORY", fake.lutrisPrefix}, {"WINEPREFIX", fake.lutrisPrefix}}, fake.lutrisPrefix},
  };
  for (const Launch& launch : launches) {
    SCOPED_TRACE(launch.launcher);
    Environment launched = env;
    launched.insert(launch.env.begin(), launch.env.end());
    launched["MODPATHS_RECORD"] = fake.steam.root / "record";
    EXPECT_EQ(RunProgram(launch.command, launched), 7);
    EXPECT_EQ(Recorded(fake.steam.root / "record"),
              std::vector<std::string>(launch.command.end() - 2, launch.command.end()));
    EXPECT_EQ(ReadFile(fake.Save(launch.prefix)), expected);
  }

  // check tells, for each launcher, that the wrapper runs.
  if (const std::string inspect = Setting("MODPATHS_INSPECT_EXE"); FileExists(inspect)) {
    RunMeasured({inspect, "check", fake.heroicGame + "/HollowVoyage"}, env, options);
    EXPECT_NE(told().find("Heroic's wrappers (Hollow Voyage): " + copy + "; /usr/bin/mangohud (runs"), std::string::npos)
        << told();
    EXPECT_NE(told().find("Lutris' command prefix (Hollow Voyage): \"" + copy + "\" gamemoderun (runs"),
              std::string::npos)
        << told();
  }

  // Lutris running: Lutris alone refused.
  const std::string running = fake.steam.root / "lutris";
  WriteFile(running, ReadFile(FindOnPath("sleep")));
  MakeExecutable(running);
  const Process lutris = StartProgram({running, "60"}, env);
  EXPECT_EQ(RunMeasured({unzipped, "--remove", "--launcher", "lutris"}, env, options).exitStatus, 1);
  EXPECT_NE(told().find("close Lutris, then run this again"), std::string::npos) << told();
  KillProgram(lutris);
  WaitProgram(lutris);

  EXPECT_EQ(RunMeasured({unzipped, "--remove"}, env, options).exitStatus, 0) << told();
  EXPECT_EQ(Text(fake.steam.config), fake.steam.localconfig);
  EXPECT_EQ(Text(fake.heroicSettings), fake.heroicBefore);
  EXPECT_EQ(Text(fake.lutrisSettings), fake.lutrisBefore);
  EXPECT_FALSE(FileExists(copy)) << told();
}

}  // namespace

namespace {

// The same under Wine with modpaths-launch.exe, Steam's folder in the
// registry as Steam writes it, and a pid left behind by a Steam killed.
TEST(LaunchSetup, OnWindowsFindsSteamFromTheRegistryAndUndoesItself) {
  auto runner = MakeRunner("wine");
  if (const std::string why = runner->Unavailable(); !why.empty()) {
    if (RequireWine()) FAIL() << why;
    GTEST_SKIP() << why;
  }
  auto onZ = [](const std::string& path) {
    std::string windows = "Z:" + path;
    std::replace(windows.begin(), windows.end(), '/', '\\');
    return windows;
  };
  FakeSteam fake(SteamKind::Native, onZ);
  const Environment env = runner->Env();
  const std::string key = "HKCU\\Software\\Valve\\Steam";
  auto reg = [&](const std::vector<std::string>& arguments) {
    return RunProgram(runner->Command("reg", arguments), env);
  };
  ASSERT_EQ(reg({"add", key, "/v", "SteamPath", "/t", "REG_SZ", "/d", "z:" + fake.steam, "/f"}), 0);
  // Under Wine, pid 56 or so is one of Wine's own services.
  ASSERT_EQ(reg({"add", key + "\\ActiveProcess", "/v", "pid", "/t", "REG_DWORD", "/d", "56", "/f"}), 0);
  const std::string unzipped = fake.Unzipped(WindowsBuildFile("modpaths-launch.exe"), "modpaths-launch.exe");
  EXPECT_EQ(RunProgram(runner->Command(unzipped, {"--setup"}), env), 0);
  const std::string config = Text(fake.config);
  EXPECT_NE(config.find("\\AppData\\\\Local\\\\modpaths\\\\modpaths-launch.exe\\\" %command% -dx11\""),
            std::string::npos)
      << config;
  const std::string profile(platform::ParentFolder(runner->SavedGames(), platform::kPosixPaths));
  const std::string copy = profile + "/AppData/Local/modpaths/modpaths-launch.exe";
  EXPECT_TRUE(FileExists(copy));
  // Set up again from the copy itself, which cannot replace itself.
  EXPECT_EQ(RunProgram(runner->Command(copy, {"--setup"}), env), 0);
  EXPECT_EQ(Text(fake.config), config);
  // A usage error is no game: status 2, and nothing recorded.
  EXPECT_EQ(RunProgram(runner->Command(unzipped, {"--setpu"}), env), 2);

  // Steam starts the copy with the game's own executable after it.
  WriteFile(fake.card + "/steamapps/common/Hollow Voyage/HollowVoyage.exe",
            ReadFile(WindowsBuildFile("testing/modpaths-record-command.exe")));
  const std::string saves = runner->SavedGames() + "/Corvane/HollowVoyage";
  RemoveTree(saves);
  MakeFolders(saves);
  Environment launched = env;
  launched["MODPATHS_RECORD"] = onZ(fake.root / "record");
  // On the SD card, then moved to Steam's own library.
  for (const std::string& library : {fake.card, fake.steam}) {
    const std::string game = library + "/steamapps/common/Hollow Voyage";
    if (library == fake.steam) {
      RemoveTree(fake.card + "/steamapps");
      fake.Install(fake.steam);
      WriteFile(game + "/HollowVoyage.exe",
                ReadFile(WindowsBuildFile("testing/modpaths-record-command.exe")));
    }
    RemoveTree(saves + "/ModManager_ModPaths.sav");
    EXPECT_EQ(RunProgram(runner->Command(copy, {onZ(game + "/HollowVoyage.exe"), "-dx11"}), launched),
              7);
    EXPECT_GT(ReadFile(saves + "/ModManager_ModPaths.sav").size(), 4u + 17u) << library;
  }

  EXPECT_EQ(RunProgram(runner->Command(unzipped, {"--remove"}), env), 0);
  EXPECT_EQ(Text(fake.config), fake.localconfig);
  EXPECT_FALSE(FileExists(copy));
  EXPECT_FALSE(FileExists(fake.root / "Downloads/modpaths-launch.log"));
  reg({"delete", key, "/v", "SteamPath", "/f"});
  reg({"delete", key + "\\ActiveProcess", "/f"});
}

}  // namespace
