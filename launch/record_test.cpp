#include "launch/record.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "launch/launch.h"

namespace launch {
namespace {

// Each way a run ends, as its record's code; the words name the file to
// act on and, for the system's errors, the system's own reason.
TEST(LaunchRecord, NamesEachOutcomeByItsCode) {
  using modpaths::Obstacle;
  using O = modpaths::Outcome;
  using Step = modpaths::SaveFailure::Step;
  modpaths::RunResult base;
  base.paths = {"T/SourceSave.sav", "P", "S/Corvane/HollowVoyage",
                "S/Corvane/HollowVoyage/ModManager_ModPaths.sav"};
  struct Row {
    O outcome;
    Obstacle obstacle;
    modpaths::SaveFailure save;
    bool noPaths;
    RunCode code;
    std::string words;
  } const rows[] = {
      // clang-format off
      {O::Written, Obstacle::None, {}, false, RunCode::Written, "wrote 3 package paths into S/"},
      {O::NothingToDo, Obstacle::NoTemplate, {}, false, RunCode::NoTemplate, "T/SourceSave.sav"},
      {O::Failed, Obstacle::UnreadableTemplate, {}, false, RunCode::TemplateUnreadable, "cannot read"},
      {O::NothingToDo, Obstacle::NoSaveFolder, {}, false, RunCode::NoSavedGames, "start the game once"},
      {O::NothingToDo, Obstacle::None, {}, true, RunCode::NoSavedGames, "no prefix"},
      {O::Failed, Obstacle::None, {Step::Replace, 0}, false, RunCode::SaveLocked, "read-only"},
      {O::Failed, Obstacle::None, {Step::Write, 0}, false, RunCode::WriteFailed, "could not write"},
      {O::Failed, Obstacle::None, {}, true, RunCode::ReadFailed, "while it read the mods"},
      // clang-format on
  };
  for (const Row& row : rows) {
    modpaths::RunResult result = row.noPaths ? modpaths::RunResult() : base;
    result.outcome = row.outcome;
    result.obstacle = row.obstacle;
    result.save = row.save;
    result.packagePaths = 3;
    const Outcome outcome = Describe(result, "no prefix");
    EXPECT_EQ(outcome.code, row.code);
    EXPECT_NE(outcome.words.find(row.words), std::string::npos) << outcome.words;
    EXPECT_EQ(outcome.words.find("read-only") != std::string::npos,
              row.code == RunCode::SaveLocked)
        << "only a refused replacement is said to be read-only: " << outcome.words;
  }
}

TEST(LaunchRecord, KeepsTheLastTwentyRunsAndReadsBackWhatItWrote) {
  RecordEntry entry{"2026-12-08T21:04:55+01:00", "1.3.0", false, RunCode::DiskFull,
                    "the\tdisk\nis full"};
  const std::string line = RecordLine(entry);
  EXPECT_EQ(line, "2026-12-08T21:04:55+01:00\t1.3.0\tcommand\tdisk-full\tthe disk is full");
  const auto back = ParseRecordLine(line + "\r");
  ASSERT_TRUE(back);
  EXPECT_EQ(back->code, RunCode::DiskFull);
  EXPECT_EQ(RecordSeconds(back->time), 1796760295);
  EXPECT_EQ(RecordSeconds("1970-01-01T00:00:00-00:30"), 1800);
  EXPECT_EQ(RecordSeconds("2026-12-08 21:04:55"), std::nullopt);
  EXPECT_EQ(ParseRecordLine("t\tv\tcommand\tlater-code\tw")->code, RunCode::Other);
  EXPECT_TRUE(back->Failed());
  EXPECT_FALSE(back->byHand);
  EXPECT_FALSE(ParseRecordLine("a line of someone else's"));
  EXPECT_FALSE(ParseRecordLine("t\tv\tsometimes\tc\tw"));

  std::string record = "\n\n";
  for (int run = 1; run <= 25; ++run) record = AddToRecord(record, "run " + std::to_string(run));
  EXPECT_EQ(record.find("run 5"), std::string::npos);
  EXPECT_EQ(record.rfind("run 6", 0), 0u) << record;
  EXPECT_NE(record.find("run 25"), std::string::npos);
  EXPECT_EQ(record.back(), '\n');
  EXPECT_EQ(std::count(record.begin(), record.end(), '\n'), 20);
}

}  // namespace
}  // namespace launch
