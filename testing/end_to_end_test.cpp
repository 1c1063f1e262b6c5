// The real tool, run as a player would: copied into a temporary game
// installation beside its template, natively with a temporary home folder
// and, as modpaths.exe, under Wine in a prefix of its own.

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "iostore/toc_resource.h"
#include "testing/process.h"
#include "testing/test_files.h"
#include "testing/toc_fixture.h"

namespace {

using testing_support::Bytes;
using testing_support::Hex;
using testing_support::MakeFolders;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;
using testing_support::Folder;
using testing_support::MakeDirectoryIndex;
using testing_support::MakeToc;
using testing_support::WriteToc;
using Paths = std::vector<std::string>;

const char kMarker[] = "05 00 00 00 4E 6F 6E 65 00 00 00 00 00";

std::map<std::string, std::string> BaseEnvironment() {
  std::map<std::string, std::string> env;
  for (const char* name : {"PATH", "TMPDIR", "LANG"}) {
    if (const char* value = std::getenv(name)) env[name] = value;
  }
  return env;
}

class Runner {
 public:
  virtual ~Runner() = default;
  // Why this runner cannot run here; empty when it can.
  virtual std::string Unavailable() = 0;
  virtual std::string Executable() const = 0;
  virtual std::string ExecutableName() const = 0;
  // The user's Saved Games folder as the tool will see it, on this side.
  virtual std::string SavedGames() = 0;
  virtual int Run(const std::string& executable) = 0;
};

class NativeRunner : public Runner {
 public:
  std::string Unavailable() override { return {}; }
  std::string Executable() const override { return MODPATHS_NATIVE_EXE; }
  std::string ExecutableName() const override { return "modpaths"; }
  std::string SavedGames() override { return home_ / "Saved Games"; }
  int Run(const std::string& executable) override {
    auto env = BaseEnvironment();
    env["HOME"] = home_.path();
    return testing_support::RunProgram({executable}, env);
  }

 private:
  TempDir home_;
};

class WineRunner : public Runner {
 public:
  std::string Unavailable() override {
    if (std::string(MODPATHS_WINDOWS_EXE).empty()) return "no Windows build was configured";
    if (testing_support::FindOnPath("wine").empty()) return "wine is not installed";
    if (!testing_support::FileExists(MODPATHS_WINDOWS_EXE)) return "modpaths.exe was not built";
    if (!Prepare()) return "the Wine prefix could not be made";
    return {};
  }
  std::string Executable() const override { return MODPATHS_WINDOWS_EXE; }
  std::string ExecutableName() const override { return "modpaths.exe"; }
  std::string SavedGames() override { return savedGames_; }
  int Run(const std::string& executable) override {
    return testing_support::RunProgram({"wine", executable}, Environment());
  }

 private:
  std::map<std::string, std::string> Environment() const {
    auto env = BaseEnvironment();
    if (const char* home = std::getenv("HOME")) env["HOME"] = home;
    if (const char* user = std::getenv("USER")) env["USER"] = user;
    env["WINEPREFIX"] = prefix_;
    env["WINEDEBUG"] = "-all";
    env["WINEDLLOVERRIDES"] = "mscoree,mshtml=";
    return env;
  }

  // One prefix serves every Wine test of the build (ctest runs them one at a
  // time); its Saved Games folder is emptied before each test.
  bool Prepare() {
    prefix_ = MODPATHS_WINE_PREFIX;
    const std::string users = prefix_ + "/drive_c/users";
    if (!testing_support::FileExists(users)) {
      if (testing_support::RunProgram({"wineboot", "-i"}, Environment()) != 0) return false;
      testing_support::RunProgram({"wineserver", "-w"}, Environment());
    }
    for (const std::string& user : testing_support::ListNames(users)) {
      if (user == "Public") continue;
      savedGames_ = users + "/" + user + "/Saved Games";
      MakeFolders(savedGames_);
      testing_support::RemoveTree(savedGames_ + "/Corvane");
      return true;
    }
    return false;
  }

  std::string prefix_;
  std::string savedGames_;
};

// A game folder laid out as a player has it, with the tool in place.
struct Installation {
  Installation(Runner& runner, const std::string& gameFolder)
      : game(root / gameFolder),
        binaries(game + "/Binaries/Win64"),
        paks(game + "/Content/Paks"),
        executable(binaries + "/" + runner.ExecutableName()),
        saveFolder(runner.SavedGames() + "/Corvane/HollowVoyage"),
        output(saveFolder + "/ModManager_ModPaths.sav") {
    MakeFolders(binaries);
    MakeFolders(paks);
    WriteFile(executable, ReadFile(runner.Executable()));
    chmod(executable.c_str(), 0755);
  }

