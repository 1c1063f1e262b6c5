#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace testing_support {

using Environment = std::map<std::string, std::string>;

struct RunOptions {
  uint64_t fileSizeLimit = 0;  // RLIMIT_FSIZE in bytes; 0 leaves it alone
};

struct RunResult {
  int exitStatus = -1;  // -1 when the program did not exit by itself
  int signal = 0;       // the signal that ended it, if one did
  long peakKilobytes = 0;
  double seconds = 0;
};

// Starts a program (looked up on PATH when it has no "/") with exactly the
// given environment; -1 when it cannot be started.
pid_t StartProgram(const std::vector<std::string>& argv, const Environment& env,
                   const RunOptions& options = {});
RunResult WaitProgram(pid_t pid);

// Runs a program to its end and returns its exit status, or -1.
int RunProgram(const std::vector<std::string>& argv, const Environment& env);
RunResult RunMeasured(const std::vector<std::string>& argv, const Environment& env,
                      const RunOptions& options = {});

// The full path of a program on PATH, or empty.
std::string FindOnPath(const std::string& program);

}  // namespace testing_support
