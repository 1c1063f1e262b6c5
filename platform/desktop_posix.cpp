// Linux has no clipboard or message box of ours: standard error stands in,
// and the desktop's dialog program where there is no terminal.

#include <cstdio>

#include "platform/desktop.h"
#include "platform/process.h"

namespace platform {
namespace {

// The exit status of the first dialog program found: kdialog (KDE, the
// Steam Deck's desktop), then zenity; nothing with neither.
std::optional<int> Dialog(const std::vector<std::string>& kdialog,
                          const std::vector<std::string>& zenity) {
  for (const auto* argv : {&kdialog, &zenity}) {
    const std::string program = FindOnPath(argv->front());
    if (program.empty()) continue;
    std::vector<std::string> command = *argv;
    command.front() = program;
    ProcessOptions options;
    options.noInput = true;
    const Process process = StartProgram(command, options);
    if (process <= 0) continue;
    return WaitProgram(process).exitStatus;
  }
  return std::nullopt;
}

}  // namespace

bool CopyToClipboard(const std::string&) { return false; }

void ShowMessage(const std::string& title, const std::string& text, bool) {
  std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
}

std::optional<bool> AskYesNo(const std::string& title, const std::string& text) {
  const std::optional<int> status =
      Dialog({"kdialog", "--title", title, "--yesno", text},
             {"zenity", "--question", "--title=" + title, "--no-markup", "--text=" + text});
  if (!status || (*status != 0 && *status != 1)) return std::nullopt;
  return *status == 0;
}

bool ShowDialog(const std::string& title, const std::string& text, bool warning) {
  const std::optional<int> status =
      Dialog({"kdialog", "--title", title, warning ? "--sorry" : "--msgbox", text},
             {"zenity", warning ? "--warning" : "--info", "--title=" + title, "--no-markup",
              "--text=" + text});
  return status && *status == 0;
}

bool OpenWithDesktop(const std::string& path) {
  const std::string program = FindOnPath("xdg-open");
  if (program.empty()) return false;
  ProcessOptions options;
  options.noInput = true;
  const Process process = StartProgram({program, path}, options);
  return process > 0 && WaitProgram(process).exitStatus == 0;
}

}  // namespace platform
