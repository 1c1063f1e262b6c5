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
// The code is "written" or the reason nothing was: no-template,
// template-unreadable, no-saved-games, save-locked, disk-full,
// write-failed, read-failed, no-game.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace launch {

inline constexpr std::string_view kRecordName = "modpaths-launch.log";
inline constexpr size_t kRecordRuns = 20;

struct RecordEntry {
  std::string time;
  std::string version;
  bool byHand = false;  // started by a person rather than with the game's command
  std::string code;
  std::string words;

  bool Failed() const { return code != "written"; }
};

std::string RecordLine(const RecordEntry& entry);
// Nothing for a line that is not one of ours.
std::optional<RecordEntry> ParseRecordLine(std::string_view line);

// The record's text with `line` added last and only the last kRecordRuns
// lines kept.
std::string AddToRecord(std::string_view record, const std::string& line);

// Adds the entry to the record in `folder`, replacing the file whole, as
// the save is. False when the folder takes no file: then there is no
// record, and nothing else changes.
bool WriteRecord(const std::string& folder, const RecordEntry& entry);

// The record's entries, oldest first; none when there is no record.
std::vector<RecordEntry> ReadRecord(const std::string& folder);

}  // namespace launch
