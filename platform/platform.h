#pragma once

// The operating system as the tool sees it: platform_win32.cpp for Windows,
// platform_posix.cpp for Linux, where the launch wrapper runs for Proton and
// the Steam Deck (and the tool, its tests and its tools run for development).
// Every path crossing this boundary is UTF-8.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/console.h"
#include "platform/path_style.h"

namespace platform {

extern const PathStyle kNativePaths;

// What ends the name of an executable: ".exe" on Windows, nothing on POSIX.
extern const std::string_view kExecutableSuffix;

// Queries that can fail give nothing (std::nullopt) when the system cannot
// answer.

// The user's "Saved Games" folder, without a trailing separator.
std::optional<std::string> SavedGamesFolder();

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

uint32_t ProcessId();

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

// For console tools: the command line as UTF-8 strings (on Windows, taken
// from the wide command line rather than the ANSI argv).
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Writes UTF-8 text to standard output (or standard error). A Windows
// console gets it as UTF-16, so that every character shows whatever its
// code page; anything else, a file or a pipe, gets the UTF-8 bytes.
void WriteText(std::string_view text, bool toError = false);

// Whether standard output (or standard error) is a console or terminal a
// person watches, rather than a file or a pipe.
bool IsConsole(bool error = false);

// What the system says of this process's console (see console.h); nothing
// on POSIX.
ConsoleFacts DescribeConsole();

// POSIX: the path with each component that does not exist as spelled found
// without regard to the case of ASCII letters, as Wine finds the files of a
// Windows program; from the first component found in no case on, the rest
// stays as given. Windows compares names without case itself: as given.
std::string FindCaseless(const std::string& path);

// Environment and processes.

using Environment = std::map<std::string, std::string>;

// This process's environment, and one variable of it (nothing when unset).
Environment CurrentEnvironment();
std::optional<std::string> EnvironmentVariable(const std::string& name);

// A started program: a pid on POSIX, a process handle on Windows; 0 or less
// when it could not be started.
using Process = int64_t;

struct ProcessOptions {
  std::optional<Environment> environment;  // exactly this one; nothing: this process's
  std::string outputFile;                  // receives standard output when set
  std::string errorFile;                   // receives standard error when set
  bool noInput = false;                    // standard input from the null device
  uint64_t fileSizeLimit = 0;              // RLIMIT_FSIZE in bytes (POSIX); 0: as it is
};

struct ProcessResult {
  int exitStatus = -1;  // -1 when the program did not exit by itself
  int signal = 0;       // the signal that ended it, if one did (POSIX)
  long peakKilobytes = 0;
  double seconds = 0;
};

// Starts argv[0] (looked up on PATH when it names no folder) with exactly
// these arguments: on Windows each is quoted so that the program's own
// splitting gives it back. The system's reason goes to `why` on failure.
Process StartProgram(const std::vector<std::string>& argv, const ProcessOptions& options = {},
                     std::string* why = nullptr);

// Starts a command line exactly as it stands, its program being its first
// token, in this process's folder and environment. Windows only: POSIX
// programs take their arguments one by one, and this fails there.
Process StartCommandLine(const std::string& commandLine, std::string* why = nullptr);

ProcessResult WaitProgram(Process process);
// Ends the program at once (SIGKILL, TerminateProcess); WaitProgram still
// has to collect it.
void KillProgram(Process process);

// The full path of a program on PATH, or empty.
std::string FindOnPath(const std::string& program);

// The command line this program was started with, as the system holds it
// (Windows); empty on POSIX.
std::string OwnCommandLine();

// Puts the program in this process's place (execvp), so that whoever waits
// for this process waits for it. Returns only when that failed, with the
// system's reason; on Windows, where a process cannot be replaced, always.
std::string ReplaceProcess(const std::vector<std::string>& argv);

// Puts the text on the clipboard as Unicode text (Windows); false where
// there is none to put it on.
bool CopyToClipboard(const std::string& text);

// The local time now, as ISO 8601 with its offset from UTC:
// "2026-12-08T23:58:14+01:00".
std::string LocalTimeIso8601();

// Tells a person something where there may be no console: a message box on
// Windows (its text can be copied with Ctrl+C), standard error on POSIX.
void ShowMessage(const std::string& title, const std::string& text, bool warning);

}  // namespace platform
