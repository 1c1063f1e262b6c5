#pragma once

// This process and the programs it starts: process_win32.cpp,
// process_posix.cpp.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform {

uint32_t ProcessId();

// For console tools: the command line as UTF-8 strings (on Windows, taken
// from the wide command line rather than the ANSI argv).
std::vector<std::string> CommandLineArguments(int argc, char** argv);

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

// Whether a process of this id runs.
bool ProcessAlive(uint32_t processId);

// Whether a program of this user runs whose executable's file name is
// `name` (in any case on Windows), or, on POSIX, whose executable's path
// ends in `pathEnd` ("ubuntu12_32/steam").
bool ProgramRunning(const std::string& name, const std::string& pathEnd = {});

}  // namespace platform
