#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <chrono>
#include <map>

#include "platform/path_style.h"
#include "platform/unicode.h"
#include "testing/process.h"

namespace testing_support {
namespace {

std::wstring Wide(const std::string& text) {
  const std::u16string wide = platform::NarrowToWide(text);
  return std::wstring(wide.begin(), wide.end());
}

std::string Narrow(const wchar_t* text) {
  return platform::WideToNarrow(reinterpret_cast<const char16_t*>(text));
}

// Quotes one argument so that CommandLineToArgvW and the C runtime give it
// back unchanged: backslashes count only before a quote.
void AppendQuoted(std::wstring& line, const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) {
    line += argument;
    return;
  }
  line += L'"';
  size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, L'\\');
  line += L'"';
}

HANDLE InheritableFile(const std::string& path) {
  if (path.empty()) return INVALID_HANDLE_VALUE;
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::map<Process, std::chrono::steady_clock::time_point>& StartTimes() {
  static std::map<Process, std::chrono::steady_clock::time_point> times;
  return times;
}

}  // namespace

Process StartProgram(const std::vector<std::string>& argv, const Environment& env,
                     const RunOptions& options) {
  const std::string program =
      argv[0].find_first_of("\\/") == std::string::npos ? FindOnPath(argv[0]) : argv[0];
  if (program.empty()) return -1;
  std::wstring line;
  for (const std::string& arg : argv) {
    if (!line.empty()) line += L' ';
    AppendQuoted(line, Wide(arg));
  }
  std::wstring block;
  for (const auto& [name, value] : env) block += Wide(name + "=" + value) + L'\0';
  block += L'\0';

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  HANDLE output = InheritableFile(options.outputFile);
  HANDLE error = InheritableFile(options.errorFile);
  if (output != INVALID_HANDLE_VALUE || error != INVALID_HANDLE_VALUE) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output != INVALID_HANDLE_VALUE ? output : GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = error != INVALID_HANDLE_VALUE ? error : GetStdHandle(STD_ERROR_HANDLE);
  }
  PROCESS_INFORMATION process{};
  // A program deeper than MAX_PATH needs the prefix as much as a file does.
  const std::u16string application = platform::ExtendedLengthPath(platform::NarrowToWide(program));
  const BOOL started = CreateProcessW(
      reinterpret_cast<const wchar_t*>(application.c_str()), line.data(), nullptr, nullptr, TRUE,
      CREATE_UNICODE_ENVIRONMENT, block.data(), nullptr, &startup, &process);
  if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
  if (error != INVALID_HANDLE_VALUE) CloseHandle(error);
  if (!started) return -1;
  CloseHandle(process.hThread);
  const auto handle = static_cast<Process>(reinterpret_cast<intptr_t>(process.hProcess));
  StartTimes()[handle] = std::chrono::steady_clock::now();
  return handle;
}

RunResult WaitProgram(Process process) {
  RunResult result;
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
  wchar_t found[32768];
  const DWORD length = SearchPathW(nullptr, Wide(program).c_str(), L".exe", 32768, found, nullptr);
  if (length == 0 || length >= 32768) return {};
  return Narrow(found);
}

std::optional<int> RunInChildWithFileSizeLimit(uint64_t, const std::function<int()>&) {
  return std::nullopt;
}

Environment CurrentEnvironment() {
  Environment env;
  wchar_t* block = GetEnvironmentStringsW();
  if (block == nullptr) return env;
  for (const wchar_t* entry = block; *entry != L'\0'; entry += wcslen(entry) + 1) {
    const std::string pair = Narrow(entry);
    // Entries such as "=C:=C:\\" name the current folder of a drive.
    const size_t equals = pair.find('=', 1);
    if (equals != std::string::npos) env[pair.substr(0, equals)] = pair.substr(equals + 1);
  }
  FreeEnvironmentStringsW(block);
  return env;
}

}  // namespace testing_support
