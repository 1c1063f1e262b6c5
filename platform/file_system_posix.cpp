// Files and folders on Linux: the launch wrapper for Proton and the Steam
// Deck ships with them, and the tool, its tests and its tools run on them
// for development. There, the Saved Games folder is "$HOME/Saved Games";
// the wrapper finds the one inside the game's Proton prefix itself.

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>

#include "platform/file_system.h"

namespace platform {
namespace {

// The byte File::Claim locks, far beyond any file we write: a lock there
// keeps no reader or writer of the data out.
constexpr off_t kClaimByte = off_t{1} << 40;

// An open-file-description lock of that byte: one process's two handles
// exclude each other as two processes' do, and classic POSIX locks (Wine's
// for LockFileEx) conflict with it.
bool LockClaimByte(int fd, short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = kClaimByte;
  lock.l_len = 1;
  return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

}  // namespace

const PathStyle kNativePaths = kPosixPaths;

const std::string_view kExecutableSuffix{};

std::optional<std::string> SavedGamesFolder() {
  // HOME alone: the user database needs shared libraries that the static
  // launch wrapper does without.
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') return std::nullopt;
  std::string folder = home;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  folder += "/Saved Games";
  return folder;
}

std::optional<std::string> UserDataFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data != nullptr && data[0] == '/') return std::string(data);
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return std::nullopt;
  std::string folder = home;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder + "/.local/share";
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
      item.isLink = entry->d_type == DT_LNK ||
                    (lstat(full.c_str(), &info) == 0 && S_ISLNK(info.st_mode));
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
  error_ = fd < 0 ? errno : 0;
  if (fd < 0) return false;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    error_ = EISDIR;
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
      error_ = errno;
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

bool File::Sync() {
  if (!IsOpen()) return false;
  if (fsync(static_cast<int>(handle_)) == 0) return true;
  error_ = errno;
  return false;
}

bool File::Claim() { return IsOpen() && LockClaimByte(static_cast<int>(handle_), F_WRLCK); }

bool File::Close() {
  if (!IsOpen()) return false;
  const int fd = static_cast<int>(handle_);
  handle_ = -1;
  if (close(fd) == 0) return true;
  error_ = errno;
  return false;
}

std::string ErrorText(int error) { return std::strerror(error); }

bool IsNoSpace(int error) { return error == ENOSPC || error == EDQUOT || error == EFBIG; }

bool IsRefused(int error) {
  return error == EACCES || error == EPERM || error == EROFS || error == EBUSY || error == ETXTBSY;
}

bool RenameOver(const std::string& from, const std::string& to, int* error) {
  int ignored = 0;
  int& failure = error ? *error : ignored;
  failure = 0;
  // rename() would replace a read-only file too; Windows refuses, and a
  // player who made the save read-only means it.
  struct stat info {};
  if (lstat(to.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) {
      failure = EISDIR;
      return false;
    }
    if ((info.st_mode & 0222) == 0 || access(to.c_str(), W_OK) != 0) {
      failure = EACCES;
      return false;
    }
  }
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  failure = errno;
  return false;
}

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

bool RemoveIfAbandoned(const std::string& path, int64_t minimumAge) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat held {}, named {};
  // A claim of any live writer keeps this shared lock out.
  const bool abandoned = fstat(fd, &held) == 0 && S_ISREG(held.st_mode) &&
                         std::time(nullptr) - held.st_mtime >= minimumAge &&
                         LockClaimByte(fd, F_RDLCK);
  // Only while the name is still the file this handle took.
  const bool removed = abandoned && lstat(path.c_str(), &named) == 0 &&
                       named.st_dev == held.st_dev && named.st_ino == held.st_ino &&
                       unlink(path.c_str()) == 0;
  close(fd);
  return removed;
}

std::optional<int64_t> ModifiedTime(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  return static_cast<int64_t>(info.st_mtime);
}

bool CanCreateIn(const std::string& folder) { return access(folder.c_str(), W_OK | X_OK) == 0; }

ExclusiveLock::ExclusiveLock(const std::string& path, double seconds) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  handle_ = fd;
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!(held_ = flock(fd, LOCK_EX | LOCK_NB) == 0) && errno == EWOULDBLOCK &&
         std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

ExclusiveLock::~ExclusiveLock() {
  if (handle_ >= 0) close(static_cast<int>(handle_));  // releases the lock
}

bool SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = fsync(fd) == 0;
  close(fd);
  return synced;
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsLink(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

std::optional<std::string> FileIdentity(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}

std::optional<std::string> UnixPathOf(const std::string& path) { return path; }

std::optional<std::string> CurrentFolder() {
  std::string buffer(256, '\0');
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return std::nullopt;
    buffer.resize(buffer.size() * 2);
  }
  buffer.resize(std::char_traits<char>::length(buffer.c_str()));
  return buffer;
}

std::string AbsolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  const std::optional<std::string> current = CurrentFolder();
  if (!current) return path;
  return *current + (current->back() == '/' ? "" : "/") + path;
}

bool CanReplace(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return true;
  return !S_ISDIR(info.st_mode) && (info.st_mode & 0222) != 0 && access(path.c_str(), W_OK) == 0;
}

std::string FindCaseless(const std::string& path) {
  struct stat info {};
  if (path.empty() || lstat(path.c_str(), &info) == 0) return path;
  auto join = [](const std::string& folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    return folder + (folder.back() == '/' ? "" : "/") + std::string(name);
  };
  // What is found so far exists as spelled.
  std::string found = path[0] == '/' ? "/" : "";
  for (size_t start = 0; start <= path.size();) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string_view part(path.data() + start, end - start);
    if (!part.empty()) {
      std::string spelled(part);
      if (lstat(join(found, spelled).c_str(), &info) != 0) {
        bool matched = false;
        if (const auto entries = ListFolder(found.empty() ? "." : found)) {
          for (const DirectoryEntry& entry : *entries) {
            if (SameLetters(entry.name, part)) {
              spelled = entry.name;
              matched = true;
              break;
            }
          }
        }
        if (!matched) return join(found, std::string_view(path).substr(start));
      }
      found = join(found, spelled);
    }
    start = end + 1;
  }
  return found;
}

bool CreateFolders(const std::string& path) {
  if (path.empty() || IsFolder(path)) return !path.empty();
  const size_t slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0) CreateFolders(path.substr(0, slash));
  return mkdir(path.c_str(), 0777) == 0 || IsFolder(path);
}

bool RemoveEmptyFolder(const std::string& path) { return rmdir(path.c_str()) == 0; }

bool MakeExecutable(const std::string& path) { return chmod(path.c_str(), 0755) == 0; }

}  // namespace platform
