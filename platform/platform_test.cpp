// The platform layer itself, on whichever system the tests were built for:
// the POSIX stand-in natively, the Windows implementation under Wine.

#include "platform/file_system.h"
#include "platform/process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "platform/unicode.h"
#include "testing/process.h"
#include "fixtures/test_files.h"

namespace platform {
namespace {

using testing_support::Bytes;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

// The tests hand paths to the platform layer in its own spelling.
std::string Native(std::string path) {
  std::replace(path.begin(), path.end(), '/', kNativePaths.separator);
  return path;
}

// Set in the copy of this test program that a test starts, with the file
// the copy reports into.
const char kReportVariable[] = "MODPATHS_TEST_REPORT";

bool IsReportingCopy() { return std::getenv(kReportVariable) != nullptr; }

// Runs a copy of this test program placed at `copy`, restricted to `test`;
// returns what the copy reported, or nothing when it could not be started.
std::optional<std::string> RunCopy(const std::string& copy, const std::string& test) {
  WriteFile(copy, ReadFile(ExecutablePath().value()));
  testing_support::MakeExecutable(copy);
  const std::string report = copy + ".report";
  auto env = testing_support::CurrentEnvironment();
  env[kReportVariable] = report;
  const auto run = testing_support::StartProgram({Native(copy), "--gtest_filter=" + test}, env);
  if (run <= 0) return std::nullopt;
  EXPECT_EQ(testing_support::WaitProgram(run).exitStatus, 0);
  const Bytes bytes = ReadFile(report);
  return std::string(bytes.begin(), bytes.end());
}

TEST(ListFolder, GivesEveryEntryOnceWithoutDotAndDotDot) {
  TempDir dir;
  WriteFile(dir / "a.utoc", Bytes{});
  testing_support::MakeFolders(dir / "Mods");
  std::vector<std::pair<std::string, bool>> expected = {{"Mods", true}, {"a.utoc", false}};
  // Wine keeps names through the host's locale; under one without UTF-8 it
  // cannot make this file, which is no fault of the platform layer.
  const std::string nonLatin = "\xD0\x98\xD0\xB3\xD1\x80\xD0\xB0.utoc";  // Игра.utoc
  try {
    WriteFile(dir / nonLatin, Bytes{});
    expected.emplace_back(nonLatin, false);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "left out: %s\n", error.what());
  }
  const auto entries = ListFolder(Native(dir.path()));
  ASSERT_TRUE(entries);
  std::vector<std::pair<std::string, bool>> seen;
  for (const DirectoryEntry& entry : *entries) seen.emplace_back(entry.name, entry.isFolder);
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen, expected);

  EXPECT_FALSE(ListFolder(Native(dir / "missing")));
}

// Wine finds a Windows program's files whatever the case of their names;
// so does the tool on POSIX, for the Steam Deck. Windows needs no help.
TEST(FindCaseless, FindsEachNameInAnyCaseAndKeepsWhatIsMissing) {
  TempDir dir;
  testing_support::MakeFolders(dir / "content/PAKS");
  WriteFile(dir / "content/PAKS/a.utoc", Bytes{});
  const bool caseless = kNativePaths.separator == '\\';
  EXPECT_EQ(FindCaseless(Native(dir / "Content/Paks/A.UTOC")),
            Native(caseless ? dir / "Content/Paks/A.UTOC" : dir / "content/PAKS/a.utoc"));
  EXPECT_EQ(FindCaseless(Native(dir / "CONTENT/Mods/x.utoc")),
            Native(caseless ? dir / "CONTENT/Mods/x.utoc" : dir / "content/Mods/x.utoc"));
  EXPECT_EQ(FindCaseless(Native(dir / "content/PAKS")), Native(dir / "content/PAKS"));
}

TEST(RenameOver, ReplacesAWritableTargetInOneStep) {
  TempDir dir;
  WriteFile(dir / "new", Bytes{1, 2});
  WriteFile(dir / "save", Bytes{9});
  ASSERT_TRUE(RenameOver(Native(dir / "new"), Native(dir / "save")));
  EXPECT_EQ(ReadFile(dir / "save"), (Bytes{1, 2}));
  EXPECT_FALSE(testing_support::FileExists(dir / "new"));
}

TEST(RenameOver, RefusesAReadOnlyTargetAndLeavesBothAlone) {
  TempDir dir;
  WriteFile(dir / "new", Bytes{1, 2});
  WriteFile(dir / "save", Bytes{9});
  testing_support::SetReadOnly(dir / "save");
  EXPECT_FALSE(RenameOver(Native(dir / "new"), Native(dir / "save")));
  EXPECT_EQ(ReadFile(dir / "save"), Bytes{9});
  EXPECT_EQ(ReadFile(dir / "new"), (Bytes{1, 2}));
}

TEST(ExecutablePath, ComesWholeFromAFolderDeeperThan260Characters) {
  if (IsReportingCopy()) {
    WriteFile(std::getenv(kReportVariable), ExecutablePath().value_or("(none)"));
    return;
  }
  TempDir dir;
  const std::string deep =
      dir / (std::string(100, 'd') + "/" + std::string(100, 'e') + "/" + std::string(100, 'f'));
  testing_support::MakeFolders(deep);
  const std::string copy = deep + "/copy.exe";
  ASSERT_GT(copy.size(), 300u);
  const std::optional<std::string> reported = RunCopy(copy, "ExecutablePath.*");
  // Windows starts programs this deep only where long paths are enabled, and
  // Wine's CreateProcessW never does; the end-to-end tests start one there
  // from outside, through Wine's loader.
  if (!reported) GTEST_SKIP() << "this system cannot start a program from a path that long";
  EXPECT_EQ(*reported, Native(copy));
}

// The Wine prefix of the test run belongs to a user named in Cyrillic, so
// there this checks more than ASCII.
TEST(SavedGamesFolder, ComesBackInUtf8) {
  const std::optional<std::string> found = SavedGamesFolder();
  ASSERT_TRUE(found);
  const std::string& folder = *found;
  EXPECT_EQ(WideToNarrow(NarrowToWide(folder)), folder) << "not valid UTF-8";
  ASSERT_NE(folder.back(), kNativePaths.separator);
  const std::string profile = folder.substr(0, folder.rfind(kNativePaths.separator));
  EXPECT_TRUE(PathExists(profile)) << profile;
}

}  // namespace
}  // namespace platform
