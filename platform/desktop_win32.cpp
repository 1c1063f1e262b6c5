// The clipboard and message boxes on Windows.

#include "platform/win32_api.h"


#include <shellapi.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/desktop.h"

namespace platform {

bool CopyToClipboard(const std::string& text) {
  const std::wstring wide = Wide(text);
  const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory == nullptr) return false;
  void* target = GlobalLock(memory);
  if (target == nullptr) {
    GlobalFree(memory);
    return false;
  }
  std::memcpy(target, wide.c_str(), bytes);
  GlobalUnlock(memory);
  if (!OpenClipboard(nullptr)) {
    GlobalFree(memory);
    return false;
  }
  EmptyClipboard();
  // The clipboard owns the memory once it has taken it.
  const bool taken = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  CloseClipboard();
  if (!taken) GlobalFree(memory);
  return taken;
}

void ShowMessage(const std::string& title, const std::string& text, bool warning) {
  MessageBoxW(nullptr, Wide(text).c_str(), Wide(title).c_str(),
              MB_OK | MB_SETFOREGROUND | (warning ? MB_ICONWARNING : MB_ICONINFORMATION));
}

std::optional<bool> AskYesNo(const std::string& title, const std::string& text) {
  const int answer = MessageBoxW(nullptr, Wide(text).c_str(), Wide(title).c_str(),
                                 MB_YESNO | MB_SETFOREGROUND | MB_ICONQUESTION);
  if (answer == 0) return std::nullopt;
  return answer == IDYES;
}

bool ShowDialog(const std::string& title, const std::string& text, bool warning) {
  ShowMessage(title, text, warning);
  return true;
}

bool OpenWithDesktop(const std::string& path) {
  return reinterpret_cast<intptr_t>(
             ShellExecuteW(nullptr, L"open", Wide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

}  // namespace platform
