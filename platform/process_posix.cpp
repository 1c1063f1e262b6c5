// This process and the programs it starts, on Linux.

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/process.h"

extern char** environ;

namespace platform {
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

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& text : strings) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

uint32_t ProcessId() { return static_cast<uint32_t>(getpid()); }

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
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

std::optional<std::string> EnvironmentVariable(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

Process StartProgram(const std::vector<std::string>& argv, const ProcessOptions& options,
                     std::string* why) {
  auto fail = [&](int error) {
    if (why) *why = std::strerror(error);
    return Process{-1};
  };
  if (argv.empty()) return fail(EINVAL);
  const std::string program =
      argv[0].find('/') == std::string::npos ? FindOnPath(argv[0]) : argv[0];
  if (program.empty()) return fail(ENOENT);
  std::vector<std::string> args = argv;
  std::vector<char*> argp = Pointers(args);
  std::vector<std::string> pairs;
  if (options.environment) {
    for (const auto& [name, value] : *options.environment) pairs.push_back(name + "=" + value);
  }
  std::vector<char*> envp = Pointers(pairs);
  // The child reports a failed exec through this pipe, which a successful
  // one closes.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return fail(errno);

  const pid_t pid = fork();
  if (pid == 0) {
    close(report[0]);
    if (options.fileSizeLimit > 0) {
      const rlimit limit{options.fileSizeLimit, options.fileSizeLimit};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (options.noInput) {
      const int nothing = open("/dev/null", O_RDONLY);
      if (nothing >= 0) {
        dup2(nothing, STDIN_FILENO);
        close(nothing);
      }
    }
    RedirectTo(options.outputFile, STDOUT_FILENO);
    RedirectTo(options.errorFile, STDERR_FILENO);
    execve(program.c_str(), argp.data(), options.environment ? envp.data() : environ);
    const int error = errno;
    ssize_t ignored = write(report[1], &error, sizeof error);
    (void)ignored;
    _exit(127);
  }
  close(report[1]);
  if (pid < 0) {
    const int error = errno;
    close(report[0]);
    return fail(error);
  }
  int error = 0;
  ssize_t got;
  do {
    got = read(report[0], &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  close(report[0]);
  if (got == static_cast<ssize_t>(sizeof error)) {
    waitpid(pid, nullptr, 0);
    return fail(error);
  }
  StartTimes()[pid] = std::chrono::steady_clock::now();
  return pid;
}

Process StartCommandLine(const std::string&, std::string* why) {
  if (why) *why = "a POSIX program takes its arguments one by one, not as a command line";
  return -1;
}

ProcessResult WaitProgram(Process process) {
  ProcessResult result;
  if (process <= 0) return result;
  const auto pid = static_cast<pid_t>(process);
  int status = 0;
  rusage usage{};
  pid_t waited;
  do {
    waited = wait4(pid, &status, 0, &usage);
  } while (waited < 0 && errno == EINTR);
  if (waited != pid) return result;
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

std::string OwnCommandLine() { return {}; }

std::vector<ProcessEntry> ProcessTable() {
  std::vector<ProcessEntry> table;
  DIR* processes = opendir("/proc");
  if (processes == nullptr) return table;
  while (const dirent* process = readdir(processes)) {
    const std::string_view name = process->d_name;
    if (name.empty() || name.find_first_not_of("0123456789") != std::string_view::npos || name.size() > 9)
      continue;
    ProcessEntry entry;
    entry.pid = static_cast<uint32_t>(std::stoul(std::string(name)));
    const std::string folder = "/proc/" + std::string(name);
    struct stat owner {};
    if (stat(folder.c_str(), &owner) != 0) continue;
    entry.ours = owner.st_uid == getuid();
    // The state follows the name, which may hold anything but ends at the
    // last ')'.
    if (FILE* stat = std::fopen((folder + "/stat").c_str(), "r")) {
      char text[512] = {};
      const size_t got = std::fread(text, 1, sizeof text - 1, stat);
      std::fclose(stat);
      const std::string_view line(text, got);
      const size_t close = line.rfind(')');
      if (close != std::string_view::npos && close + 2 < line.size()) entry.zombie = line[close + 2] == 'Z';
    }
    char buffer[4096];
    const ssize_t length = readlink((folder + "/exe").c_str(), buffer, sizeof buffer - 1);
    if (length > 0) {
      entry.executable.assign(buffer, static_cast<size_t>(length));
      // A file replaced while it runs, as Steam updates itself.
      constexpr std::string_view kDeleted = " (deleted)";
      if (entry.executable.size() > kDeleted.size() &&
          entry.executable.compare(entry.executable.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0)
        entry.executable.resize(entry.executable.size() - kDeleted.size());
    }
    if (FILE* command = std::fopen((folder + "/cmdline").c_str(), "r")) {
      char text[4096];
      const size_t got = std::fread(text, 1, sizeof text, command);
      std::fclose(command);
      for (size_t start = 0; start < got && entry.arguments.size() < 8;) {
        const size_t end = std::string_view(text, got).find('\0', start);
        entry.arguments.emplace_back(text + start, (end == std::string_view::npos ? got : end) - start);
        start = end == std::string_view::npos ? got : end + 1;
      }
    }
    table.push_back(std::move(entry));
  }
  closedir(processes);
  return table;
}

std::string ReplaceProcess(const std::vector<std::string>& argv) {
  if (argv.empty()) return std::strerror(EINVAL);
  std::vector<std::string> args = argv;
  std::vector<char*> argp = Pointers(args);
  execvp(argp[0], argp.data());
  return std::strerror(errno);
}

}  // namespace platform
