#pragma once

#include <map>
#include <string>
#include <vector>

namespace testing_support {

// Runs a program (looked up on PATH when it has no "/") with exactly the
// given environment, waits for it and returns its exit status, or -1 when it
// could not be started or did not exit normally.
int RunProgram(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env);

// The full path of a program on PATH, or empty.
std::string FindOnPath(const std::string& program);

}  // namespace testing_support
