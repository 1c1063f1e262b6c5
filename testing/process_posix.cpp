#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "testing/process.h"

extern char** environ;

namespace testing_support {
namespace {

std::map<pid_t, std::chrono::steady_clock::time_point>& StartTimes() {
  static std::map<pid_t, std::chrono::steady_clock::time_point> times;
  return times;
}

// In the child, between fork and exec: only async-signal-safe calls.
void RedirectTo(const std::string& file, int fd) {
  if (file.empty()) return;
  const int out = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (out < 0) _exit(127);
  dup2(out, fd);
  close(out);
}

}  // namespace

Process StartProgram(const std::vector<std::string>& argv, const Environment& env,
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
    // No test types anything: a program that waits for input gets its end.
    const int nothing = open("/dev/null", O_RDONLY);
    if (nothing >= 0) {
      dup2(nothing, STDIN_FILENO);
      close(nothing);
    }
    RedirectTo(options.outputFile, STDOUT_FILENO);
    RedirectTo(options.errorFile, STDERR_FILENO);
    execve(program.c_str(), args.data(), envp.data());
    _exit(127);
  }
  if (pid > 0) StartTimes()[pid] = std::chrono::steady_clock::now();
  return pid;
}

RunResult WaitProgram(Process process) {
  RunResult result;
  if (process <= 0) return result;
  const auto pid = static_cast<pid_t>(process);
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

void KillProgram(Process process) {
  if (process > 0) kill(static_cast<pid_t>(process), SIGKILL);
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

std::optional<int> RunInChildWithFileSizeLimit(uint64_t fileSizeLimit,
                                               const std::function<int()>& body) {
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    // A write past the limit then fails instead of killing the child.
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{fileSizeLimit, fileSizeLimit};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(body());
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

Environment CurrentEnvironment() {
  Environment env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string pair = *entry;
    const size_t equals = pair.find('=');
    if (equals != std::string::npos) env[pair.substr(0, equals)] = pair.substr(equals + 1);
  }
  return env;
}

}  // namespace testing_support
