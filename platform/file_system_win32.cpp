// Files and folders on Windows. Every path goes to the wide API as UTF-16,
// so names outside the ANSI code page work, and nothing is cut at MAX_PATH:
// long paths get the "\\?\" prefix (ExtendedLengthPath).

#include "platform/win32_api.h"

#include <knownfolders.h>
#include <shlobj.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "platform/digest.h"
#include "platform/file_system.h"

namespace platform {
namespace {

bool IsDotOrDotDot(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// The byte File::Claim locks, 2^40, far beyond any file we write: Windows'
// locks keep other handles out of the bytes they cover.
OVERLAPPED ClaimByte() {
  OVERLAPPED at{};
  at.OffsetHigh = 1u << 8;
  return at;
}

// FILETIME ticks (100 ns since 1601) as seconds since 1970.
int64_t UnixSeconds(const FILETIME& time) {
  const auto ticks = static_cast<int64_t>((uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime);
  return (ticks - 116444736000000000) / 10000000;
}

}  // namespace

const PathStyle kNativePaths = kWindowsPaths;

const std::string_view kExecutableSuffix = ".exe";

namespace {

std::optional<std::string> KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  const HRESULT result = SHGetKnownFolderPath(id, 0, nullptr, &path);
  std::string folder;
  if (SUCCEEDED(result) && path != nullptr) folder = ToNarrow(path);
  CoTaskMemFree(path);
  if (folder.empty()) return std::nullopt;
  return folder;
}

}  // namespace

std::optional<std::string> SavedGamesFolder() { return KnownFolder(FOLDERID_SavedGames); }

std::optional<std::string> UserDataFolder() {
  const DWORD size = GetEnvironmentVariableW(L"LOCALAPPDATA", nullptr, 0);
  if (size > 1) {
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(L"LOCALAPPDATA", value.data(), size));
    const std::string folder = ToNarrow(value.c_str());
    // Only an absolute path: "\modpaths" would be the current drive's.
    if (folder.size() > 2 && (folder[1] == ':' || (folder[0] == '\\' && folder[1] == '\\')))
      return folder;
  }
  return KnownFolder(FOLDERID_LocalAppData);
}

std::optional<std::string> ExecutablePath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
    if (length == 0) return std::nullopt;
    if (length < size) {
      buffer.resize(length);
      return ToNarrow(buffer.c_str());
    }
    // Truncated: the system filled the whole buffer. Try a bigger one, up to
    // the longest path Windows can have.
    if (buffer.size() >= 32768) return std::nullopt;
    buffer.resize(buffer.size() * 2);
  }
}

bool PathExists(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  return GetFileAttributesExW(ForApi(path).c_str(), GetFileExInfoStandard, &data) != 0;
}

std::optional<std::vector<DirectoryEntry>> ListFolder(const std::string& folder) {
  const std::wstring pattern = ForApi(folder + "\\*");
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  std::vector<DirectoryEntry> entries;
  do {
    if (IsDotOrDotDot(data.cFileName)) continue;
    DirectoryEntry entry;
    entry.name = ToNarrow(data.cFileName);
    entry.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    entries.push_back(std::move(entry));
  } while (FindNextFileW(search, &data));
  FindClose(search);
  return entries;
}

File::~File() { Close(); }

bool File::Open(const std::string& path, FileMode mode) {
  Close();
  DWORD access = GENERIC_WRITE;
  DWORD disposition = CREATE_ALWAYS;
  if (mode == FileMode::Read) {
    access = GENERIC_READ;
    disposition = OPEN_EXISTING;
  } else if (mode == FileMode::CreateNew) {
    disposition = CREATE_NEW;
  }
  HANDLE file = CreateFileW(ForApi(path).c_str(), access,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error_ = static_cast<int>(GetLastError());
    return false;
  }
  if (GetFileType(file) != FILE_TYPE_DISK) {
    error_ = ERROR_ACCESS_DENIED;
    CloseHandle(file);
    return false;
  }
  error_ = 0;
  handle_ = reinterpret_cast<intptr_t>(file);
  return true;
}

