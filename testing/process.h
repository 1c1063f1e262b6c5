#pragma once

// Starting programs from the tests, through the platform's own process
// calls.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/process.h"

namespace testing_support {

using platform::CurrentEnvironment;
using platform::Environment;
using platform::FindOnPath;
using platform::KillProgram;
using platform::Process;
using platform::WaitProgram;
using RunOptions = platform::ProcessOptions;
using RunResult = platform::ProcessResult;

// Starts a program with exactly the environment `env`, and nothing on its
// standard input: no test types anything.
Process StartProgram(const std::vector<std::string>& argv, const Environment& env,
                     RunOptions options = {});

// Runs a program to its end: its exit status (-1 when it could not be
// started or did not exit by itself), or all that is known of the run.
int RunProgram(const std::vector<std::string>& argv, const Environment& env);
RunResult RunMeasured(const std::vector<std::string>& argv, const Environment& env,
                      const RunOptions& options = {});

// Runs `body` in a forked child whose files may grow to `fileSizeLimit`
// bytes at most (a write beyond fails, as on a full disk) and returns the
// child's exit status. Empty where processes cannot be forked (Windows).
std::optional<int> RunInChildWithFileSizeLimit(uint64_t fileSizeLimit,
                                               const std::function<int()>& body);

}  // namespace testing_support
