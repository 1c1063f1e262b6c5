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

// The processes running now, as far as this process may see them: what
// tells whether a program runs (its executable, not a pid in a file).
struct ProcessEntry {
  uint32_t pid = 0;
  // Of this user (POSIX), in this session (Windows): programs of another
  // user's desktop are none of ours.
  bool ours = false;
  bool zombie = false;     // it has exited, and waits to be collected (POSIX)
  std::string executable;  // its file's path, or on Windows its name when the path is not told
  // Its command line's first words (POSIX): what a script's interpreter
  // runs, as python3 runs lutris.
  std::vector<std::string> arguments;
};
std::vector<ProcessEntry> ProcessTable();

}  // namespace platform
