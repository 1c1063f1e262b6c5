#pragma once

// The operating system as the tool sees it. platform_win32.cpp is the real
// thing; platform_posix.cpp is a stand-in that lets the tool, its tests and
// its tools run on Linux. Every path crossing this boundary is UTF-8.

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

// Full path of the running executable.
std::optional<std::string> ExecutablePath();

// True when something (file or folder) exists at the path.
bool PathExists(const std::string& path);

struct DirectoryEntry {
  std::string name;
  bool isFolder = false;
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
  bool Close();

 private:
  // A file descriptor or a Windows HANDLE; -1 when closed on both.
  intptr_t handle_ = -1;
};

// Replaces `to` by `from` in one step. Fails, leaving both as they were, when
// `to` is read-only or held by another process.
bool RenameOver(const std::string& from, const std::string& to);

bool RemoveFile(const std::string& path);

uint32_t ProcessId();

// True when a folder exists at the path.
bool IsFolder(const std::string& path);

// The process's current folder.
std::optional<std::string> CurrentFolder();

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

// Whether this process has a console window of its own that closes when it
// ends (started from Explorer, not from a terminal) and can read a key
// press from it. Never on POSIX.
bool OwnsConsoleWindow();

}  // namespace platform
