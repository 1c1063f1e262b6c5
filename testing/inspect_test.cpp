// modpaths-inspect run as a modder would, on generated containers and saves.

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include <stdlib.h>

#include <nlohmann/json.hpp>

#include "app/save_file.h"
#include "fixtures/record_io.h"
#include "inspect/inspect.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "testing/end_to_end.h"

namespace {

using namespace testing_support;
using Json = nlohmann::json;

struct Inspected {
  int exitStatus;
  Json json;
  std::string text;
};

// Runs modpaths-inspect's command line in this process, once for its text
// and once with --json. `env` may name the HOME that holds the user's Saved
// Games folder.
Inspected Inspect(std::vector<std::string> arguments, const Environment& env = {}) {
  const auto home = env.find("HOME");
  const std::string previous = std::getenv("HOME") ? std::getenv("HOME") : "";
  if (home != env.end()) setenv("HOME", home->second.c_str(), 1);
  arguments.insert(arguments.begin(), "modpaths-inspect");
  std::string text, json, err;
  const int textStatus = inspect::RunCommandLine(arguments, text, err);
  arguments.push_back("--json");
  const int jsonStatus = inspect::RunCommandLine(arguments, json, err);
  if (home != env.end()) setenv("HOME", previous.c_str(), 1);
  EXPECT_EQ(textStatus, jsonStatus) << "text and JSON disagree";
  return Inspected{jsonStatus, Json::parse(json), text};
}

// The program itself, for what only a process shows: its output streams
// and exit status.
RunResult RunInspector(const std::vector<std::string>& arguments, const RunOptions& options) {
  std::vector<std::string> command{Setting("MODPATHS_INSPECT_EXE")};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return RunMeasured(command, CurrentEnvironment(), options);
}

void Patch(const std::string& path, size_t offset, uint32_t value) {
  Bytes bytes = ReadFile(path);
  std::memcpy(&bytes[offset], &value, 4);
  WriteFile(path, bytes);
}

constexpr int32_t kHugeCount = INT32_MAX;

std::set<std::string> Codes(const Json& details) {
  std::set<std::string> codes;
  for (const Json& detail : details) codes.insert(detail["code"].get<std::string>());
  return codes;
}

bool Says(const Inspected& run, const std::string& words) {
  return run.text.find(words) != std::string::npos;
}

class InspectTest : public ::testing::Test {
 protected:
  std::string Container(const std::string& name, uint8_t flags = 0) {
    const std::string path = dir / name;
    EXPECT_TRUE(PlaceContainer(path, ModTree("M", {"A.uasset", "A.uexp"}), flags));
    return path;
  }
  TempDir dir;
};

TEST_F(InspectTest, TocShowsSectionsHeaderAndPaths) {
  // Three chunks and two blocks: the index starts at 144 + 22 x 3 + 12 x 2.
  const auto [status, report, text] = Inspect({"toc", Container("good.utoc"), "--files"});
  EXPECT_EQ(status, 0);
  EXPECT_EQ(report["status"], "ok");
  EXPECT_EQ(report["header"]["magic"], "-==--==--==--==-");
  EXPECT_EQ(report["header"]["tocEntryCount"], 3);
  EXPECT_EQ(report["header"]["containerFlags"]["names"], Json::array());
  const Json& sections = report["read"]["sections"];
  ASSERT_GE(sections.size(), 5u);
  EXPECT_EQ(sections[1]["name"], "ChunkIds");
  EXPECT_EQ(sections[1]["start"], 144);
  EXPECT_EQ(sections[4]["name"], "MountPoint");
  EXPECT_EQ(sections[4]["start"], 234);
  EXPECT_EQ(report["read"]["failure"], nullptr);
  EXPECT_EQ(report["directoryIndex"]["files"], 2);
  EXPECT_EQ(report["packagePaths"], Json::array({"/Game/Mods/M/A.A"}));
  EXPECT_EQ(report["files"].size(), 2u);
}

TEST_F(InspectTest, TocTextNamesWhatTheJsonHolds) {
  const Inspected good = Inspect({"toc", Container("good.utoc"), "--files"});
  for (const char* words :
       {"header:", "ChunkIds", "read: complete", "walk: nothing unusual",
        "files (2):", "package paths (1):\n  /Game/Mods/M/A.A\n", "no problems found"}) {
    EXPECT_TRUE(Says(good, words)) << words << "\n" << good.text;
  }
  const Inspected locked =
      Inspect({"toc", Container("locked.utoc", IoStore::ContainerFlags::Encrypted)});
  EXPECT_TRUE(Says(locked, "0x02 Encrypted")) << locked.text;
  EXPECT_TRUE(Says(locked, "directory index: not read (encrypted container)")) << locked.text;
}

TEST_F(InspectTest, TocExplainsContainersThatGiveNothing) {
  const auto encrypted =
      Inspect({"toc", Container("locked.utoc", IoStore::ContainerFlags::Encrypted | 0x40)});
  EXPECT_EQ(encrypted.exitStatus, 1);
  EXPECT_EQ(encrypted.json["directoryIndex"]["read"], false);
  EXPECT_EQ(encrypted.json["header"]["containerFlags"]["names"], Json::array({"Encrypted"}));
  EXPECT_EQ(encrypted.json["header"]["containerFlags"]["unknownBits"], 0x40);

  // Damage, and where the read says it stopped. With no chunks the index
  // follows the header: its directory entries start at 144 + 14, after the
  // mount point "../../../".
  const Bytes whole =
      SaveRecord(MakeToc(MakeDirectoryIndex("../../../", ModTree("M", {"A.uasset"})), 0, 0));
  Bytes huge = ReadFile(Container("huge.utoc"));
  std::memcpy(&huge[24], &kHugeCount, 4);  // TocEntryCount
  struct Damage {
    Bytes bytes;
    const char* kind;
    const char* section;
    int64_t offset;
    Json value;  // of a refused count
  } const damages[] = {
      {Bytes(whole.begin(), whole.begin() + 160), "ran out of bytes", "DirectoryEntries", 158, {}},
      {Bytes(whole.begin(), whole.begin() + 180), "refused", "DirectoryEntries", 162,
       5},  // 5 entries in 18 bytes
      {huge, "refused", "ChunkIds", 144, int64_t{55} * kHugeCount + 12 * 2},  // table bytes
  };
  for (const Damage& damage : damages) {
    WriteFile(dir / "damaged.utoc", damage.bytes);
    const Inspected run = Inspect({"toc", dir / "damaged.utoc"});
    const Json& failure = run.json["read"]["failure"];
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(failure["kind"], damage.kind) << damage.offset;
    EXPECT_EQ(failure["section"], damage.section) << damage.offset;
    EXPECT_EQ(failure["offset"], damage.offset);
    if (!damage.value.is_null()) {
      EXPECT_EQ(failure["value"], damage.value);
      EXPECT_EQ(failure["bytesLeft"], damage.bytes.size() - static_cast<size_t>(damage.offset));
    }
  }
}

TEST_F(InspectTest, ExitsWithTwoForUsageErrorsAndMissingFiles) {
  EXPECT_EQ(Inspect({"toc", dir / "missing.utoc"}).exitStatus, 2);
  EXPECT_EQ(Inspect({"save", dir / "missing.sav"}).exitStatus, 2);
  EXPECT_EQ(Inspect({"scan", dir / "missing"}).exitStatus, 2);
  EXPECT_EQ(Inspect({"check", dir / "missing"}).exitStatus, 2);
  for (const std::vector<std::string>& usage :
       {std::vector<std::string>{"frobnicate"}, std::vector<std::string>{}, {"check"}}) {
    RunOptions quiet;
    quiet.errorFile = dir / "usage.txt";
    EXPECT_EQ(RunInspector(usage, quiet).exitStatus, 2) << usage.size();
  }
}

// The program, as a script runs it: text, then JSON on standard output.
TEST_F(InspectTest, PrintsTextAndJsonOnItsStandardOutput) {
  RunOptions options;
  options.outputFile = dir / "out.txt";
  const std::string good = Container("good.utoc");
  EXPECT_EQ(RunInspector({"toc", good}, options).exitStatus, 0);
  const Bytes text = ReadFile(options.outputFile);
  EXPECT_NE(std::string(text.begin(), text.end()).find("/Game/Mods/M/A.A"), std::string::npos);
  EXPECT_EQ(RunInspector({"toc", good, "--json"}, options).exitStatus, 0);
  const Bytes json = ReadFile(options.outputFile);
  EXPECT_EQ(Json::parse(json.begin(), json.end())["packagePaths"],
            Json::array({"/Game/Mods/M/A.A"}));
}

TEST(InspectScan, DecidesLikeTheToolAndListsWhatItWrites) {
  auto runner = MakeRunner("native");
  Installation install(*runner, "Game");
  MakeFolders(install.saveFolder);
  const Bytes templateBytes = Hex("47 56 41 53");
  WriteFile(install.binaries + "/SourceSave.sav", templateBytes);
  const std::string paks = install.paks + "/";
  ASSERT_TRUE(PlaceContainer(paks + "Good.utoc", ModTree("Good", {"G.uasset"})));
  ASSERT_TRUE(
      PlaceContainer(paks + "Mods/Other.utoc", ModTree("Other", {"O1.uasset", "O2.uasset"})));
  ASSERT_TRUE(PlaceContainer(paks + "Mods/Locked.utoc", ModTree("L", {"L.uasset"}),
                             IoStore::ContainerFlags::Encrypted));
  ASSERT_TRUE(PlaceContainer(paks + "global.utoc", ModTree("Base", {"B.uasset"})));
  ASSERT_TRUE(PlaceContainer(paks + "Mods/Deep/Deep.utoc", ModTree("Deep", {"D.uasset"})));
  WriteFile(paks + "Readme.txt", "hello");

  const auto [status, report, text] = Inspect({"scan", install.game});
  EXPECT_EQ(status, 1);  // the encrypted container gives nothing
  EXPECT_EQ(report["paksFolder"], install.paks);
  std::map<std::string, std::string> decisions;
  for (const Json& entry : report["entries"]) decisions[entry["path"]] = entry["decision"];
  EXPECT_EQ(decisions[paks + "Good.utoc"], "mod container");
  EXPECT_EQ(decisions[paks + "Mods"], "folder");
  EXPECT_EQ(decisions[paks + "Mods/Locked.utoc"], "mod container");
  EXPECT_EQ(decisions[paks + "global.utoc"], "base-game name");
  EXPECT_EQ(decisions[paks + "Mods/Deep"], "too deep");
  EXPECT_EQ(decisions[paks + "Readme.txt"], "not .utoc");
  EXPECT_EQ(report["containers"].size(), 3u);

  EXPECT_EQ(runner->Run(install.executable).exitStatus, 0);
  const modpaths::DecodedSave written =
      modpaths::DecodeModPathsSave(ReadFile(install.output), templateBytes.size());
  ASSERT_TRUE(written.valid);
  EXPECT_EQ(report["packagePaths"].get<std::vector<std::string>>(), written.paths);
  EXPECT_EQ(written.paths.size(), 3u);

  EXPECT_NE(text.find("  too deep        " + paks + "Mods/Deep"), std::string::npos) << text;
  EXPECT_NE(text.find(paks + "Mods/Locked.utoc: the container is encrypted"), std::string::npos)
      << text;
}

// Whether the save is up to date, as a player asks after adding a mod.
TEST(InspectCheck, SaysWhetherTheSaveHoldsWhatTheToolWouldWriteNow) {
  auto runner = MakeRunner("native");
  Installation install(*runner, "Game");
  MakeFolders(install.saveFolder);
  WriteFile(install.binaries + "/SourceSave.sav", Hex("47 56 41 53"));
  const std::string paks = install.paks + "/";
  ASSERT_TRUE(PlaceContainer(paks + "Sails.utoc", ModTree("Sails", {"S.uasset", "T.uasset"})));
  ASSERT_TRUE(PlaceContainer(paks + "Mods/Hull.utoc", ModTree("Hull", {"H.uasset"})));
  const Environment env = runner->Env();  // its HOME holds the Saved Games folder

  const Inspected none = Inspect({"check", install.game}, env);
  EXPECT_EQ(none.exitStatus, 1);
  EXPECT_TRUE(Says(none, "there is no save at " + install.output)) << none.text;

  ASSERT_EQ(runner->Run(install.executable).exitStatus, 0);
  const Inspected fresh = Inspect({"check", install.game}, env);
  EXPECT_EQ(fresh.exitStatus, 0);
  EXPECT_EQ(fresh.json["status"], "ok");
  EXPECT_EQ(fresh.json["upToDate"], true);
  EXPECT_EQ(fresh.json["savedPaths"], 3);
  EXPECT_TRUE(Says(fresh, "the save is up to date")) << fresh.text;

  // Another system lists folders in another order: the same paths still
  // make the save up to date.
  modpaths::DecodedSave written = modpaths::DecodeModPathsSave(ReadFile(install.output), 4);
  std::reverse(written.paths.begin(), written.paths.end());
  ASSERT_TRUE(modpaths::WriteModPathsSave(install.root / "reordered.sav", Hex("47 56 41 53"),
                                          written.paths));
  const Inspected reordered =
      Inspect({"check", install.game, "--save", install.root / "reordered.sav"}, env);
  EXPECT_EQ(reordered.exitStatus, 0);
  EXPECT_EQ(reordered.json["sameOrder"], false);

  // One mod added, one removed: named and counted, and the save is stale.
  ASSERT_TRUE(PlaceContainer(paks + "Mods/Flags.utoc", ModTree("Flags", {"F.uasset"})));
  for (const char* extension : {".utoc", ".ucas", ".pak"}) RemoveTree(paks + "Sails" + extension);
  const Inspected stale = Inspect({"check", install.game}, env);
  EXPECT_EQ(stale.exitStatus, 1);
  EXPECT_EQ(stale.json["upToDate"], false);
  ASSERT_EQ(stale.json["containersNotInSave"].size(), 1u);
  EXPECT_EQ(stale.json["containersNotInSave"][0]["path"], paks + "Mods/Flags.utoc");
  EXPECT_EQ(stale.json["pathsNoLongerGiven"], 2);
  EXPECT_TRUE(Says(stale, "run modpaths.exe again")) << stale.text;
  EXPECT_TRUE(Says(stale, "/Game/Mods/Sails/S.S, /Game/Mods/Sails/T.T")) << stale.text;

  // The same paths again from a second container are written twice.
  ASSERT_EQ(runner->Run(install.executable).exitStatus, 0);
  EXPECT_EQ(Inspect({"check", install.game}, env).exitStatus, 0);
  ASSERT_TRUE(PlaceContainer(paks + "HullAgain.utoc", ModTree("Hull", {"H.uasset"})));
  const Inspected twice = Inspect({"check", install.game}, env);
  EXPECT_EQ(twice.exitStatus, 1);
  EXPECT_EQ(twice.json["containersNotInSave"].size(), 1u);

  // Another save, named on the command line, that is damaged.
  Bytes damaged = ReadFile(install.output);
  damaged.pop_back();
  WriteFile(install.root / "damaged.sav", damaged);
  const Inspected broken =
      Inspect({"check", install.game, "--save", install.root / "damaged.sav"}, env);
  EXPECT_EQ(broken.exitStatus, 1);
  EXPECT_TRUE(Says(broken, "the save is damaged")) << broken.text;
}

// Whatever folder of the game a player names, check means the same game;
// and each reason modpaths.exe cannot write the save comes with its fix,
// never with "run modpaths.exe again".
TEST(InspectCheck, FindsTheGameFromAnyOfItsFoldersAndNamesWhatStopsTheTool) {
  auto runner = MakeRunner("native");
  Installation install(*runner, "Game");
  MakeFolders(install.saveFolder);
  WriteFile(install.binaries + "/SourceSave.sav", Hex("01"));
  ASSERT_TRUE(PlaceContainer(install.paks + "/Sails.utoc", ModTree("Sails", {"S.uasset"})));
  ASSERT_EQ(runner->Run(install.executable).exitStatus, 0);
  // The last as cmd passes "D:\Games\X\": with a quote at the end.
  for (const std::string& folder : {install.game, install.binaries, install.game + "/Content/",
                                    install.paks, install.game + "\""}) {
    const Inspected check = Inspect({"check", folder}, runner->Env());
    EXPECT_EQ(check.exitStatus, 0) << folder << "\n" << check.text;
    EXPECT_EQ(check.json["paksFolder"], install.paks) << folder;
  }
  // Refused, each naming the game nearest to what was given.
  const std::string suggested = "e.g. \"" + install.game + "\"";
  MakeFolders(install.paks + "/~mods");
  for (const std::string& wrong : {install.root.path(), install.paks + "/~mods",
                                   install.binaries + "/SourceSave.sav"}) {
    const Inspected refused = Inspect({"check", wrong});
    EXPECT_EQ(refused.exitStatus, 2);
    EXPECT_TRUE(Says(refused, "give the game's folder") && Says(refused, suggested))
        << refused.text;
  }
  EXPECT_TRUE(Says(Inspect({"check", install.binaries + "/SourceSave.sav"}), "is a file"));
  EXPECT_EQ(Inspect({"scan", install.root.path()}).exitStatus, 2);
  EXPECT_TRUE(Says(Inspect({"check", install.root / "Gone"}), "does not exist"));

  EXPECT_EQ(Inspect({"save"}, runner->Env()).json["file"], install.output);
  // A template that changed size: said as such, not as a damaged list.
  WriteFile(install.binaries + "/SourceSave.sav", Hex("01 02 03 04 05 06 07 08 09"));
  const Inspected changed = Inspect({"check", install.game}, runner->Env());
  EXPECT_TRUE(Says(changed, "[template-changed]") && !Says(changed, "damaged")) << changed.text;
  WriteFile(install.binaries + "/SourceSave.sav", Hex("01"));

  ASSERT_TRUE(PlaceContainer(install.paks + "/Flags.utoc", ModTree("Flags", {"F.uasset"})));
  struct Reason {
    const char* code;
    const char* fix;
    std::function<void()> cause, undo;
    bool blocks = true;  // keeps modpaths.exe from writing: no "run it again"
  } const reasons[] = {
      {"no-template", "modpaths.exe does nothing without it",
       [&] { RemoveTree(install.binaries + "/SourceSave.sav"); },
       [&] { WriteFile(install.binaries + "/SourceSave.sav", Hex("01")); }},
      {"save-locked", "clear its read-only attribute", [&] { SetReadOnly(install.output); },
       [&] { SetReadOnly(install.output, false); }},
      // Both programs copied elsewhere: modpaths.exe finds no game there.
      {"tool-missing", "put it there", [&] { RemoveTree(install.executable); },
       [&] { WriteFile(install.executable, ReadFile(runner->Executable())); }},
      {"template-unreadable", "is a folder",
       [&] {
         RemoveTree(install.binaries + "/SourceSave.sav");
         MakeFolders(install.binaries + "/SourceSave.sav");
       },
       [&] {
         RemoveTree(install.binaries + "/SourceSave.sav");
         WriteFile(install.binaries + "/SourceSave.sav", Hex("01"));
       }},
      {"last-launch-failed", "at the game's start) did not update the save: modpaths could not",
       [&] {
         MakeOld(install.output);  // before the launch
         WriteFile(install.binaries + "/modpaths-launch.log",
                   platform::LocalTimeIso8601() +
                       "\t1.3.0\tcommand\tdisk-full\tmodpaths could not write it: the disk is full\n");
       },
       [&] { RemoveTree(install.binaries + "/modpaths-launch.log"); }, false},
      {"leftover-temporary", "the next run of modpaths removes such files",
       [&] { WriteFile(install.output + ".4242.tmp", "part of a save"); },
       [&] { RemoveTree(install.output + ".4242.tmp"); }, false},
      {"no-saved-games", "start the game once", [&] { RemoveTree(install.saveFolder); }, [] {}},
  };
  for (const Reason& reason : reasons) {
    reason.cause();
    const Inspected check = Inspect({"check", install.game}, runner->Env());
    reason.undo();
    EXPECT_EQ(check.exitStatus, 1) << reason.code;
    EXPECT_TRUE(Says(check, reason.fix) && Says(check, reason.code)) << check.text;
    EXPECT_NE(Says(check, "out of date: run modpaths.exe again"), reason.blocks) << check.text;
  }
  // A failed launch followed by a good save is history; that the wrapper
  // ran at the game's start once is no launch option that runs it now.
  WriteFile(install.binaries + "/modpaths-launch.log",
            "2026-12-08T21:04:55+01:00\t1.3.0\tcommand\tdisk-full\tthe disk is full\n");
  MakeFolders(install.saveFolder);
  MakeExecutable(install.executable);
  ASSERT_EQ(runner->Run(install.executable).exitStatus, 0);
  const Inspected history = Inspect({"check", install.game}, runner->Env());
  EXPECT_EQ(history.exitStatus, 0) << history.text;
  EXPECT_TRUE(Says(history, "(the save has been written since)") && Says(history, "paste") &&
              !Says(history, "nothing to set up"))
      << history.text;
  RemoveTree(install.binaries + "/modpaths-launch.log");
  // The unzipped folder dragged into Binaries/Win64: move the files up.
  MakeFolders(install.binaries + "/modpaths-1.4.0");
  const Inspected nested = Inspect({"check", install.binaries + "/modpaths-1.4.0"}, runner->Env());
  EXPECT_TRUE(Says(nested, "[nested-folder]") && Says(nested, "up into " + install.binaries) &&
              !Says(nested, "%command%"))
      << nested.text;
  // On Linux the tool in the game's folder is modpaths.exe, which Proton runs.
  const auto tool = ReadFile(install.executable);
  RemoveTree(install.executable);
  WriteFile(install.binaries + "/modpaths.exe", tool);
  EXPECT_FALSE(Says(Inspect({"check", install.game}, runner->Env()), "[tool-missing]"));
}

TEST_F(InspectTest, SaveChecksTemplateRecordsAndMarker) {
  const Bytes templateBytes = Hex("47 56 41 53 01 00 00 00 00");
  WriteFile(dir / "SourceSave.sav", templateBytes);
  ASSERT_TRUE(
      modpaths::WriteModPathsSave(dir / "good.sav", templateBytes, {"/Game/A.A", "/Game/B.B"}));

  const auto withTemplate =
      Inspect({"save", dir / "good.sav", "--template", dir / "SourceSave.sav"});
  EXPECT_EQ(withTemplate.exitStatus, 0);
  EXPECT_EQ(withTemplate.json["listOffset"], templateBytes.size());
  EXPECT_EQ(withTemplate.json["paths"], Json::array({"/Game/A.A", "/Game/B.B"}));
  EXPECT_EQ(withTemplate.json["template"]["matches"], true);
  EXPECT_TRUE(Says(withTemplate, "paths (2):\n  /Game/A.A\n  /Game/B.B\n")) << withTemplate.text;
  EXPECT_TRUE(Says(withTemplate, "closing marker and records: intact")) << withTemplate.text;

  const auto inferred = Inspect({"save", dir / "good.sav"});
  EXPECT_EQ(inferred.exitStatus, 0);
  EXPECT_EQ(inferred.json["listOffset"], templateBytes.size());
  EXPECT_EQ(inferred.json["count"], 2);

  Bytes damaged = ReadFile(dir / "good.sav");
  damaged[templateBytes.size() + 4 + 4 + 10] = 0x7F;  // the second record's length
  WriteFile(dir / "damaged.sav", damaged);
  const auto broken = Inspect({"save", dir / "damaged.sav", "--template", dir / "SourceSave.sav"});
  EXPECT_EQ(broken.exitStatus, 1);
  EXPECT_EQ(broken.json["valid"], false);
  EXPECT_EQ(broken.json["damage"]["offset"], templateBytes.size() + 4 + 4 + 10);
  EXPECT_TRUE(Says(broken, "closing marker and records: DAMAGED")) << broken.text;

  // After a game update the template differs: no list is sought in the
  // wrong place. The template itself is no save.
  WriteFile(dir / "Updated.sav", Hex("47 56 41 53 02 00 00 00 00"));
  const auto updated = Inspect({"save", dir / "good.sav", "--template", dir / "Updated.sav"});
  EXPECT_EQ(updated.exitStatus, 1);
  EXPECT_EQ(Codes(updated.json["problemDetails"]), std::set<std::string>{"template-changed"});
  EXPECT_TRUE(Says(updated, "first differ at offset 4") && !Says(updated, "DAMAGED"))
      << updated.text;
  for (const std::vector<std::string>& itself :
       {std::vector<std::string>{"save", dir / "SourceSave.sav"},
        {"save", dir / "SourceSave.sav", "--template", dir / "SourceSave.sav"}}) {
    EXPECT_EQ(Codes(Inspect(itself).json["problemDetails"]), std::set<std::string>{"not-a-save"});
  }

  damaged = ReadFile(dir / "good.sav");
  damaged.pop_back();
  WriteFile(dir / "short.sav", damaged);
  const auto shortened = Inspect({"save", dir / "short.sav", "--template", dir / "SourceSave.sav"});
  EXPECT_EQ(shortened.exitStatus, 1);
  EXPECT_NE(shortened.json["damage"]["message"].get<std::string>().find("closing marker"),
            std::string::npos);
}

}  // namespace

