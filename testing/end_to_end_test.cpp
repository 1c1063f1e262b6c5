// The real tool, run as a player would: copied into a temporary game
// installation beside its template, natively with a temporary home folder
// and, as modpaths.exe, under Wine in a prefix of its own.

#include <sys/stat.h>

#include <cstdlib>
#include <memory>

#include <gtest/gtest.h>

#include "testing/process.h"
#include "testing/test_files.h"

namespace {

using testing_support::Bytes;
using testing_support::Hex;
using testing_support::MakeFolders;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

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

INSTANTIATE_TEST_SUITE_P(Runners, EndToEnd, ::testing::Values("native", "wine"),
                         [](const auto& info) { return info.param; });

}  // namespace
