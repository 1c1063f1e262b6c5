// POSIX stand-in for the Windows calls: good enough to develop and test the
// tool on Linux. The Saved Games folder is "$HOME/Saved Games".

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/platform.h"

namespace platform {

const PathStyle kNativePaths = kPosixPaths;
const std::string_view kExecutableSuffix{};

std::optional<std::string> SavedGamesFolder() {
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') {
    const passwd* entry = getpwuid(getuid());
    if (entry == nullptr || entry->pw_dir == nullptr) return std::nullopt;
    home = entry->pw_dir;
  }
  std::string folder = home;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  folder += "/Saved Games";
  return folder;
}

std::optional<std::string> ExecutablePath() {
  std::string buffer(256, '\0');
  for (;;) {
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return std::nullopt;
    if (static_cast<size_t>(length) < buffer.size()) {
      buffer.resize(static_cast<size_t>(length));
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool PathExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

std::optional<std::vector<DirectoryEntry>> ListFolder(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return std::nullopt;
  std::vector<DirectoryEntry> entries;
  while (const dirent* entry = readdir(dir)) {
    DirectoryEntry item;
    item.name = entry->d_name;
    if (item.name == "." || item.name == "..") continue;
    if (entry->d_type == DT_DIR) {
      item.isFolder = true;
    } else if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
      // Links are followed, as Windows does for junctions.
      struct stat info {};
      const std::string full = folder + "/" + item.name;
      item.isFolder = stat(full.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }
    entries.push_back(std::move(item));
  }
  closedir(dir);
  return entries;
}

File::~File() { Close(); }

bool File::Open(const std::string& path, FileMode mode) {
  Close();
  int flags = O_CLOEXEC;
  switch (mode) {
    case FileMode::Read:
      flags |= O_RDONLY;
      break;
    case FileMode::Write:
      flags |= O_WRONLY | O_CREAT | O_TRUNC;
      break;
    case FileMode::CreateNew:
      flags |= O_WRONLY | O_CREAT | O_EXCL;
      break;
  }
  int fd;
  do {
    fd = open(path.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return false;
  }
  handle_ = fd;
  return true;
}

bool File::IsOpen() const { return handle_ >= 0; }

int64_t File::Read(void* data, uint64_t size) {
  if (!IsOpen()) return -1;
  for (;;) {
    const ssize_t got = read(static_cast<int>(handle_), data, static_cast<size_t>(size));
    if (got >= 0) return got;
    if (errno != EINTR) return -1;
  }
}

bool File::Write(const void* data, uint64_t size) {
  if (!IsOpen()) return false;
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t put = write(static_cast<int>(handle_), bytes, static_cast<size_t>(size));
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += put;
    size -= static_cast<uint64_t>(put);
  }
  return true;
}

bool File::Seek(int64_t position) {
  return IsOpen() && lseek(static_cast<int>(handle_), static_cast<off_t>(position), SEEK_SET) >= 0;
}

int64_t File::Size() const {
  struct stat info {};
  if (!IsOpen() || fstat(static_cast<int>(handle_), &info) != 0) return -1;
  return static_cast<int64_t>(info.st_size);
}

bool File::Sync() { return IsOpen() && fsync(static_cast<int>(handle_)) == 0; }

bool File::Close() {
  if (!IsOpen()) return false;
  const int fd = static_cast<int>(handle_);
  handle_ = -1;
  return close(fd) == 0;
}

bool RenameOver(const std::string& from, const std::string& to) {
  // rename() would replace a read-only file too; Windows refuses, and a
  // player who made the save read-only means it.
  struct stat info {};
  if (lstat(to.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return false;
    if ((info.st_mode & 0222) == 0 || access(to.c_str(), W_OK) != 0) return false;
  }
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

uint32_t ProcessId() { return static_cast<uint32_t>(getpid()); }

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::optional<std::string> CurrentFolder() {
  std::string buffer(256, '\0');
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return std::nullopt;
    buffer.resize(buffer.size() * 2);
  }
  buffer.resize(std::char_traits<char>::length(buffer.c_str()));
  return buffer;
}

bool CanReplace(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return true;
  return !S_ISDIR(info.st_mode) && (info.st_mode & 0222) != 0 && access(path.c_str(), W_OK) == 0;
}

void WriteText(std::string_view text, bool toError) {
  std::fwrite(text.data(), 1, text.size(), toError ? stderr : stdout);
}

bool IsConsole(bool error) { return isatty(error ? STDERR_FILENO : STDOUT_FILENO) == 1; }

bool OwnsConsoleWindow() { return false; }

}  // namespace platform
