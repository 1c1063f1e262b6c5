#pragma once

// The console, or the terminal standing for it (console_win32.cpp,
// console_posix.cpp), and how a console program was started, from what the system says of its
// console: double-clicked (a console window of its own, which closes with
// it), in a terminal, or under Wine or Proton in a Unix terminal. The
// rules are pure, so that they are tested on any host.

#include <cstdint>
#include <optional>
#include <string_view>

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

// The width a Wine terminal's console must have so that no line of `text`
// is cut in two, when it is wider than `width`; nothing otherwise, and for
// any other console.
std::optional<uint32_t> WidthToShow(std::string_view text, uint32_t width,
                                    const ConsoleFacts& console);

// Writes UTF-8 text to standard output (or standard error). A Windows
// console gets it as UTF-16, so that every character shows whatever its
// code page; anything else, a file or a pipe, gets the UTF-8 bytes.
void WriteText(std::string_view text, bool toError = false);

// Whether standard output (or standard error) is a console or terminal a
// person watches, rather than a file or a pipe.
bool IsConsole(bool error = false);

// What the system says of this process's console; nothing on POSIX.
ConsoleFacts DescribeConsole();

// The console's width in characters (Windows; 0 elsewhere), and a new one.
uint32_t ConsoleWidth(bool error = false);
void SetConsoleWidth(uint32_t width, bool error = false);

}  // namespace platform
