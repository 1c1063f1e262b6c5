#pragma once

// The wrapper's record of its runs, modpaths-launch.log beside it: a run at
// a game's start is seen by no one, so what it did is kept where a player,
// and modpaths-inspect check, can look afterwards. UTF-8 text, one line a
// run, newest last, the last kRecordRuns runs:
//
//   <local time, ISO 8601> TAB <version> TAB <command | by hand> TAB <code> TAB <words>
//
// for instance
//   2026-12-08T21:04:55+01:00	1.3.0	command	written	wrote 1204 package paths into ...
//
// The code is "written" or the reason nothing was (RunCode).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace launch {

inline constexpr std::string_view kRecordName = "modpaths-launch.log";
inline constexpr size_t kRecordRuns = 20;

// How a run of the wrapper ended, as the record and modpaths-inspect name it.
enum class RunCode {
  Written,
  NoTemplate,
  TemplateUnreadable,
  NoSavedGames,
  SaveLocked,
  DiskFull,
  WriteFailed,
  ReadFailed,
  NoGame,
  NestedFolder,   // the files lie one folder below the game's Binaries folder
  WrapperFailed,  // the wrapper itself failed (out of memory, most likely)
  Other,          // a code of a later version
};
std::string_view CodeName(RunCode code);
// Other for a name of no code we know.
RunCode CodeOfName(std::string_view name);

struct RecordEntry {
  std::string time;
  std::string version;
  bool byHand = false;  // started by a person rather than with the game's command
  RunCode code = RunCode::Other;
  std::string words;

  bool Failed() const { return code != RunCode::Written; }
};

// Seconds since 1970 (UTC) of a record's time, "2026-12-08T21:04:55+01:00";
// nothing for a time of another shape.
std::optional<int64_t> RecordSeconds(std::string_view time);

std::string RecordLine(const RecordEntry& entry);
// Nothing for a line that is not one of ours.
std::optional<RecordEntry> ParseRecordLine(std::string_view line);

// The record's text with `line` added last and only the last kRecordRuns
// lines kept.
std::string AddToRecord(std::string_view record, const std::string& line);

// Adds the entry to the record in `folder`, replacing the file whole, as
// the save is; runs at once each add their line, read and replaced under
// one lock. False when the folder takes no file: then there is no record,
// and nothing else changes.
bool WriteRecord(const std::string& folder, const RecordEntry& entry);

// The record's entries, oldest first; none when there is no record.
std::vector<RecordEntry> ReadRecord(const std::string& folder);

}  // namespace launch