  TempDir root;
  std::string game, binaries, paks, executable, saveFolder, output;
};

class EndToEnd : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    if (GetParam() == "native") {
      runner_ = std::make_unique<NativeRunner>();
    } else {
      runner_ = std::make_unique<WineRunner>();
    }
    const std::string why = runner_->Unavailable();
    if (!why.empty()) {
      if (GetParam() == "wine" && MODPATHS_REQUIRE_WINE) FAIL() << why;
      GTEST_SKIP() << why;
    }
  }

  std::unique_ptr<Installation> Install(const std::string& gameFolder = "Game") {
    return std::make_unique<Installation>(*runner_, gameFolder);
  }
  int Run(const Installation& installation) { return runner_->Run(installation.executable); }

  std::unique_ptr<Runner> runner_;
};

TEST_P(EndToEnd, WritesTheTemplateAndAnEmptyList) {
  auto install = Install();
  MakeFolders(install->saveFolder);
  WriteFile(install->binaries + "/SourceSave.sav", Hex("AA BB 00 CC"));
  EXPECT_EQ(Run(*install), 0);
  EXPECT_EQ(ReadFile(install->output), Hex("AA BB 00 CC 00 00 00 00" + std::string(kMarker)));
  EXPECT_EQ(testing_support::ListNames(install->saveFolder),
            std::vector<std::string>{"ModManager_ModPaths.sav"});
}

TEST_P(EndToEnd, FindsItsWayFromNonLatinFolders) {
  // Cyrillic and CJK, outside any single ANSI code page.
  auto install = Install("\xD0\x98\xD0\xB3\xD1\x80\xD0\xB0 \xE6\xB8\xB8\xE6\x88\x8F");
  MakeFolders(install->saveFolder);
  WriteFile(install->binaries + "/SourceSave.sav", Hex("01 02"));
  EXPECT_EQ(Run(*install), 0);
  EXPECT_EQ(ReadFile(install->output), Hex("01 02 00 00 00 00" + std::string(kMarker)));
}

TEST_P(EndToEnd, WithoutATemplateWritesNothing) {
  auto install = Install();
  MakeFolders(install->saveFolder);
  WriteFile(install->output, Hex("0F 0E 0D"));
  EXPECT_EQ(Run(*install), 0);
  EXPECT_EQ(ReadFile(install->output), Hex("0F 0E 0D"));
}

TEST_P(EndToEnd, ATemplateThatIsAFolderWritesNothing) {
  auto install = Install();
  MakeFolders(install->saveFolder);
  MakeFolders(install->binaries + "/SourceSave.sav");
  WriteFile(install->output, Hex("0F 0E 0D"));
  EXPECT_EQ(Run(*install), 0);
  EXPECT_EQ(ReadFile(install->output), Hex("0F 0E 0D"));
  EXPECT_EQ(testing_support::ListNames(install->saveFolder).size(), 1u);
}

TEST_P(EndToEnd, CreatesNoSaveFolders) {
  auto install = Install();
  WriteFile(install->binaries + "/SourceSave.sav", Hex("01"));
  EXPECT_EQ(Run(*install), 0);
  EXPECT_FALSE(testing_support::FileExists(install->saveFolder));
}

TEST_P(EndToEnd, ReplacesAnOlderOutputWhole) {
  auto install = Install();
  MakeFolders(install->saveFolder);
  WriteFile(install->output, Bytes(4096, 0x33));
  WriteFile(install->binaries + "/SourceSave.sav", Bytes{});
  EXPECT_EQ(Run(*install), 0);
  EXPECT_EQ(ReadFile(install->output), Hex("00 00 00 00" + std::string(kMarker)));
}

// Splits a save into its package paths, checking every byte: the template,
// the count, each record and the closing marker, and nothing after it.
::testing::AssertionResult ParseSave(const Bytes& save, const Bytes& templateBytes, Paths& paths) {
  if (save.size() < templateBytes.size() + 17 ||
      !std::equal(templateBytes.begin(), templateBytes.end(), save.begin())) {
    return ::testing::AssertionFailure() << "the save does not start with the template";
  }
  size_t at = templateBytes.size();
  auto word = [&] {
    int32_t value;
    std::memcpy(&value, &save[at], 4);
    at += 4;
    return value;
  };
  const int32_t count = word();
  for (int32_t i = 0; i < count; ++i) {
    if (save.size() - at < 4) return ::testing::AssertionFailure() << "record " << i << " cut short";
    const int32_t length = word();
    if (length < 1 || save.size() - at < static_cast<size_t>(length) || save[at + static_cast<size_t>(length) - 1] != 0) {
      return ::testing::AssertionFailure() << "record " << i << " is damaged";
    }
    paths.emplace_back(reinterpret_cast<const char*>(&save[at]), static_cast<size_t>(length) - 1);
    at += static_cast<size_t>(length);
  }
  if (Bytes(save.begin() + static_cast<long>(at), save.end()) != Hex(kMarker)) {
    return ::testing::AssertionFailure() << "no closing marker right after the records";
  }
  return ::testing::AssertionSuccess();
}

