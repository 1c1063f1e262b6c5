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

#include <cstdio>
#include <string>

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
  if (file == INVALID_HANDLE_VALUE) return false;
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return false;
  }
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
    if (!WriteFile(AsHandle(handle_), bytes, chunk, &put, nullptr) || put == 0) return false;
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

bool File::Sync() { return IsOpen() && FlushFileBuffers(AsHandle(handle_)) != 0; }

bool File::Close() {
  if (!IsOpen()) return false;
  HANDLE file = AsHandle(handle_);
  handle_ = -1;
  return CloseHandle(file) != 0;
}

bool RenameOver(const std::string& from, const std::string& to) {
  // MoveFileExW refuses a read-only target on Windows, but not every
  // implementation of it does (Wine replaces it): refuse it here for all.
  const std::wstring target = ForApi(to);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  return MoveFileExW(ForApi(from).c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const std::string& path) { return DeleteFileW(ForApi(path).c_str()) != 0; }

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

std::optional<std::string> CurrentFolder() {
  const DWORD size = GetCurrentDirectoryW(0, nullptr);
  if (size == 0) return std::nullopt;
  std::wstring buffer(size, L'\0');
  const DWORD length = GetCurrentDirectoryW(size, buffer.data());
  if (length == 0 || length >= size) return std::nullopt;
  buffer.resize(length);
  return ToNarrow(buffer.c_str());
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
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  std::fwrite(text.data(), 1, text.size(), toError ? stderr : stdout);
  std::fflush(toError ? stderr : stdout);
}

bool IsConsole(bool error) {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE), &mode) != 0;
}

bool OwnsConsoleWindow() {
  DWORD processes[2];
  DWORD mode = 0;
  return GetConsoleProcessList(processes, 2) == 1 &&
         GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode);
}

}  // namespace platform
