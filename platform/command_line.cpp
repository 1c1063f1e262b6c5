#include "platform/command_line.h"

namespace platform {

std::string_view CommandTail(std::string_view commandLine) {
  size_t at = 0;
  if (!commandLine.empty() && commandLine[0] == '"') {
    at = commandLine.find('"', 1);
    at = at == std::string_view::npos ? commandLine.size() : at + 1;
  } else {
    at = commandLine.find_first_of(" \t");
    if (at == std::string_view::npos) at = commandLine.size();
  }
  while (at < commandLine.size() && (commandLine[at] == ' ' || commandLine[at] == '\t')) ++at;
  return commandLine.substr(at);
}

void AppendQuoted(std::string& commandLine, std::string_view argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string_view::npos) {
    commandLine += argument;
    return;
  }
  commandLine += '"';
  size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    commandLine.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    commandLine += c;
  }
  commandLine.append(backslashes * 2, '\\');
  commandLine += '"';
}

}  // namespace platform