// Whether `paths` is the containers' lists one after another, in any order:
// the system decides the listing order, and Wine's need not be Linux's.
::testing::AssertionResult AreContainersInSomeOrder(Paths paths, std::vector<Paths> containers) {
  size_t at = 0;
  while (!containers.empty()) {
    auto match = std::find_if(containers.begin(), containers.end(), [&](const Paths& container) {
      return paths.size() - at >= container.size() &&
             std::equal(container.begin(), container.end(), paths.begin() + static_cast<long>(at));
    });
    if (match == containers.end()) {
      return ::testing::AssertionFailure() << "no container's paths start at " << at
                                           << (at < paths.size() ? ": " + paths[at] : "");
    }
    at += match->size();
    containers.erase(match);
  }
  if (at != paths.size()) return ::testing::AssertionFailure() << "unexpected paths from " << at;
  return ::testing::AssertionSuccess();
}

Folder ModTree(const std::string& modName, std::vector<std::string> files) {
  return Folder{"", {Folder{"HollowVoyage", {Folder{"Content", {Folder{"Mods", {Folder{modName, {}, std::move(files)}}, {}}}, {}}}, {}}}, {}};
}

bool PlaceContainer(const std::string& path, const Folder& tree, uint8_t flags = 0) {
  MakeFolders(path.substr(0, path.rfind('/')));
  return WriteToc(MakeToc(MakeDirectoryIndex("../../../", tree), 3, 2, flags), path);
}

TEST_P(EndToEnd, WritesThePackagePathsOfEveryModContainer) {
  const std::string cyrillicCjk = "\xD0\x9C\xD0\xBE\xD0\xB4\xE6\xA8\xA1\xE7\xBB\x84";  // Мод模组
  auto install = Install("\xD0\x98\xD0\xB3\xD1\x80\xD0\xB0 \xE6\xB8\xB8\xE6\x88\x8F");
  MakeFolders(install->saveFolder);
  const Bytes templateBytes = Hex("47 56 41 53 00 01 02 03");
  WriteFile(install->binaries + "/SourceSave.sav", templateBytes);
  const std::string& paks = install->paks;

  const Folder workedExample{
      "",
      {Folder{"HollowVoyage",
              {Folder{"Content", {Folder{"Mods", {}, {"Foo.uasset", "Foo.uexp"}}}, {}},
               Folder{"Plugins", {Folder{"Extra", {}, {"Baz.uasset"}}}, {}}},
              {}}},
      {}};
  ASSERT_TRUE(PlaceContainer(paks + "/ExampleMod.utoc", workedExample));
  ASSERT_TRUE(PlaceContainer(paks + "/Alpha.utoc", ModTree("Alpha", {"A1.uasset", "A1.uexp", "A2.uasset"})));
  ASSERT_TRUE(PlaceContainer(paks + "/Mods/Beta.utoc", ModTree("Beta", {"B.uasset"})));
  ASSERT_TRUE(PlaceContainer(paks + "/Mods/" + cyrillicCjk + ".utoc", ModTree(cyrillicCjk, {"X.uasset"})));
  ASSERT_TRUE(PlaceContainer(paks + "/Mods/Global.utoc", ModTree("Gamma", {"G.uasset"})));
  // Skipped: base-game names, other extensions, two levels down.
  ASSERT_TRUE(PlaceContainer(paks + "/global.utoc", ModTree("Base", {"Base.uasset"})));
  ASSERT_TRUE(PlaceContainer(paks + "/pakchunk0-WindowsNoEditor.utoc", ModTree("Base", {"Base.uasset"})));
  ASSERT_TRUE(PlaceContainer(paks + "/Mods/pakchunk25optional-WindowsNoEditor.utoc", ModTree("Base", {"Base.uasset"})));
  ASSERT_TRUE(PlaceContainer(paks + "/Alpha.UTOC", ModTree("Base", {"Base.uasset"})));
  ASSERT_TRUE(PlaceContainer(paks + "/Mods/Deep/Deep.utoc", ModTree("Base", {"Base.uasset"})));
  // Read but giving nothing: an encrypted container and a truncated one.
  ASSERT_TRUE(PlaceContainer(paks + "/Secret.utoc", ModTree("Secret", {"S.uasset"}), IoStore::ContainerFlags::Encrypted));
  ASSERT_TRUE(PlaceContainer(paks + "/Cut.utoc", ModTree("Cut", {"C.uasset"})));
  Bytes cut = ReadFile(paks + "/Cut.utoc");
  cut.resize(150);
  WriteFile(paks + "/Cut.utoc", cut);

  EXPECT_EQ(Run(*install), 0);
  Paths written;
  ASSERT_TRUE(ParseSave(ReadFile(install->output), templateBytes, written));
  EXPECT_TRUE(AreContainersInSomeOrder(
      written, {{"/Game/Mods/Foo.Foo", "../../../HollowVoyage/Plugins/Extra/Baz.Baz"},
                {"/Game/Mods/Alpha/A1.A1", "/Game/Mods/Alpha/A2.A2"},
                {"/Game/Mods/Beta/B.B"},
                {"/Game/Mods/" + cyrillicCjk + "/X.X"},
                {"/Game/Mods/Gamma/G.G"}}));
}

INSTANTIATE_TEST_SUITE_P(Runners, EndToEnd, ::testing::Values("native", "wine"),
                         [](const auto& info) { return info.param; });

}  // namespace
