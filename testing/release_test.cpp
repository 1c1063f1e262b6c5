// The release zip as a player gets it: unpacked, its modpaths.exe dropped
// into a game installation and run under Wine, its modpaths-inspect.exe run
// on the same installation, and both executables' version resource and
// manifest read back from the PE files.

#include <cstdio>
#include <cstring>

#include "testing/end_to_end.h"

namespace {

using namespace testing_support;

const std::string kFolder = "modpaths-" MODPATHS_VERSION "-win64";

uint32_t Word(const Bytes& bytes, size_t at) {
  uint32_t value = 0;
  if (at <= bytes.size() && bytes.size() - at >= 4) std::memcpy(&value, &bytes[at], 4);
  return value;
}
uint16_t Half(const Bytes& bytes, size_t at) {
  uint16_t value = 0;
  if (at <= bytes.size() && bytes.size() - at >= 2) std::memcpy(&value, &bytes[at], 2);
  return value;
}

// The first resource of `type` (24 the manifest, 16 the version) in a PE32+
// file: down the resource tree by the first entry of each level below the
// type. Empty when there is none.
Bytes ResourceOf(const Bytes& exe, uint32_t type) {
  const size_t pe = Word(exe, 0x3C);
  if (Word(exe, pe) != 0x00004550) return {};  // "PE\0\0"
  const size_t sections = Half(exe, pe + 6);
  const size_t optional = pe + 24;
  if (Half(exe, optional) != 0x20B) return {};  // PE32+
  const uint32_t resourceRva = Word(exe, optional + 112 + 2 * 8);
  const size_t table = optional + Half(exe, pe + 20);
  // Resource addresses are relative to the image; find the section's file
  // offset for each.
  auto fileOffset = [&](uint32_t rva) -> size_t {
    for (size_t i = 0; i < sections; ++i) {
      const size_t section = table + i * 40;
      const uint32_t start = Word(exe, section + 12), size = Word(exe, section + 8);
      if (rva >= start && rva - start < size) return Word(exe, section + 20) + (rva - start);
    }
    return exe.size();
  };
  const size_t root = fileOffset(resourceRva);
  // Each directory: 16 bytes, then (named + id) entries of {id, offset}; the
  // high bit of an offset marks a subdirectory.
  size_t directory = root;
  for (int level = 0; level < 3; ++level) {
    const size_t entries = directory + 16;
    const size_t count = size_t{Half(exe, directory + 12)} + Half(exe, directory + 14);
    size_t next = 0;
    for (size_t i = 0; i < count && next == 0; ++i) {
      const uint32_t id = Word(exe, entries + i * 8);
      if (level == 0 && id != type) continue;
      next = root + (Word(exe, entries + i * 8 + 4) & 0x7FFFFFFFu);
    }
    if (next == 0) return {};
    directory = next;
  }
  const size_t data = fileOffset(Word(exe, directory));
  const size_t size = Word(exe, directory + 4);
  if (data >= exe.size() || exe.size() - data < size) return {};
  return Bytes(exe.begin() + static_cast<long>(data), exe.begin() + static_cast<long>(data + size));
}

bool HoldsUtf16(const Bytes& bytes, const std::string& text) {
  Bytes wide;
  for (char c : text) wide.insert(wide.end(), {static_cast<uint8_t>(c), 0});
  return std::search(bytes.begin(), bytes.end(), wide.begin(), wide.end()) != bytes.end();
}

class ReleaseZip : public ::testing::Test {
 protected:
  void SetUp() override {
    runner_ = MakeRunner("wine");
    std::string why = runner_->Unavailable();
    const std::string zip = Setting("MODPATHS_RELEASE_ZIP");
    if (why.empty() && !FileExists(zip))
      why = "no release zip at " + zip + " (./dev release makes it)";
    if (!why.empty()) {
      if (RequireWine()) FAIL() << why;
      GTEST_SKIP() << why;
    }
    ASSERT_EQ(RunProgram({MODPATHS_CMAKE, "-E", "chdir", unpacked_.path(), MODPATHS_CMAKE, "-E",
                          "tar", "xf", zip},
                         runner_->Env()),
              0);
    folder_ = unpacked_ / kFolder;
  }

