#pragma once

// Every file that replaces another (the save, the wrapper's record) is
// written the one way here: into a temporary file beside it, created
// exclusively and claimed for as long as its writer lives, made to reach the
// disk, then renamed over the old file in one step, the folder synced. A
// reader sees the old file or the new one, never a part.
//
// The temporary files are named <file>.<process id>[-<n>].tmp. A run that
// is killed while it writes leaves its own behind; the next run removes it,
// but never one a live writer still owns: each writer holds a lock on its
// temporary until after the rename (RemoveIfAbandoned), and a temporary
// changed in the last kLeftoverAge seconds is left alone whatever its lock
// says, for writers whose locks this process cannot see.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace platform {

inline constexpr int64_t kLeftoverAge = 10 * 60;

class ReplacingFile {
 public:
  ReplacingFile() = default;
  ~ReplacingFile() { Discard(); }
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Claims a temporary file beside `target`. False when the folder takes no
  // new file; Error() says why.
  bool Create(const std::string& target);

  const std::string& temporary() const { return temporary_; }
  // The claim's handle, open for writing at the start of the empty file.
  File& file() { return claim_; }

  // Replaces the target with the temporary file, whose bytes must have
  // reached the disk (File::Sync, or a writer of its own that synced), and
  // releases the claim. False, with Error(), when the rename failed: then
  // the temporary is gone and the target is as it was.
  bool Commit();
  // Removes the temporary file, if one is claimed.
  void Discard();

  int Error() const { return error_; }

 private:
  std::string target_, temporary_;
  File claim_;
  int error_ = 0;
};

// The temporary name for `target` of a process and attempt, and whether a
// folder entry's name is one of `targetName`'s.
std::string TemporaryName(const std::string& target, uint32_t processId, uint32_t attempt);
bool IsTemporaryName(std::string_view name, std::string_view targetName);

// The temporary files of `target` in its folder, and those removed of them
// because no writer owns them any more (none changed in the last
// `minimumAge` seconds).
std::vector<std::string> LeftoverTemporaries(const std::string& target);
uint32_t RemoveLeftoverTemporaries(const std::string& target, int64_t minimumAge = kLeftoverAge);

}  // namespace platform
