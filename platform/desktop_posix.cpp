// Linux has no clipboard or message box of ours: standard error stands in.

#include <cstdio>

#include "platform/desktop.h"

namespace platform {

bool CopyToClipboard(const std::string&) { return false; }

void ShowMessage(const std::string& title, const std::string& text, bool) {
  std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
}

}  // namespace platform
