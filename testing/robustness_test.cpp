// The tool against what can go wrong on a player's machine: hostile or
// broken containers beside good ones, and failures while the save is being
// written. Whatever happens, the good containers' paths are written or the
// previous save survives byte for byte, and no temporary file stays behind
// where the tool could remove it.

#include <signal.h>

#include <chrono>
#include <functional>
#include <cstring>
#include <random>
#include <thread>

#include "extract/package_paths.h"
#include "iostore/toc_resource.h"
#include "testing/end_to_end.h"

#include "platform/replacing_file.h"

namespace {

using namespace testing_support;
using IoStore::kNoEntry;

// Hand-made indices whose paths start inside the content folder.
struct HostileIndex : RawIndex {
  explicit HostileIndex(std::initializer_list<const char*> names)
      : RawIndex("../../../HollowVoyage/Content/", names) {}
};

bool Place(const RawIndex& raw, const std::string& path) {
  return WriteToc(MakeToc(raw.index, 1, 0), path);
}

void Patch(const std::string& path, size_t offset, uint32_t value) {
  Bytes bytes = ReadFile(path);
  std::memcpy(&bytes[offset], &value, 4);
  WriteFile(path, bytes);
}

// Every hostile container lies in the paks folder beside two good ones.
TEST_P(EndToEnd, WritesTheGoodContainersWhateverLiesBesideThem) {
  auto install = Install();
  MakeFolders(install->saveFolder);
  const Bytes templateBytes = Hex("01 02 03");
  WriteFile(install->binaries + "/SourceSave.sav", templateBytes);
  const std::string paks = install->paks + "/";
  MakeFolders(paks + "Hostile");

  ASSERT_TRUE(PlaceContainer(paks + "Good.utoc", ModTree("Good", {"A.uasset", "B.uasset"})));
  ASSERT_TRUE(PlaceContainer(paks + "Hostile/Fine.utoc", ModTree("Fine", {"C.uasset"})));

  // Counts no file could hold: 2^31 - 1 chunks in 400 bytes, negative ones.
  ASSERT_TRUE(PlaceContainer(paks + "Hostile/Huge.utoc", ModTree("Huge", {"H.uasset"})));
  Patch(paks + "Hostile/Huge.utoc", 24, 0x7FFFFFFF);
  Bytes huge = ReadFile(paks + "Hostile/Huge.utoc");
  huge.resize(400);
  WriteFile(paks + "Hostile/Huge.utoc", huge);
  ASSERT_TRUE(PlaceContainer(paks + "Hostile/Negative.utoc", ModTree("Negative", {"N.uasset"})));
  Patch(paks + "Hostile/Negative.utoc", 24, 0xFFFFFFFB);
  Patch(paks + "Hostile/Negative.utoc", 28, 0x80000000);

  // A mount point of 2^31 UTF-16 units, right after a 144-byte header with
  // no chunks. (0xFFFFFFFF, once 4 GiB, is the engine's empty UTF-16
  // string.)
  {
    IoStore::FIoStoreTocResource toc =
        MakeToc(MakeDirectoryIndex("M", ModTree("X", {"X.uasset"})), 0, 0);
    ASSERT_TRUE(WriteToc(toc, paks + "Hostile/Mount.utoc"));
    Patch(paks + "Hostile/Mount.utoc", 144, 0x80000000);
  }

  // Hand-made indices, each with what it must give.
  std::string deepPath = "/Game/d";  // the mount point's "/" and the walk's make one
  for (int level = 1; level < 100000; ++level) deepPath += "/d";
  std::string twice = "/Game/x";
  for (int level = 1; level < 59; ++level) twice += "/x";  // the last level's second is y
  twice += "/y/Twice.Twice";
  struct Hostile {
    const char* name;
    std::function<HostileIndex()> build;
    Paths gives;
  } const hostile[] = {
      // A chain 100 000 directories deep with one asset at the bottom.
      {"Deep",
       [] {
         HostileIndex deep({"d", "Deep.uasset"});
         AddChain(deep, 100000, 0);
         deep.File(1, kNoEntry);
         return deep;
       },
       {deepPath + "/Deep.Deep"}},
      // Loops: a file chain back to its start, a directory its own child.
      {"Loops",
       [] {
         HostileIndex loops({"L", "Loop.uasset"});
         loops.Dir(kNoEntry, 1, kNoEntry, kNoEntry).Dir(0, 1, 1, 0).File(1, 1).File(1, 0);
         return loops;
       },
       {"/Game/L/Loop.Loop", "/Game/L/Loop.Loop"}},  // two entries, one name
      // 60 levels whose two entries each link to the next level: 2^60
      // paths if every link were followed.
      {"Doubled",
       [] {
         HostileIndex doubled({"x", "y", "Twice.uasset"});
         AddDoubleLinkLadder(doubled, 60);
         doubled.File(2, kNoEntry);
         return doubled;
       },
       {twice}},
      // Links and names that point outside their tables.
      {"Range",
       [] {
         HostileIndex range({"Out.uasset"});
         range.Dir(kNoEntry, 7, 9, 0).File(0, 3).File(5, kNoEntry);
         return range;
       },
       {"/Game/Out.Out"}},
  };
  std::vector<Paths> expected = {{"/Game/Mods/Good/A.A", "/Game/Mods/Good/B.B"},
                                 {"/Game/Mods/Fine/C.C"}};
  for (const Hostile& container : hostile) {
    ASSERT_TRUE(Place(container.build(), paks + "Hostile/" + container.name + ".utoc"));
    expected.push_back(container.gives);
  }

  // Noise, and every tenth of a real-sized container.
  std::mt19937 random(20261207);
  Bytes noise(65536);
  for (uint8_t& byte : noise) byte = static_cast<uint8_t>(random());
  WriteFile(paks + "Hostile/Noise.utoc", noise);
  Folder real{"", {}, {}};
  for (int group = 0; group < 50; ++group) {
    Folder folder{"Group" + std::to_string(group), {}, {}};
    for (int i = 0; i < 200; ++i)
      folder.files.push_back("Asset" + std::to_string(i) + (i % 2 ? ".uexp" : ".uasset"));
    real.folders.push_back(folder);
  }
  const IoStore::FIoStoreTocResource realToc =
      MakeToc(MakeDirectoryIndex("../../../HollowVoyage/Content/Real/", real), 10000, 1000);
  ASSERT_TRUE(WriteToc(realToc, install->root / "real.utoc"));
  const Bytes realBytes = ReadFile(install->root / "real.utoc");
  for (int tenth = 1; tenth < 10; ++tenth) {
    WriteFile(paks + "Hostile/Real" + std::to_string(tenth) + "0.utoc",
              Bytes(realBytes.begin(),
                    realBytes.begin() +
                        static_cast<long>(realBytes.size() * static_cast<size_t>(tenth) / 10)));
  }

  const RunResult run = runner_->Run(install->executable);
  EXPECT_EQ(run.exitStatus, 0);
  RecordProperty("seconds", std::to_string(run.seconds));
  RecordProperty("peak_kilobytes", std::to_string(run.peakKilobytes));
  std::printf("hostile run: %.2f s, peak %ld KB\n", run.seconds, run.peakKilobytes);
#if !defined(MODPATHS_SANITIZED)
  if (!IsWine()) {
    EXPECT_LT(run.peakKilobytes, 200 * 1024);
  }
#endif

  Paths written;
  ASSERT_TRUE(ParseSave(ReadFile(install->output), templateBytes, written));
  // The prefixes may give some of the real container's paths; the rest is
  // exactly known.
  const Paths realPaths = modpaths::ExtractPackagePaths(realToc);
  Paths known;
  for (const std::string& path : written) {
    if (path.rfind("/Game/Real/", 0) == 0) {
      EXPECT_NE(std::find(realPaths.begin(), realPaths.end(), path), realPaths.end()) << path;
    } else {
      known.push_back(path);
    }
  }
  EXPECT_TRUE(AreContainersInSomeOrder(known, expected));
}

// A save folder where the tool can write, with an older save in it. A save
// that cannot be written ends the tool with exit status 1.
class SaveFailures : public EndToEnd {
 protected:
  void SetUp() override {
    EndToEnd::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    install_ = Install();
    MakeFolders(install_->saveFolder);
    WriteFile(install_->output, previous_);
    ASSERT_TRUE(PlaceContainer(install_->paks + "/Mod.utoc", ModTree("Mod", {"A.uasset"})));
  }

