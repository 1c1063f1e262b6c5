// Entry point of the Windows build: a GUI-subsystem program that never opens
// a window, so a player who double-clicks it sees nothing flash up. Its exit
// status is 1 only when the template could not be read or the save could
// not be written.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "app/run.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const auto inputs = modpaths::InputsOfThisProcess();
  if (!inputs) return 0;
  return modpaths::RunTool(*inputs).outcome == modpaths::Outcome::Failed ? 1 : 0;
}