  std::unique_ptr<Runner> runner_;
  TempDir unpacked_;
  std::string folder_;
};

TEST_F(ReleaseZip, HoldsTheExecutablesAndPlainTextsForPlayers) {
  std::vector<std::string> names = ListNames(folder_);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"CHANGELOG.txt", "LICENSE.txt", "README.txt",
                                             "modpaths-inspect", "modpaths-inspect.exe", "modpaths-launch",
                                             "modpaths-launch.exe", "modpaths.exe"}));
  EXPECT_EQ(ListNames(unpacked_.path()), std::vector<std::string>{kFolder});
  const Bytes changes = ReadFile(folder_ + "/CHANGELOG.txt");
  EXPECT_NE(std::string(changes.begin(), changes.end()).find("## [" MODPATHS_VERSION "] - "),
            std::string::npos);
  for (const char* name : {"README.txt", "LICENSE.txt", "CHANGELOG.txt"}) {
    const Bytes bytes = ReadFile(folder_ + "/" + name);
    const std::string text(bytes.begin(), bytes.end());
    size_t start = 0, lines = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1, ++lines) {
      ASSERT_TRUE(end > start && text[end - 1] == '\r') << name << " line " << lines + 1;
      EXPECT_LT(end - 1 - start, 80u) << name << " line " << lines + 1;
    }
    EXPECT_EQ(start, text.size()) << name << " does not end with a line break";
    EXPECT_GT(lines, 10u) << name;
    EXPECT_EQ(text.find_first_of("`*"), std::string::npos) << name << " has Markdown marks";
  }
}

TEST_F(ReleaseZip, ItsExecutablesWriteAndInspectTheSaveInAnInstallation) {
  Installation install(*runner_, "Game");
  WriteFile(install.executable, ReadFile(folder_ + "/modpaths.exe"));
  MakeFolders(install.saveFolder);
  WriteFile(install.binaries + "/SourceSave.sav", Hex("53 41 56 45"));
  ASSERT_TRUE(PlaceContainer(install.paks + "/Mods/Sails.utoc", ModTree("Sails", {"A.uasset"})));
  ASSERT_EQ(runner_->Run(install.executable).exitStatus, 0);
  Paths written;
  ASSERT_TRUE(ParseSave(ReadFile(install.output), Hex("53 41 56 45"), written));
  EXPECT_EQ(written, Paths{"/Game/Mods/Sails/A.A"});

  RunOptions options;
  options.outputFile = unpacked_ / "scan.txt";
  const RunResult scan = RunMeasured(
      runner_->Command(folder_ + "/modpaths-inspect.exe", {"scan", "Z:" + install.game}),
      runner_->Env(), options);
  EXPECT_EQ(scan.exitStatus, 0);
  const Bytes output = ReadFile(options.outputFile);
  const std::string text(output.begin(), output.end());
  EXPECT_NE(text.find("mod container"), std::string::npos) << text;
  EXPECT_NE(text.find("  /Game/Mods/Sails/A.A"), std::string::npos) << text;

  // A container named with forward slashes, as a Linux path under Wine
  // gives it, finds the .ucas and .pak beside it.
  const RunResult toc = RunMeasured(
      runner_->Command(folder_ + "/modpaths-inspect.exe", {"toc", install.paks + "/Mods/Sails.utoc"}),
      runner_->Env(), options);
  const Bytes tocText = ReadFile(options.outputFile);
  EXPECT_EQ(toc.exitStatus, 0) << std::string(tocText.begin(), tocText.end());

  // What it tells a modder, on the demo's installation.
  ASSERT_TRUE(MakeSampleInstallation(unpacked_ / "Sample"));
  const RunResult sample = RunMeasured(
      runner_->Command(folder_ + "/modpaths-inspect.exe", {"scan", unpacked_ / "Sample"}),
      runner_->Env(), options);
  const Bytes sampleScan = ReadFile(options.outputFile);
  EXPECT_EQ(sample.exitStatus, 1);
  for (const char* code :
       {"[conflict]", "[plugin-content]", "[encrypted]", "[container-id-clash]",
        "~mods\\HarbourLights_P.utoc (order 103, _P), and finds none of the assets of "
        "Mods\\SailRigs.utoc (order 3)"}) {
    EXPECT_NE(std::string(sampleScan.begin(), sampleScan.end()).find(code), std::string::npos)
        << code;
  }

  // check finds the save in the prefix's Saved Games folder by itself, from
  // a Linux path too, as a Steam Deck player types it.
  const RunResult check =
      RunMeasured(runner_->Command(folder_ + "/modpaths-inspect.exe", {"check", install.game}),
                  runner_->Env(), options);
  const Bytes checked = ReadFile(options.outputFile);
  EXPECT_EQ(check.exitStatus, 0) << std::string(checked.begin(), checked.end());
  // A game under Wine is a Linux launcher's: the Linux line alone.
  const std::string checkText(checked.begin(), checked.end());
  EXPECT_TRUE(checkText.find("Linux:") != std::string::npos &&
              checkText.find("Windows:") == std::string::npos)
      << checkText;

  // Double-clicked beside modpaths.exe: it checks that game, and with no
  // console to read from, it does not wait.
  WriteFile(install.binaries + "/modpaths-inspect.exe",
            ReadFile(folder_ + "/modpaths-inspect.exe"));
  const RunResult clicked = RunMeasured(
      runner_->Command(install.binaries + "/modpaths-inspect.exe", {}), runner_->Env(), options);
  const Bytes report = ReadFile(options.outputFile);
  EXPECT_EQ(clicked.exitStatus, 0) << std::string(report.begin(), report.end());
  const std::string clickedText(report.begin(), report.end());
  EXPECT_NE(clickedText.find("the save is up to date"), std::string::npos);
  // The verdict stands last, in view in a window of 25 lines.
  EXPECT_NE(clickedText.find("In short: the save is up to date, and nothing stands in the way."),
            std::string::npos)
      << clickedText;
  EXPECT_EQ(clickedText.find('\n', clickedText.find("In short:")), clickedText.size() - 1);
}

