#include "testing/process.h"

// What is the same on both systems; the rest is in process_posix.cpp and
// process_win32.cpp.

namespace testing_support {

RunResult RunMeasured(const std::vector<std::string>& argv, const Environment& env,
                      const RunOptions& options) {
  return WaitProgram(StartProgram(argv, env, options));
}

int RunProgram(const std::vector<std::string>& argv, const Environment& env) {
  return RunMeasured(argv, env).exitStatus;
}

}  // namespace testing_support
