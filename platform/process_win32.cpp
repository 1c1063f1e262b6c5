// This process and the programs it starts, on Windows.

#include "platform/win32_api.h"

#include <tlhelp32.h>

#include <shellapi.h>

#include <chrono>
#include <cwchar>
#include <string>

#include "platform/command_line.h"
#include "platform/process.h"

namespace platform {
namespace {

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

std::vector<ProcessEntry> ProcessTable() {
  std::vector<ProcessEntry> table;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return table;
  DWORD ownSession = 0;
  const bool knowSession = ProcessIdToSessionId(GetCurrentProcessId(), &ownSession) != 0;
  PROCESSENTRY32W found{};
  found.dwSize = sizeof found;
  for (BOOL more = Process32FirstW(snapshot, &found); more; more = Process32NextW(snapshot, &found)) {
    ProcessEntry entry;
    entry.pid = found.th32ProcessID;
    DWORD session = 0;
    entry.ours = !knowSession ||
                 (ProcessIdToSessionId(found.th32ProcessID, &session) != 0 && session == ownSession);
    entry.executable = ToNarrow(found.szExeFile);
    if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, found.th32ProcessID)) {
      std::wstring path(32768, L'\0');
      DWORD size = static_cast<DWORD>(path.size());
      if (QueryFullProcessImageNameW(process, 0, path.data(), &size) != 0 && size > 0) {
        path.resize(size);
        entry.executable = ToNarrow(path.c_str());
      }
      CloseHandle(process);
    }
    table.push_back(std::move(entry));
  }
  CloseHandle(snapshot);
  return table;
}

std::string ReplaceProcess(const std::vector<std::string>&) {
  return "a Windows process cannot be replaced by another";
}

}  // namespace platform