  void ExpectPreviousSaveAlone() {
    EXPECT_EQ(ReadFile(install_->output), previous_);
    EXPECT_EQ(ListNames(install_->saveFolder), Paths{"ModManager_ModPaths.sav"});
  }

  std::unique_ptr<Installation> install_;
  const Bytes previous_ = Hex("50 52 45 56 49 4F 55 53");
};

TEST_P(SaveFailures, AWriteFailingMidwayKeepsThePreviousSave) {
  if (IsWine()) GTEST_SKIP() << "the file-size limit would apply to Wine itself";
  WriteFile(install_->binaries + "/SourceSave.sav", Bytes(1 << 20, 0x42));
  RunOptions limited;
  limited.fileSizeLimit = 256 * 1024;
  const RunResult run = runner_->Run(install_->executable, limited);
  EXPECT_EQ(run.exitStatus, 1) << "a failure must not look like success";
  ExpectPreviousSaveAlone();
}

TEST_P(SaveFailures, AProcessKilledWhileWritingKeepsThePreviousSave) {
  if (IsWine()) GTEST_SKIP() << "covered natively; Wine adds nothing to a killed process";
  WriteFile(install_->binaries + "/SourceSave.sav", Bytes(200 << 20, 0x42));
  const Process pid = StartProgram(runner_->Command(install_->executable, {}), runner_->Env());
  ASSERT_GT(pid, 0);
  bool killed = false;
  for (int wait = 0; wait < 20000 && !killed; ++wait) {
    if (ListNames(install_->saveFolder).size() > 1) {
      KillProgram(pid);
      killed = true;
    } else {
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
  }
  const RunResult run = WaitProgram(pid);
  ASSERT_TRUE(killed) << "the tool finished before it could be killed";
  EXPECT_EQ(run.signal, SIGKILL);
  EXPECT_EQ(ReadFile(install_->output), previous_);
}

TEST_P(SaveFailures, AReadOnlySaveStaysUntouched) {
  WriteFile(install_->binaries + "/SourceSave.sav", Hex("01"));
  SetReadOnly(install_->output);
  EXPECT_EQ(Run(*install_), 1);
  ExpectPreviousSaveAlone();
}

TEST_P(SaveFailures, ASaveHeldOpenByAnotherProgramStaysUntouched) {
  if (!IsWine()) GTEST_SKIP() << "POSIX has no mandatory locks";
  const std::string holder = WindowsBuildFile("testing/modpaths-hold-file.exe");
  ASSERT_TRUE(FileExists(holder));
  WriteFile(install_->binaries + "/SourceSave.sav", Hex("01"));
  const std::string ready = install_->root / "held";
  const Process pid =
      StartProgram(runner_->Command(holder, {install_->output, ready, "30"}), runner_->Env());
  ASSERT_GT(pid, 0);
  for (int wait = 0; wait < 600 && !FileExists(ready); ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_TRUE(FileExists(ready)) << "the holder did not get the file";
  EXPECT_EQ(Run(*install_), 1);
  KillProgram(pid);
  WaitProgram(pid);
  ExpectPreviousSaveAlone();
}

// A killed run's old temporary goes; a live writer's, claimed natively,
// stays through the tool's cleanup, under Wine too (its lock maps to one
// that native processes share), and its rename still succeeds.
TEST_P(SaveFailures, CleanupRemovesALeftoverButNeverALiveWritersFile) {
  WriteFile(install_->binaries + "/SourceSave.sav", Hex("01"));
  const std::string leftover = install_->output + ".4242.tmp";
  WriteFile(leftover, "killed");
  MakeOld(leftover);
  platform::ReplacingFile writer;
  ASSERT_TRUE(writer.Create(install_->output));
  ASSERT_TRUE(writer.file().Write("live", 4) && writer.file().Sync());
  MakeOld(writer.temporary());
  EXPECT_EQ(Run(*install_), 0);
  EXPECT_FALSE(FileExists(leftover));
  EXPECT_TRUE(FileExists(writer.temporary()));
  EXPECT_TRUE(writer.Commit());
  EXPECT_EQ(ReadFile(install_->output), Bytes({'l', 'i', 'v', 'e'}));
}

INSTANTIATE_TEST_SUITE_P(Runners, SaveFailures, ::testing::Values("native", "wine"),
                         [](const auto& instance) { return instance.param; });

}  // namespace