bool File::IsOpen() const { return handle_ != -1; }

int64_t File::Read(void* data, uint64_t size) {
  if (!IsOpen()) return -1;
  const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
  DWORD got = 0;
  if (!ReadFile(AsHandle(handle_), data, chunk, &got, nullptr)) return -1;
  return static_cast<int64_t>(got);
}

bool File::Write(const void* data, uint64_t size) {
  if (!IsOpen()) return false;
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    DWORD put = 0;
    if (!WriteFile(AsHandle(handle_), bytes, chunk, &put, nullptr) || put == 0) {
      error_ = static_cast<int>(GetLastError());
      return false;
    }
    bytes += put;
    size -= put;
  }
  return true;
}

bool File::Seek(int64_t position) {
  LARGE_INTEGER target;
  target.QuadPart = position;
  return IsOpen() && SetFilePointerEx(AsHandle(handle_), target, nullptr, FILE_BEGIN) != 0;
}

int64_t File::Size() const {
  LARGE_INTEGER size;
  if (!IsOpen() || !GetFileSizeEx(AsHandle(handle_), &size)) return -1;
  return size.QuadPart;
}

bool File::Sync() {
  if (!IsOpen()) return false;
  if (FlushFileBuffers(AsHandle(handle_))) return true;
  error_ = static_cast<int>(GetLastError());
  return false;
}