namespace {

// One installation holding each packing mistake a modder makes, beside one
// good mod: every command names each with its code, in JSON and in text.
TEST(InspectDiagnoses, NameThePackingMistakesModdersMake) {
  auto runner = MakeRunner("native");
  Installation install(*runner, "Game");
  const std::string paks = install.paks + "/";
  auto place = [&](const std::string& relative, const Folder& tree, uint8_t flags = 0,
                   int32_t chunks = 3) {
    EXPECT_TRUE(PlaceContainer(paks + relative, tree, flags, chunks)) << relative;
    return paks + relative;
  };
  auto below = [](std::vector<Folder> folders) { return Folder{"", std::move(folders), {}}; };
  place("Good.utoc", ModTree("Good", {"G.uasset"}));
  const std::string newer = place("Newer.utoc", ModTree("Newer", {"N.uasset"}));
  Patch(newer, 16, 5);  // the version word
  Patch(place("Older.utoc", ModTree("Older", {"O.uasset"})), 16, 1);
  Patch(place("Magic.utoc", ModTree("Magic", {"M.uasset"})), 0, 0x21212121);
  place("NoData.utoc", ModTree("NoData", {"D.uasset"}));
  RemoveTree(paks + "NoData.ucas");
  // Windows and Proton open files whatever the case of their names.
  place("Mods/Shouting.utoc", ModTree("Shouting", {"S.uasset"}));
  WriteFile(paks + "Mods/Shouting.PAK", Bytes{});
  RemoveTree(paks + "Mods/Shouting.pak");
  place("Plugin.utoc",
        below({Folder{
            "HollowVoyage", {Folder{"Plugins", {Folder{"Extra", {}, {"P.uasset"}}}, {}}}, {}}}));
  const Folder ship{"ShipKit", {Folder{"Content", {}, {"Hull.uasset"}}}, {}};
  place("ShipKit.utoc", below({Folder{"HollowVoyage", {Folder{"Plugins", {ship}, {}}}, {}}}));
  place("EngineBits.utoc", below({Folder{"Engine", {Folder{"Content", {}, {"E.uasset"}}}, {}}}));
  place("Pack.utoc",
        below({Folder{"HollowVoyage", {Folder{"ContentPack", {}, {"A.uasset"}}}, {}}}));
  place("Lower.utoc", below({Folder{"HollowVoyage", {Folder{"content", {}, {"W.uasset"}}}, {}}}));
  place("Upper.utoc", ModTree("Upper", {"U.UASSET"}));
  place("Locked.utoc", ModTree("Locked", {"L.uasset"}), IoStore::ContainerFlags::Encrypted);
  place("Filtered.utoc", ModTree("Filtered", {"F.uexp", "F.ubulk"}));
  Bytes cut = ReadFile(place("Cut.utoc", ModTree("Cut", {"C.uasset"}), 0, 189));
  cut.resize(300);
  WriteFile(paks + "Cut.utoc", cut);
  IoStore::FIoStoreTocResource bare = MakeToc(MakeDirectoryIndex("", Folder{}), 3, 2);
  bare.NoDirectoryIndex = true;
  bare.Header.DirectoryIndexSize = 0;
  ASSERT_TRUE(WriteToc(bare, place("Bare.utoc", Folder{})));
  place("Mods/Nested/Deep.utoc", ModTree("Deep", {"D.uasset"}));
  place("Mods/Deep/Inner/Deep.utoc", ModTree("Deeper", {"D.uasset"}));
  // Links below a subfolder lead out of the paks folder, or back into it.
  ASSERT_TRUE(PlaceContainer(install.root / "Elsewhere/Stray.utoc", ModTree("Stray", {"S.uasset"})));
  std::filesystem::create_directory_symlink(install.root / "Elsewhere", paks + "Mods/Deep/Inner/Out");
  std::filesystem::create_directory_symlink(paks + "Mods", paks + "Mods/Deep/Inner/Loop");
  place("Mods/global.utoc", ModTree("Named", {"G.uasset"}));
  place("Mods/Twin.utoc", ModTree("good", {"g.uasset"}));               // Good's path in other case
  place("Mods/Repeat.utoc", ModTree("Rep", {"R.uasset", "R.uasset"}));  // itself twice
  place("Shouty_P.UTOC", ModTree("Shouty", {"S.uasset"}));
  place("Double.utoc.utoc", ModTree("Double", {"D2.uasset"}));  // read, with Double.utoc.pak
  WriteFile(paks + "Empty.utoc", Bytes{});
  Patch(place("Huge.utoc", ModTree("Huge", {"H.uasset"})), 24, 0x7FFFFFFF);  // TocEntryCount
  WriteFile(paks + "LegacyMod_P.pak", Bytes(64, 0x50));
  WriteFile(paks + "pakchunk1-WindowsNoEditor.pak", Bytes(64, 0x50));  // the base game's
  // Packed from one chunk and renamed: one ContainerId for two mods, and
  // for a mod and the base game.
  place("pakchunk0-WindowsNoEditor.utoc", ModTree("Base", {"B.uasset"}));
  for (const char* clone : {"Mods/CloneA.utoc", "~mods/CloneB_2_P.utoc"}) {
    const std::string path = place(clone, ModTree("Clone", {std::string(clone + 5)}));
    Patch(path, 56, 0xC105E);  // ContainerId, low word ...
    Patch(path, 60, 0);        // ... and high word
  }
  const Bytes base = ReadFile(paks + "pakchunk0-WindowsNoEditor.utoc");
  Bytes overrider = ReadFile(place("~mods/Chunk0_P.utoc", ModTree("Chunk0", {"C.uasset"})));
  std::copy(base.begin() + 56, base.begin() + 64, overrider.begin() + 56);
  WriteFile(paks + "~mods/Chunk0_P.utoc", overrider);

  const Inspected scan = Inspect({"scan", install.game});
  EXPECT_EQ(scan.exitStatus, 1);
  // Each container with the codes it alone gives.
  const std::map<std::string, std::set<std::string>> expected = {
      {"Good.utoc", {}},
      {"Mods/Shouting.utoc", {}},
      {"Mods/Repeat.utoc", {}},
      {"Newer.utoc", {"newer-format"}},
      {"Older.utoc", {"older-format"}},
      {"Magic.utoc", {"not-a-container"}},
      {"NoData.utoc", {"missing-ucas"}},
      {"Plugin.utoc", {"outside-content"}},
      {"ShipKit.utoc", {"plugin-content"}},
      {"EngineBits.utoc", {"engine-content"}},
      {"Pack.utoc", {"content-in-name"}},
      {"Lower.utoc", {"case-mismatch"}},
      {"Upper.utoc", {"case-mismatch"}},
      {"Locked.utoc", {"encrypted"}},
      {"Filtered.utoc", {"no-uasset-files"}},
      {"Cut.utoc", {"truncated"}},
      {"Bare.utoc", {"no-directory-index"}},
      {"Double.utoc.utoc", {}},
      {"Empty.utoc", {"too-short"}},
      {"Huge.utoc", {"damaged-header"}},
  };
  std::map<std::string, std::set<std::string>> byContainer;
  for (const Json& container : scan.json["containers"]) {
    byContainer[container["path"]] = Codes(container["problemDetails"]);
  }
  for (const auto& [container, codes] : expected) {
    EXPECT_EQ(byContainer[paks + container], codes) << container;
    for (const std::string& code : codes) EXPECT_TRUE(Says(scan, "[" + code + "]")) << code;
  }
  const std::set<std::string> all = Codes(scan.json["problemDetails"]);
  for (const char* code : {"too-deep", "base-game-name", "near-miss-name", "conflict", "pak-only",
                           "container-id-clash"}) {
    EXPECT_EQ(all.count(code), 1u) << code;
  }
  EXPECT_FALSE(Says(scan, "Double.utoc.utoc: looks like")) << "modpaths reads it";
  EXPECT_FALSE(Says(scan, "pakchunk1-WindowsNoEditor.pak:")) << "the base game's own pak";
  for (const char* words :
       {"move it up one level", "Mods/Deep/Inner/Deep.utoc: lies three folders below",
        "move it up two levels", "~mods/CloneB_2_P.utoc (order 303, _2_P)",
        "rename it", "version 5, newer than the 2 or 3",
        "rename it to Shouty_P.utoc", "/Game/Hull.Hull (the engine: /ShipKit/Hull.Hull)",
        "give the same package path (compared without case, as the engine does)",
        "the file is cut short (300 bytes; its tables need 10563, and it runs out in ChunkIds)"}) {
    EXPECT_TRUE(Says(scan, words)) << words << "\n" << scan.text;
  }
  EXPECT_FALSE(Says(scan, "Repeat.utoc give")) << "a container repeating itself is no conflict";
  EXPECT_FALSE(Says(scan, "Stray.utoc")) << "found through a link out of the paks folder";
  EXPECT_FALSE(Says(scan, "Loop/")) << "found through a link back into it";
  // Whose the game takes, first in each list: the higher order, else the
  // path that sorts lower.
  std::vector<std::vector<std::string>> winners;
  for (const Json& detail : scan.json["problemDetails"]) {
    if (!detail.contains("containers")) continue;
    std::vector<std::string> order;
    for (const Json& container : detail["containers"]) order.push_back(container["path"]);
    winners.push_back(order);
  }
  EXPECT_EQ(winners, (std::vector<std::vector<std::string>>{
                         {paks + "Good.utoc", paks + "Mods/Twin.utoc"},
                         {paks + "~mods/CloneB_2_P.utoc", paks + "Mods/CloneA.utoc"},
                         {paks + "~mods/Chunk0_P.utoc", paks + "pakchunk0-WindowsNoEditor.utoc"}}));
  EXPECT_TRUE(Says(scan, "same order its path sorts lower")) << scan.text;
  EXPECT_TRUE(Says(scan, "will likely fail to start")) << scan.text;
  EXPECT_EQ(scan.json["problems"].size(), scan.json["problemDetails"].size());

  const Inspected toc = Inspect({"toc", newer});
  EXPECT_EQ(toc.exitStatus, 1);
  EXPECT_EQ(Codes(toc.json["problemDetails"]), std::set<std::string>{"newer-format"});
  EXPECT_TRUE(Says(toc, "[newer-format]")) << toc.text;
  // A .pak is no table of contents, and its own stem names no companion.
  WriteFile(paks + "NightSky_P.pak", Bytes(4096, 0x50));
  EXPECT_EQ(Codes(Inspect({"toc", paks + "NightSky_P.pak"}).json["problemDetails"]),
            std::set<std::string>{"not-a-container"});

  MakeFolders(install.saveFolder);
  WriteFile(install.binaries + "/SourceSave.sav", Hex("01"));
  ASSERT_EQ(runner->Run(install.executable).exitStatus, 0);
  const Inspected check = Inspect({"check", install.game}, runner->Env());
  EXPECT_EQ(check.exitStatus, 1);
  EXPECT_EQ(check.json["upToDate"], true);
  const std::set<std::string> checked = Codes(check.json["problemDetails"]);
  for (const char* code : {"newer-format", "missing-ucas", "too-deep", "base-game-name", "conflict",
                           "plugin-content"}) {
    EXPECT_EQ(checked.count(code), 1u) << code;
  }
}

}  // namespace
