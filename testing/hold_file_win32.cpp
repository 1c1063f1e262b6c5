// Test helper for the Windows build: opens a file without sharing it, as a
// game or an editor might, and holds it for a while.
//   modpaths-hold-file.exe <file> <ready marker> <seconds>
// The ready marker is created once the file is held.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cwchar>
#include <cstdlib>

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 2;
  HANDLE held =
      CreateFileW(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) return 1;
  HANDLE ready = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ready == INVALID_HANDLE_VALUE) return 1;
  CloseHandle(ready);
  Sleep(static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)) * 1000);
  CloseHandle(held);
  return 0;
}
