#pragma once

// How a console program was started, from what the system says of its
// console: double-clicked (a console window of its own, which closes with
// it), in a terminal, or under Wine or Proton in a Unix terminal. The
// rules are pure, so that they are tested on any host.

#include <cstdint>

namespace platform {

struct ConsoleFacts {
  uint32_t processes = 0;       // attached to the console, this one included
  bool inputIsConsole = false;  // standard input reads from it
  bool windowVisible = false;   // the console's window shows on the screen
  bool wine = false;            // running under Wine (or Proton)
};

// Whether to wait for Enter before the window closes: only when the program
// alone owns a console that a double-click made. Windows Terminal hosts a
// double-clicked program in a window that is not the console's, so on
// Windows the window is not asked about; under Wine a console without a
// visible window is the Unix terminal it was started from.
bool WaitsForEnter(const ConsoleFacts& console);

// Whether the console stands for a Unix terminal (Wine's): it breaks lines
// longer than its width with real line breaks, where the terminal would
// only wrap them, so a long line must widen it first.
bool IsWineTerminal(const ConsoleFacts& console);

}  // namespace platform
