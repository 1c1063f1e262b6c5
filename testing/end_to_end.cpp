#include "testing/end_to_end.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <sstream>

#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/unicode.h"

namespace testing_support {
namespace {

// The children get their own locale, never the caller's: Wine maps Unix file
// names through it, and without a UTF-8 one it cannot open a non-Latin
// folder. C.UTF-8 is on every Debian.
Environment BaseEnvironment() {
  Environment env;
  for (const char* name :
       {"PATH", "TMPDIR", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LLVM_PROFILE_FILE"}) {
    if (const char* value = std::getenv(name)) env[name] = value;
  }
  env["LANG"] = "C.UTF-8";
  env["LC_ALL"] = "C.UTF-8";
  return env;
}

// Runs these tests as if started with no locale at all (a minimal container,
// `env -i`), so that a child depending on the caller's locale fails here
// rather than on a newcomer's machine.
class WithoutCallersLocale : public ::testing::Environment {
 public:
  void SetUp() override {
    for (const char* name : {"LANG", "LANGUAGE", "LC_ALL", "LC_CTYPE", "LC_MESSAGES", "LC_COLLATE"})
      unsetenv(name);
  }
};
const auto* const kWithoutCallersLocale =
    ::testing::AddGlobalTestEnvironment(new WithoutCallersLocale);

class NativeRunner : public Runner {
 public:
  std::string Unavailable() override {
    return FileExists(Setting("MODPATHS_NATIVE_EXE")) ? std::string()
                                                      : "MODPATHS_NATIVE_EXE names no program";
  }
  std::string Executable() const override { return Setting("MODPATHS_NATIVE_EXE"); }
  std::string ExecutableName() const override { return "modpaths"; }
  std::string SavedGames() override { return home_ / "Saved Games"; }
  std::vector<std::string> Command(const std::string& program,
                                   const std::vector<std::string>& arguments) const override {
    std::vector<std::string> command{program};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
  }
  Environment Env() const override {
    auto env = BaseEnvironment();
    env["HOME"] = home_.path();
    return env;
  }

 private:
  TempDir home_;
};

class WineRunner : public Runner {
 public:
  std::string Unavailable() override {
    if (Setting("MODPATHS_WINDOWS_BUILD").empty()) return "no Windows build was configured";
    if (FindOnPath("wine").empty()) return "wine is not installed";
    if (!FileExists(Executable()))
      return Executable() + " was not built (cmake --build --preset windows)";
    if (!Prepare()) return "the Wine prefix could not be made";
    return {};
  }
  std::string Executable() const override {
    return Setting("MODPATHS_WINDOWS_BUILD") + "/modpaths.exe";
  }
  std::string ExecutableName() const override { return "modpaths.exe"; }
  std::string SavedGames() override { return savedGames_; }
  // Through the one Wine launcher, which gives every run the prefix, its
  // non-ASCII user and a UTF-8 locale.
  std::vector<std::string> Command(const std::string& program,
                                   const std::vector<std::string>& arguments) const override {
    std::vector<std::string> command{Setting("MODPATHS_WINE_RUN"), prefix_, program};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
  }
  Environment Env() const override {
    auto env = BaseEnvironment();
    if (const char* home = std::getenv("HOME")) env["HOME"] = home;
    return env;
  }

 private:
  // One prefix serves every Wine test of the build (ctest runs them one at a
  // time); its Saved Games folder is emptied before each test.
  bool Prepare() {
    prefix_ = Setting("MODPATHS_WINE_PREFIX");
    if (prefix_.empty() || Setting("MODPATHS_WINE_RUN").empty()) return false;
    TempDir dir;
    RunOptions options;
    options.outputFile = dir / "profile.txt";
    if (RunMeasured({Setting("MODPATHS_WINE_RUN"), prefix_}, Env(), options).exitStatus != 0)
      return false;
    const Bytes profile = ReadFile(options.outputFile);
    const std::string text(profile.begin(), profile.end());
    if (text.empty() || text.back() != '\n') return false;
    savedGames_ = text.substr(0, text.size() - 1) + "/Saved Games";
    RemoveTree(savedGames_ + "/Corvane");
    return true;
  }

  std::string prefix_;
  std::string savedGames_;
};

}  // namespace

std::string Setting(const char* name) {
  if (const char* value = std::getenv(name)) return value;
  static const std::map<std::string, std::string> settings = [] {
    std::map<std::string, std::string> read;
    const std::optional<std::string> self = platform::ExecutablePath();
    const Bytes bytes =
        self ? ReadFile(self->substr(0, self->rfind('/')) + "/e2e-settings.txt") : Bytes();
    std::istringstream lines(std::string(bytes.begin(), bytes.end()));
    for (std::string line; std::getline(lines, line);) {
      const size_t equals = line.find('=');
      if (equals != std::string::npos) read[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return read;
  }();
  const auto found = settings.find(name);
  return found == settings.end() ? std::string() : found->second;
}

bool RequireWine() {
  const char* required = std::getenv("MODPATHS_REQUIRE_WINE");
  return required != nullptr && std::string(required) == "1";
}

std::string WindowsBuildFile(const std::string& relative) {
  return Setting("MODPATHS_WINDOWS_BUILD") + "/" + relative;
}

std::unique_ptr<Runner> MakeRunner(const std::string& kind) {
  if (kind == "wine") return std::make_unique<WineRunner>();
  return std::make_unique<NativeRunner>();
}

Installation::Installation(Runner& runner, const std::string& gameFolder)
    : game(root / gameFolder),
      binaries(game + "/Binaries/Win64"),
      paks(game + "/Content/Paks"),
      executable(binaries + "/" + runner.ExecutableName()),
      saveFolder(runner.SavedGames() + "/Corvane/HollowVoyage"),
      output(saveFolder + "/ModManager_ModPaths.sav") {
  MakeFolders(binaries);
  MakeFolders(paks);
  WriteFile(executable, ReadFile(runner.Executable()));
  MakeExecutable(executable);
}

void EndToEnd::SetUp() {
  runner_ = MakeRunner(GetParam());
  const std::string why = runner_->Unavailable();
  if (!why.empty()) {
    if (IsWine() && RequireWine()) FAIL() << why;
    GTEST_SKIP() << why;
  }
}

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
    if (save.size() - at < 4)
      return ::testing::AssertionFailure() << "record " << i << " cut short";
    const int32_t length = word();
    // As the engine reads a string: a negative count is that many UTF-16
    // units, and an 8-bit byte at or above 0x80 is "?".
    const size_t bytes =
        length < 0 ? 2 * static_cast<size_t>(-int64_t{length}) : static_cast<size_t>(length);
    if (length == 0 || length == INT32_MIN || save.size() - at < bytes ||
        save[at + bytes - 1] != 0 || (length < 0 && save[at + bytes - 2] != 0)) {
      return ::testing::AssertionFailure() << "record " << i << " is damaged";
    }
    if (length > 0) {
      std::string path(reinterpret_cast<const char*>(&save[at]), bytes - 1);
      for (char& c : path) c = static_cast<uint8_t>(c) >= 0x80 ? '?' : c;
      paths.push_back(path);
    } else {
      std::u16string units(bytes / 2 - 1, u'\0');
      std::memcpy(units.data(), &save[at], units.size() * 2);
      paths.push_back(platform::WideToNarrow(units));
    }
    at += bytes;
  }
  if (Bytes(save.begin() + static_cast<long>(at), save.end()) != Hex(kClosingMarker)) {
    return ::testing::AssertionFailure() << "no closing marker right after the records";
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult AreContainersInSomeOrder(Paths paths, std::vector<Paths> containers) {
  size_t at = 0;
  while (!containers.empty()) {
    auto match = std::find_if(containers.begin(), containers.end(), [&](const Paths& container) {
      return paths.size() - at >= container.size() &&
             std::equal(container.begin(), container.end(), paths.begin() + static_cast<long>(at));
    });
    if (match == containers.end()) {
      return ::testing::AssertionFailure()
             << "no container's paths start at " << at
             << (at < paths.size() ? ": " + paths[at].substr(0, 200) : "");
    }
    at += match->size();
    containers.erase(match);
  }
  if (at != paths.size()) return ::testing::AssertionFailure() << "unexpected paths from " << at;
  return ::testing::AssertionSuccess();
}

}  // namespace testing_support
