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
  std::fwrite(text.data(), 1, text.size(), toError ? stderr : stdout);
  std::fflush(toError ? stderr : stdout);
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
