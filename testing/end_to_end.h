#pragma once

// Running the real tool as a player would: copied into a temporary game
// installation beside its template, natively with a temporary home folder
// and, as modpaths.exe, under Wine in a prefix of its own.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "testing/process.h"
#include "fixtures/test_files.h"
#include "fixtures/installation.h"

namespace testing_support {

using Paths = std::vector<std::string>;

// What the end-to-end tests run, from the environment or else from
// e2e-settings.txt beside the test executable, which the build writes:
//   MODPATHS_NATIVE_EXE      the native modpaths
//   MODPATHS_NATIVE_LAUNCH   the native modpaths-launch
//   MODPATHS_INSPECT_EXE     the native modpaths-inspect
//   MODPATHS_WINDOWS_BUILD   the Windows build's folder (modpaths.exe)
//   MODPATHS_WINE_RUN        cmake/wine-run, the one Wine launcher
//   MODPATHS_WINE_PREFIX     the prefix the Wine tests share
//   MODPATHS_RELEASE_ZIP     the player's zip
// Empty when unset.
std::string Setting(const char* name);
// MODPATHS_REQUIRE_WINE=1 in the environment (./dev test sets it): fail
// rather than skip where Wine or the Windows build is missing.
bool RequireWine();
// A file of the Windows build, by its path below the build's folder.
std::string WindowsBuildFile(const std::string& relative);

class Runner {
 public:
  virtual ~Runner() = default;
  // Why this runner cannot run here; empty when it can.
  virtual std::string Unavailable() = 0;
  virtual std::string Executable() const = 0;
  virtual std::string ExecutableName() const = 0;
  // The user's Saved Games folder as the tool will see it, on this side.
  virtual std::string SavedGames() = 0;
  // The command line and environment that start `program` (an executable of
  // this runner's kind) with `arguments`.
  virtual std::vector<std::string> Command(const std::string& program,
                                           const std::vector<std::string>& arguments) const = 0;
  virtual Environment Env() const = 0;

  RunResult Run(const std::string& executable, const RunOptions& options = {}) {
    return RunMeasured(Command(executable, {}), Env(), options);
  }
};

std::unique_ptr<Runner> MakeRunner(const std::string& kind);

// A game folder laid out as a player has it, with the tool in place.
struct Installation {
  Installation(Runner& runner, const std::string& gameFolder);

  TempDir root;
  std::string game, binaries, paks, executable, saveFolder, output;
};

// Parametrised by "native" and "wine".
class EndToEnd : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override;

  std::unique_ptr<Installation> Install(const std::string& gameFolder = "Game") {
    return std::make_unique<Installation>(*runner_, gameFolder);
  }
  int Run(const Installation& installation) {
    return runner_->Run(installation.executable).exitStatus;
  }
  bool IsWine() const { return GetParam() == "wine"; }

  std::unique_ptr<Runner> runner_;
};

// Splits a save into its package paths, checking every byte: the template,
// the count, each record and the closing marker, and nothing after it.
::testing::AssertionResult ParseSave(const Bytes& save, const Bytes& templateBytes, Paths& paths);

// Whether `paths` is the containers' lists one after another, in any order:
// the system decides the listing order, and Wine's need not be Linux's.
::testing::AssertionResult AreContainersInSomeOrder(Paths paths, std::vector<Paths> containers);

}  // namespace testing_support
