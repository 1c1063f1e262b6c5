#pragma once

// What a person sees outside a console: the clipboard and message boxes
// (desktop_win32.cpp, desktop_posix.cpp).

#include <string>

namespace platform {

// Puts the text on the clipboard as Unicode text (Windows); false where
// there is none to put it on.
bool CopyToClipboard(const std::string& text);

// Tells a person something where there may be no console: a message box on
// Windows (its text can be copied with Ctrl+C), standard error on POSIX.
void ShowMessage(const std::string& title, const std::string& text, bool warning);

}  // namespace platform
