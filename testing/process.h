#pragma once

// Starting programs from the tests: fork and execve on POSIX (process.cpp),
// CreateProcessW on Windows (process_win32.cpp).

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

using Environment = std::map<std::string, std::string>;

// A started program: a pid on POSIX, a process handle on Windows; 0 or less
// when it could not be started.
using Process = int64_t;

struct RunOptions {
  uint64_t fileSizeLimit = 0;  // RLIMIT_FSIZE in bytes (POSIX only); 0 leaves it alone
  std::string outputFile;      // receives the standard output when set
  std::string errorFile;       // receives the standard error when set
};

struct RunResult {
  int exitStatus = -1;  // -1 when the program did not exit by itself
  int signal = 0;       // the signal that ended it, if one did (POSIX)
  long peakKilobytes = 0;
  double seconds = 0;
};

// Starts a program (looked up on PATH when it has no separator) with exactly
// the given environment.
Process StartProgram(const std::vector<std::string>& argv, const Environment& env,
                     const RunOptions& options = {});
RunResult WaitProgram(Process process);
// Ends the program at once (SIGKILL, TerminateProcess); WaitProgram still
// has to collect it.
void KillProgram(Process process);

// Runs a program to its end and returns its exit status, or -1.
int RunProgram(const std::vector<std::string>& argv, const Environment& env);
RunResult RunMeasured(const std::vector<std::string>& argv, const Environment& env,
                      const RunOptions& options = {});

// The full path of a program on PATH, or empty.
std::string FindOnPath(const std::string& program);

// Runs `body` in a forked child whose files may grow to `fileSizeLimit`
// bytes at most (a write beyond fails, as on a full disk) and returns the
// child's exit status. Empty where processes cannot be forked (Windows).
std::optional<int> RunInChildWithFileSizeLimit(uint64_t fileSizeLimit,
                                               const std::function<int()>& body);

// The current process's environment, by name.
Environment CurrentEnvironment();

}  // namespace testing_support
