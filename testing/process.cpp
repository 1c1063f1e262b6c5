#include "testing/process.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace testing_support {
namespace {

std::map<pid_t, std::chrono::steady_clock::time_point>& StartTimes() {
  static std::map<pid_t, std::chrono::steady_clock::time_point> times;
  return times;
}

}  // namespace

pid_t StartProgram(const std::vector<std::string>& argv, const Environment& env,
                   const RunOptions& options) {
  const std::string program =
      argv[0].find('/') == std::string::npos ? FindOnPath(argv[0]) : argv[0];
  if (program.empty()) return -1;
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::vector<std::string> pairs;
  for (const auto& [name, value] : env) pairs.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& pair : pairs) envp.push_back(pair.data());
  envp.push_back(nullptr);

  const pid_t pid = fork();
  if (pid == 0) {
    if (options.fileSizeLimit > 0) {
      const rlimit limit{options.fileSizeLimit, options.fileSizeLimit};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    execve(program.c_str(), args.data(), envp.data());
    _exit(127);
  }
  if (pid > 0) StartTimes()[pid] = std::chrono::steady_clock::now();
  return pid;
}

RunResult WaitProgram(pid_t pid) {
  RunResult result;
  if (pid <= 0) return result;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return result;
  result.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - StartTimes()[pid]).count();
  StartTimes().erase(pid);
  result.peakKilobytes = usage.ru_maxrss;
  if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

RunResult RunMeasured(const std::vector<std::string>& argv, const Environment& env,
                      const RunOptions& options) {
  return WaitProgram(StartProgram(argv, env, options));
}

int RunProgram(const std::vector<std::string>& argv, const Environment& env) {
  return RunMeasured(argv, env).exitStatus;
}

std::string FindOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string rest = path ? path : "/usr/local/bin:/usr/bin:/bin";
  while (!rest.empty()) {
    const size_t colon = rest.find(':');
    const std::string folder = rest.substr(0, colon);
    rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
    const std::string candidate = folder + "/" + program;
    struct stat info {};
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
  }
  return {};
}

}  // namespace testing_support
