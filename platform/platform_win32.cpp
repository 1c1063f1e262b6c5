// The Windows side of the platform layer. Every path goes to the wide API as
// UTF-16, so names outside the ANSI code page work, and nothing is cut at
// MAX_PATH: long paths get the "\\?\" prefix (ExtendedLengthPath).

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <knownfolders.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include "platform/command_line.h"
#include "platform/platform.h"
#include "platform/unicode.h"

namespace platform {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");

std::wstring ToWide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

std::string ToNarrow(const wchar_t* text) {
  return WideToNarrow(reinterpret_cast<const char16_t*>(text));
}

std::wstring ForApi(const std::string& path) {
  return ToWide(ExtendedLengthPath(NarrowToWide(path)));
}

bool IsDotOrDotDot(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

HANDLE AsHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

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

std::wstring Wide(const std::string& text) { return ToWide(NarrowToWide(text)); }

// The system's own words for an error code.
std::string Reason(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string reason = length > 0 ? ToNarrow(text) : "error " + std::to_string(error);
  LocalFree(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' '))
    reason.pop_back();
  return reason;
}

HANDLE InheritableFile(const std::string& path) {
  if (path.empty()) return INVALID_HANDLE_VALUE;
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return CreateFileW(ForApi(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::map<Process, std::chrono::steady_clock::time_point>& StartTimes() {
  static std::map<Process, std::chrono::steady_clock::time_point> times;
  return times;
}

// CreateProcessW with this process's folder; `application` may be empty,
// then the program is the command line's first token.
Process Start(const std::wstring& application, std::wstring line, const ProcessOptions& options,
              std::string* why) {
  std::wstring block;
  if (options.environment) {
    for (const auto& [name, value] : *options.environment) block += Wide(name + "=" + value) + L'\0';
    block += L'\0';
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  HANDLE output = InheritableFile(options.outputFile);
  HANDLE error = InheritableFile(options.errorFile);
  if (output != INVALID_HANDLE_VALUE || error != INVALID_HANDLE_VALUE || options.noInput) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = options.noInput ? nullptr : GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output != INVALID_HANDLE_VALUE ? output : GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = error != INVALID_HANDLE_VALUE ? error : GetStdHandle(STD_ERROR_HANDLE);
  }
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(
      application.empty() ? nullptr : application.c_str(), line.data(), nullptr, nullptr, TRUE,
      CREATE_UNICODE_ENVIRONMENT, options.environment ? block.data() : nullptr, nullptr, &startup,
      &process);
  const DWORD failure = started ? 0 : GetLastError();
  if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
  if (error != INVALID_HANDLE_VALUE) CloseHandle(error);
  if (!started) {
    if (why) *why = Reason(failure);
    return -1;
  }
  CloseHandle(process.hThread);
  const auto handle = static_cast<Process>(reinterpret_cast<intptr_t>(process.hProcess));
  StartTimes()[handle] = std::chrono::steady_clock::now();
  return handle;
}

}  // namespace

const PathStyle kNativePaths = kWindowsPaths;
const std::string_view kExecutableSuffix = ".exe";

std::optional<std::string> SavedGamesFolder() {
  PWSTR path = nullptr;
  const HRESULT result = SHGetKnownFolderPath(FOLDERID_SavedGames, 0, nullptr, &path);
  std::string folder;
  if (SUCCEEDED(result) && path != nullptr) folder = ToNarrow(path);
  CoTaskMemFree(path);
  if (folder.empty()) return std::nullopt;
  return folder;
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
  uint64_t hash = 14695981039346656037u;
  for (char16_t unit : NarrowToWide(AbsolutePath(path))) {
    if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit - u'A' + u'a');
    hash = (hash ^ unit) * 1099511628211u;
  }
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

uint32_t ProcessId() { return static_cast<uint32_t>(GetCurrentProcessId()); }

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(ToNarrow(wide[i]));
  LocalFree(wide);
  return arguments;
}

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

void WriteText(std::string_view text, bool toError) {
  HANDLE handle = GetStdHandle(toError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
    const std::u16string wide = NarrowToWide(text);
    static const bool wineTerminal = IsWineTerminal(DescribeConsole());
    if (wineTerminal) {
      // A line as wide as the console would be cut in two where the
      // terminal only wraps it: the console is made wide enough first.
      size_t longest = 0;
      for (size_t start = 0; start < wide.size();) {
        size_t end = wide.find(u'\n', start);
        if (end == std::u16string::npos) end = wide.size();
        longest = std::max(longest, end - start);
        start = end + 1;
      }
      CONSOLE_SCREEN_BUFFER_INFO info;
      if (GetConsoleScreenBufferInfo(handle, &info) && longest >= static_cast<size_t>(info.dwSize.X) &&
          longest < 32000) {
        COORD size = info.dwSize;
        size.X = static_cast<SHORT>(longest + 1);
        SetConsoleScreenBufferSize(handle, size);
      }
    }
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  std::fwrite(text.data(), 1, text.size(), toError ? stderr : stdout);
  std::fflush(toError ? stderr : stdout);
}

std::string FindCaseless(const std::string& path) { return path; }

Environment CurrentEnvironment() {
  Environment env;
  wchar_t* block = GetEnvironmentStringsW();
  if (block == nullptr) return env;
  for (const wchar_t* entry = block; *entry != L'\0'; entry += std::wcslen(entry) + 1) {
    const std::string pair = ToNarrow(entry);
    // Entries such as "=C:=C:\\" name the current folder of a drive.
    const size_t equals = pair.find('=', 1);
    if (equals != std::string::npos) env[pair.substr(0, equals)] = pair.substr(equals + 1);
  }
  FreeEnvironmentStringsW(block);
  return env;
}

std::optional<std::string> EnvironmentVariable(const std::string& name) {
  const std::wstring wide = Wide(name);
  const DWORD size = GetEnvironmentVariableW(wide.c_str(), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring value(size, L'\0');
  const DWORD length = GetEnvironmentVariableW(wide.c_str(), value.data(), size);
  value.resize(length);
  return ToNarrow(value.c_str());
}

Process StartProgram(const std::vector<std::string>& argv, const ProcessOptions& options,
                     std::string* why) {
  if (argv.empty()) return -1;
  const std::string program =
      argv[0].find_first_of("\\/") == std::string::npos ? FindOnPath(argv[0]) : argv[0];
  if (program.empty()) {
    if (why) *why = Reason(ERROR_FILE_NOT_FOUND);
    return -1;
  }
  std::string line;
  for (const std::string& arg : argv) {
    if (!line.empty()) line += ' ';
    AppendQuoted(line, arg);
  }
  // A program deeper than MAX_PATH needs the prefix as much as a file does.
  return Start(ForApi(program), Wide(line), options, why);
}

Process StartCommandLine(const std::string& commandLine, std::string* why) {
  return Start({}, Wide(commandLine), {}, why);
}

ProcessResult WaitProgram(Process process) {
  ProcessResult result;
  if (process <= 0) return result;
  HANDLE handle = reinterpret_cast<HANDLE>(static_cast<intptr_t>(process));
  WaitForSingleObject(handle, INFINITE);
  result.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - StartTimes()[process])
          .count();
  StartTimes().erase(process);
  DWORD code = 0;
  if (GetExitCodeProcess(handle, &code)) result.exitStatus = static_cast<int>(code);
  CloseHandle(handle);
  return result;
}

void KillProgram(Process process) {
  if (process > 0) TerminateProcess(reinterpret_cast<HANDLE>(static_cast<intptr_t>(process)), 137);
}

std::string FindOnPath(const std::string& program) {
  std::wstring found(32768, L'\0');
  const DWORD length = SearchPathW(nullptr, Wide(program).c_str(), L".exe",
                                   static_cast<DWORD>(found.size()), found.data(), nullptr);
  if (length == 0 || length >= found.size()) return {};
  found.resize(length);
  return ToNarrow(found.c_str());
}

std::string OwnCommandLine() { return ToNarrow(GetCommandLineW()); }

std::string ReplaceProcess(const std::vector<std::string>&) {
  return "a Windows process cannot be replaced by another";
}

bool CopyToClipboard(const std::string& text) {
  const std::wstring wide = Wide(text);
  const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory == nullptr) return false;
  void* target = GlobalLock(memory);
  if (target == nullptr) {
    GlobalFree(memory);
    return false;
  }
  std::memcpy(target, wide.c_str(), bytes);
  GlobalUnlock(memory);
  if (!OpenClipboard(nullptr)) {
    GlobalFree(memory);
    return false;
  }
  EmptyClipboard();
  // The clipboard owns the memory once it has taken it.
  const bool taken = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  CloseClipboard();
  if (!taken) GlobalFree(memory);
  return taken;
}

std::string LocalTimeIso8601() {
  SYSTEMTIME utc, local;
  GetSystemTime(&utc);
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return {};
  FILETIME utcTime, localTime;
  SystemTimeToFileTime(&utc, &utcTime);
  SystemTimeToFileTime(&local, &localTime);
  auto ticks = [](const FILETIME& time) {
    return static_cast<int64_t>((uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime);
  };
  // 100-nanosecond ticks, to whole minutes.
  const int64_t offset = (ticks(localTime) - ticks(utcTime)) / 600000000;
  const int64_t magnitude = offset < 0 ? -offset : offset;
  char text[40];
  std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u%c%02lld:%02lld", local.wYear,
                local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond,
                offset < 0 ? '-' : '+', static_cast<long long>(magnitude / 60),
                static_cast<long long>(magnitude % 60));
  return text;
}

void ShowMessage(const std::string& title, const std::string& text, bool warning) {
  MessageBoxW(nullptr, Wide(text).c_str(), Wide(title).c_str(),
              MB_OK | MB_SETFOREGROUND | (warning ? MB_ICONWARNING : MB_ICONINFORMATION));
}

bool IsConsole(bool error) {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE), &mode) != 0;
}

ConsoleFacts DescribeConsole() {
  ConsoleFacts console;
  DWORD processes[2];
  DWORD mode = 0;
  console.processes = GetConsoleProcessList(processes, 2);
  console.inputIsConsole = GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
  const HWND window = GetConsoleWindow();
  console.windowVisible = window != nullptr && IsWindowVisible(window);
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  console.wine = ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
  return console;
}

}  // namespace platform
