// The console on Windows, which takes text as UTF-16.

#include "platform/win32_api.h"


#include <cstdio>
#include <string>

#include "platform/console.h"

namespace platform {

void WriteText(std::string_view text, bool toError) {
  HANDLE handle = GetStdHandle(toError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
    const std::u16string wide = NarrowToWide(text);
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  // A file or a pipe: the text with Windows' line ends, in as few writes
  // as it takes (the C runtime's text mode goes a byte at a time, in small
  // writes, which under Wine cost more than the rest of a long report).
  std::FILE* stream = toError ? stderr : stdout;
  std::fflush(stream);
  std::string lines;
  lines.reserve(text.size() + text.size() / 32);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) lines += '\r';
    lines += text[i];
  }
  const char* at = lines.data();
  for (size_t left = lines.size(); left > 0;) {
    DWORD put = 0;
    const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
        !WriteFile(handle, at, chunk, &put, nullptr) || put == 0) {
      std::fwrite(at, 1, left, stream);
      std::fflush(stream);
      return;
    }
    at += put;
    left -= put;
  }
}

bool IsConsole(bool error) {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE), &mode) != 0;
}

uint32_t ConsoleWidth(bool error) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE), &info))
    return 0;
  return static_cast<uint32_t>(info.dwSize.X);
}

void SetConsoleWidth(uint32_t width, bool error) {
  HANDLE handle = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(handle, &info)) return;
  COORD size = info.dwSize;
  size.X = static_cast<SHORT>(width);
  SetConsoleScreenBufferSize(handle, size);
}

ConsoleFacts DescribeConsole() {
  ConsoleFacts console;
  DWORD processes[2];
  DWORD mode = 0;
  console.processes = GetConsoleProcessList(processes, 2);
  console.inputIsConsole = GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
  const HWND window = GetConsoleWindow();
  console.windowVisible = window != nullptr && IsWindowVisible(window);
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  console.wine = ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
  return console;
}

}  // namespace platform
