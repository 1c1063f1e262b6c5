// Test helper for the Windows build: the game a launch wrapper starts. It
// writes, into the file that MODPATHS_RECORD names, its raw command line and
// then each of its arguments as the C runtime splits them, in UTF-8, each
// followed by a zero byte, and exits with 7.
//   modpaths-record-command.exe [ARGUMENTS...]

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size > 0 ? size : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  return out;  // its last byte is the zero
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const wchar_t* file = _wgetenv(L"MODPATHS_RECORD");
  if (file == nullptr) return 2;
  FILE* out = _wfopen(file, L"wb");
  if (out == nullptr) return 2;
  std::string record = Utf8(GetCommandLineW());
  for (int i = 1; i < argc; ++i) record += Utf8(argv[i]);
  std::fwrite(record.data(), 1, record.size(), out);
  std::fclose(out);
  return 7;
}