// On the Steam Deck the zip is unpacked by a file manager or unzip: the
// Linux wrapper and inspector must come out able to run, and run anywhere.
TEST_F(ReleaseZip, ItsLinuxProgramsUnzipExecutableAndRun) {
  const std::string unzip = FindOnPath("unzip");
  if (unzip.empty()) {
    if (RequireWine()) FAIL() << "unzip is not installed";
    GTEST_SKIP() << "unzip is not installed";
  }
  TempDir unzipped;
  ASSERT_EQ(RunProgram({unzip, "-q", Setting("MODPATHS_RELEASE_ZIP"), "-d", unzipped.path()},
                       runner_->Env()),
            0);
  const std::string wrapper = unzipped / (kFolder + "/modpaths-launch");
  const std::string inspect = unzipped / (kFolder + "/modpaths-inspect");
  for (const std::string& program : {wrapper, inspect}) {
    const Bytes elf = ReadFile(program);
    ASSERT_GT(elf.size(), 20u);
    EXPECT_EQ(Bytes(elf.begin(), elf.begin() + 4), Hex("7F 45 4C 46")) << program;
    EXPECT_EQ(elf[4], 2) << "not 64-bit";
    EXPECT_EQ(elf[18] | elf[19] << 8, 0x3E) << "not x86-64";
    // Static: no interpreter to load it, whatever the Linux.
    EXPECT_EQ(std::string(elf.begin(), elf.end()).find("/ld-linux"), std::string::npos) << program;
  }

  // Run as unpacked, in a game whose prefix Steam names, with no command.
  Installation install(*runner_, "Game");
  WriteFile(install.binaries + "/SourceSave.sav", Hex("53 41 56 45"));
  MakeFolders(unpacked_ / "prefix/pfx/drive_c/users/steamuser/Saved Games/Corvane/HollowVoyage");
  Environment env = runner_->Env();
  env["STEAM_COMPAT_DATA_PATH"] = unpacked_ / "prefix";
  RunOptions options;
  options.outputFile = unpacked_ / "launch.txt";
  // Moved, not copied: the test keeps the bit the zip gave it.
  ASSERT_EQ(std::rename(wrapper.c_str(), (install.binaries + "/modpaths-launch").c_str()), 0);
  EXPECT_EQ(RunMeasured({install.binaries + "/modpaths-launch"}, env, options).exitStatus, 0);
  const Bytes said = ReadFile(options.outputFile);
  EXPECT_NE(std::string(said.begin(), said.end()).find("/modpaths-launch\" %command%"),
            std::string::npos)
      << std::string(said.begin(), said.end());
  EXPECT_TRUE(FileExists(unpacked_ /
                         "prefix/pfx/drive_c/users/steamuser/Saved Games/Corvane/HollowVoyage/"
                         "ModManager_ModPaths.sav"));
  // The Linux inspector finds the save in the same prefix, and calls it up
  // to date.
  options.outputFile = unpacked_ / "check.txt";
  EXPECT_EQ(RunMeasured({inspect, "check", install.game}, env, options).exitStatus, 0);
  const Bytes checked = ReadFile(options.outputFile);
  EXPECT_NE(std::string(checked.begin(), checked.end()).find("the save is up to date"), std::string::npos)
      << std::string(checked.begin(), checked.end());
}

TEST_F(ReleaseZip, EveryWindowsExecutableCarriesTheVersionAndTheManifest) {
  for (const std::string name : {"modpaths", "modpaths-inspect", "modpaths-launch"}) {
    const Bytes exe = ReadFile(folder_ + "/" + name + ".exe");
    const Bytes version = ResourceOf(exe, 16);
    for (const std::string& text :
         {std::string("FileDescription"), std::string("ProductName"), std::string("modpaths"),
          std::string("FileVersion"), std::string("ProductVersion"), std::string(MODPATHS_VERSION),
          std::string("OriginalFilename"), name + ".exe", std::string("LegalCopyright")}) {
      EXPECT_TRUE(HoldsUtf16(version, text)) << name << ": no " << text;
    }
    const Bytes manifestBytes = ResourceOf(exe, 24);
    const std::string manifest(manifestBytes.begin(), manifestBytes.end());
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos) << name;
    EXPECT_NE(manifest.find(">true</longPathAware>"), std::string::npos) << name;
    EXPECT_NE(manifest.find("8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"), std::string::npos) << name;
  }
}

}  // namespace