bool File::Claim() {
  OVERLAPPED at = ClaimByte();
  return IsOpen() && LockFileEx(AsHandle(handle_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY,
                                0, 1, 0, &at) != 0;
}

bool File::Close() {
  if (!IsOpen()) return false;
  HANDLE file = AsHandle(handle_);
  handle_ = -1;
  if (CloseHandle(file)) return true;
  error_ = static_cast<int>(GetLastError());
  return false;
}

std::string ErrorText(int error) { return Reason(static_cast<DWORD>(error)); }

// ERROR_DISK_QUOTA_EXCEEDED, which MinGW's headers lack.
constexpr int kDiskQuotaExceeded = 1295;

bool IsNoSpace(int error) {
  return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL || error == kDiskQuotaExceeded;
}

bool IsRefused(int error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
         error == ERROR_LOCK_VIOLATION || error == ERROR_WRITE_PROTECT;
}

bool RenameOver(const std::string& from, const std::string& to, int* error) {
  int ignored = 0;
  int& failure = error ? *error : ignored;
  const std::wstring source = ForApi(from), target = ForApi(to);
  for (int attempt = 0;; ++attempt) {
    // MoveFileExW refuses a read-only target on Windows, but not every
    // implementation of it does (Wine replaces it): refuse it here for all.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
      failure = ERROR_ACCESS_DENIED;
      return false;
    }
    if (MoveFileExW(source.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      failure = 0;
      return true;
    }
    failure = static_cast<int>(GetLastError());
    // A file open elsewhere cannot be replaced; another run replacing it
    // at this moment holds it for a few milliseconds.
    if ((failure != ERROR_ACCESS_DENIED && failure != ERROR_SHARING_VIOLATION) || attempt == 40)
      return false;
    Sleep(25);
  }
}

bool RemoveFile(const std::string& path) { return DeleteFileW(ForApi(path).c_str()) != 0; }

bool RemoveIfAbandoned(const std::string& path, int64_t minimumAge) {
  // Sharing nothing, this open fails while any Windows handle is open on
  // the file; the claim's lock tells of a native writer beside Wine.
  HANDLE file = CreateFileW(ForApi(path).c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  FILETIME written{}, now{};
  GetSystemTimeAsFileTime(&now);
  OVERLAPPED at = ClaimByte();
  bool removed = false;
  if (GetFileTime(file, nullptr, nullptr, &written) &&
      UnixSeconds(now) - UnixSeconds(written) >= minimumAge &&
      LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    UnlockFileEx(file, 0, 1, 0, &at);
    FILE_DISPOSITION_INFO dispose{TRUE};
    removed = SetFileInformationByHandle(file, FileDispositionInfo, &dispose, sizeof dispose) != 0;
  }
  CloseHandle(file);
  return removed;
}

std::optional<int64_t> ModifiedTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(ForApi(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return UnixSeconds(data.ftLastWriteTime);
}

bool CanCreateIn(const std::string& folder) {
  const std::string probe = folder + "\\modpaths-" + std::to_string(GetCurrentProcessId()) + ".probe";
  HANDLE file = CreateFileW(ForApi(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

ExclusiveLock::ExclusiveLock(const std::string& path, double seconds) {
  // Named after the path, in any case, as Windows finds files.
  Digest digest;
  for (char16_t unit : NarrowToWide(AbsolutePath(path))) {
    if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit - u'A' + u'a');
    digest.Add(unit);
  }
  const uint64_t hash = digest.value();
  wchar_t name[64];
  std::swprintf(name, 64, L"Local\\modpaths-%016llx", static_cast<unsigned long long>(hash));
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
  if (mutex == nullptr) return;
  handle_ = reinterpret_cast<intptr_t>(mutex);
  const DWORD waited = WaitForSingleObject(mutex, static_cast<DWORD>(seconds * 1000));
  // Abandoned: its holder was killed, and it is ours now.
  held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

ExclusiveLock::~ExclusiveLock() {
  if (handle_ == -1) return;
  if (held_) ReleaseMutex(AsHandle(handle_));
  CloseHandle(AsHandle(handle_));
}

bool SyncFolder(const std::string&) { return true; }

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(ForApi(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsLink(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(ForApi(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::optional<std::string> FileIdentity(const std::string& path) {
  // Backup semantics open folders too; asking for no access opens what
  // another program holds.
  HANDLE file = CreateFileW(ForApi(path).c_str(), 0,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  if (!known) return std::nullopt;
  return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) +
         ":" + std::to_string(info.nFileIndexLow);
}

std::optional<std::string> UnixPathOf(const std::string& path) {
  // Wine's kernel32 says; Windows' has no such function.
  using UnixFileName = char* (*)(const wchar_t*);
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  const auto unixFileName = kernel == nullptr ? nullptr
                                              : reinterpret_cast<UnixFileName>(reinterpret_cast<void (*)()>(
                                                    GetProcAddress(kernel, "wine_get_unix_file_name")));
  if (unixFileName == nullptr) return std::nullopt;
  char* name = unixFileName(Wide(path).c_str());
  if (name == nullptr) return std::nullopt;
  std::string named = name;
  HeapFree(GetProcessHeap(), 0, name);
  return named;
}

std::optional<std::string> CurrentFolder() {
  const DWORD size = GetCurrentDirectoryW(0, nullptr);
  if (size == 0) return std::nullopt;
  std::wstring buffer(size, L'\0');
  const DWORD length = GetCurrentDirectoryW(size, buffer.data());
  if (length == 0 || length >= size) return std::nullopt;
  buffer.resize(length);
  return ToNarrow(buffer.c_str());
}

std::string AbsolutePath(const std::string& path) {
  const std::wstring wide = Wide(path);
  const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return path;
  full.resize(length);
  return ToNarrow(full.c_str());
}

bool CanReplace(const std::string& path) {
  const std::wstring target = ForApi(path);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
  // Replacing deletes the old file: a process that holds it without
  // sharing deletion refuses exactly this open.
  HANDLE file =
      CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

std::string FindCaseless(const std::string& path) { return path; }

bool CreateFolders(const std::string& path) {
  if (path.empty() || IsFolder(path)) return !path.empty();
  const size_t slash = path.find_last_of("\\/");
  if (slash != std::string::npos && slash > 2) CreateFolders(path.substr(0, slash));
  return CreateDirectoryW(ForApi(path).c_str(), nullptr) != 0 || IsFolder(path);
}

bool RemoveEmptyFolder(const std::string& path) { return RemoveDirectoryW(ForApi(path).c_str()) != 0; }

bool MakeExecutable(const std::string&) { return true; }

}  // namespace platform
