#include "testing/process.h"

namespace testing_support {

Process StartProgram(const std::vector<std::string>& argv, const Environment& env,
                     RunOptions options) {
  options.environment = env;
  // Under ./dev coverage each program the tests start writes its profile
  // where the test's own goes, whatever environment the test gives it.
  if (const auto profile = platform::EnvironmentVariable("LLVM_PROFILE_FILE"))
    options.environment->emplace("LLVM_PROFILE_FILE", *profile);
  options.noInput = true;
  return platform::StartProgram(argv, options);
}

RunResult RunMeasured(const std::vector<std::string>& argv, const Environment& env,
                      const RunOptions& options) {
  return WaitProgram(StartProgram(argv, env, options));
}

int RunProgram(const std::vector<std::string>& argv, const Environment& env) {
  return RunMeasured(argv, env).exitStatus;
}

}  // namespace testing_support
