#pragma once

// What a person sees outside a console: the clipboard and message boxes
// (desktop_win32.cpp, desktop_posix.cpp).

#include <optional>
#include <string>

namespace platform {

// Puts the text on the clipboard as Unicode text (Windows); false where
// there is none to put it on.
bool CopyToClipboard(const std::string& text);

// Tells a person something where there may be no console: a message box on
// Windows (its text can be copied with Ctrl+C), standard error on POSIX.
void ShowMessage(const std::string& title, const std::string& text, bool warning);

// Asks a yes-or-no question where there may be no console: a message box
// on Windows; on POSIX the desktop's dialog program (kdialog, zenity).
// Nothing when it cannot be asked.
std::optional<bool> AskYesNo(const std::string& title, const std::string& text);

// Shows text in the desktop's dialog program (POSIX: kdialog, zenity; a
// message box on Windows); false when there is none.
bool ShowDialog(const std::string& title, const std::string& text, bool warning);

// Opens a file with the desktop's program for it (xdg-open on POSIX, the
// shell on Windows); false when there is none.
bool OpenWithDesktop(const std::string& path);

}  // namespace platform
