#pragma once

// Files and folders as the tool sees them: file_system_win32.cpp for
// Windows, file_system_posix.cpp for Linux, where the launch wrapper runs
// for Proton and the Steam Deck (and the tool, its tests and its tools run
// for development). Every path crossing this boundary is UTF-8.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/path_style.h"

namespace platform {

extern const PathStyle kNativePaths;

// What ends the name of an executable: ".exe" on Windows, nothing on POSIX.
extern const std::string_view kExecutableSuffix;

// Queries that can fail give nothing (std::nullopt) when the system cannot
// answer.

// The user's "Saved Games" folder, without a trailing separator.
std::optional<std::string> SavedGamesFolder();

// Where a program keeps data of its own for this user: %LOCALAPPDATA%
// (else the profile's AppData\Local), $XDG_DATA_HOME (else
// ~/.local/share).
std::optional<std::string> UserDataFolder();

// Full path of the running executable.
std::optional<std::string> ExecutablePath();

// True when something (file or folder) exists at the path.
bool PathExists(const std::string& path);

struct DirectoryEntry {
  std::string name;
  bool isFolder = false;  // a link or junction to a folder counts as one
  bool isLink = false;    // a symbolic link, or a junction or other reparse point
};

// Every entry of one folder but "." and "..", in the order the system
// delivers them.
std::optional<std::vector<DirectoryEntry>> ListFolder(const std::string& folder);

enum class FileMode {
  Read,       // an existing regular file
  Write,      // created, or emptied when it exists
  CreateNew,  // created; fails when anything exists at the path
};

// An unbuffered handle on an open file. Files are opened without sharing
// restrictions towards other processes.
class File {
 public:
  File() = default;
  ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool Open(const std::string& path, FileMode mode);
  bool IsOpen() const;

  // Bytes read into data (0 at the end of the file), or -1 on an error.
  int64_t Read(void* data, uint64_t size);
  // True when all size bytes were written.
  bool Write(const void* data, uint64_t size);
  bool Seek(int64_t position);
  // Length of the open file, or -1.
  int64_t Size() const;
  // Hands everything written so far to the disk.
  bool Sync();
  // Marks the file as owned by this handle for as long as it is open, where
  // RemoveIfAbandoned of any process, native or under Wine, sees it: a lock
  // on one byte far beyond any data (POSIX open-file-description lock;
  // LockFileEx, which Wine maps to one). Needs a handle open for writing.
  bool Claim();
  bool Close();
  // The system's code for the last Open, Write, Sync or Close that failed
  // (errno, GetLastError), for ErrorText and IsNoSpace; 0 when none has.
  int Error() const { return error_; }

 private:
  // A file descriptor or a Windows HANDLE; -1 when closed on both.
  intptr_t handle_ = -1;
  int error_ = 0;
};

// The system's own words for an error code of File::Error.
std::string ErrorText(int error);

// Whether the code says that the disk is full (or a quota or the file-size
// limit is reached), rather than that the file is refused.
bool IsNoSpace(int error);

// Whether the code says that a file refuses to be replaced: it is read-only,
// or another program holds it.
bool IsRefused(int error);

// Replaces `to` by `from` in one step. Fails, leaving both as they were, when
// `to` is read-only or held by another process (on Windows only after a
// second of retries, so that runs replacing it at once all succeed), or on
// any other error, which goes to `error`.
bool RenameOver(const std::string& from, const std::string& to, int* error = nullptr);

bool RemoveFile(const std::string& path);

// Removes a writer's temporary file that no writer owns any more: none
// holds it open (Windows: an open that shares nothing), none claims it
// (File::Claim), and it has not changed for `minimumAge` seconds. Taken
// through one handle and removed through it, or only when the name still
// names that file, so that a file that took the name meanwhile stays.
bool RemoveIfAbandoned(const std::string& path, int64_t minimumAge);

// The last change of a file, in seconds since 1970 (UTC).
std::optional<int64_t> ModifiedTime(const std::string& path);

// Whether a new file can be made in the folder (without making one on
// POSIX; on Windows by one that is gone when closed).
bool CanCreateIn(const std::string& folder);

// Serialises the processes that take it for the same path, for a
// read-and-replace: flock on the path, a folder too (POSIX), a named mutex
// of the path (Windows, where Wine's processes of one prefix share it).
// Waits `seconds` at most; not taken, the caller goes on without it.
class ExclusiveLock {
 public:
  ExclusiveLock(const std::string& path, double seconds);
  ~ExclusiveLock();
  ExclusiveLock(const ExclusiveLock&) = delete;
  ExclusiveLock& operator=(const ExclusiveLock&) = delete;
  bool Held() const { return held_; }

 private:
  intptr_t handle_ = -1;
  bool held_ = false;
};

// Makes the creations and renames in a folder reach the disk (POSIX);
// Windows does so with the rename itself.
bool SyncFolder(const std::string& folder);

// True when a folder exists at the path.
bool IsFolder(const std::string& path);

// True when the path itself is a symbolic link, or a junction or other
// reparse point (Windows), whatever it leads to.
bool IsLink(const std::string& path);

// What tells a file or folder apart from every other on the machine,
// whatever path reaches it (a link, a junction): the device and inode, or
// the volume and file index. Nothing when it cannot be opened.
std::optional<std::string> FileIdentity(const std::string& path);

// The path as the Linux that runs Wine names it: on POSIX the path itself;
// under Wine from Wine's own mapping, for any drive; nothing on Windows.
std::optional<std::string> UnixPathOf(const std::string& path);

// The process's current folder.
std::optional<std::string> CurrentFolder();

// The path from the root: a relative one is taken from the current folder.
std::string AbsolutePath(const std::string& path);

// Whether RenameOver could replace the file at `path` now: it is not
// read-only, and no other process holds it open without letting it be
// replaced. True when nothing is there.
bool CanReplace(const std::string& path);

// POSIX: the path with each component that does not exist as spelled found
// without regard to the case of ASCII letters, as Wine finds the files of a
// Windows program; from the first component found in no case on, the rest
// stays as given. Windows compares names without case itself: as given.
std::string FindCaseless(const std::string& path);

// Makes the folder and those above it that are missing.
bool CreateFolders(const std::string& path);

// Removes a folder that holds nothing; false when it holds something.
bool RemoveEmptyFolder(const std::string& path);

// Lets everyone run the file, its owner change it (POSIX; Windows needs
// nothing).
bool MakeExecutable(const std::string& path);

}  // namespace platform
