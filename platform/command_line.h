#pragma once

// Windows command lines, as pure string work so that the rules can be
// tested on any host. A Windows program gets its command line as one
// string; splitting it into arguments is the program's own business.

#include <string>
#include <string_view>

namespace platform {

// What follows the program's name on a command line, untouched: the name is
// the first token as Windows splits it (CommandLineToArgvW, CreateProcess):
// from an opening quote to the next quote, else up to the first space or
// tab; the spaces and tabs after it are not part of the rest.
std::string_view CommandTail(std::string_view commandLine);

// Appends `argument` to a command line so that the C runtime's and
// CommandLineToArgvW's splitting give it back unchanged: quoted when it is
// empty or holds a space, tab or quote; backslashes doubled only before a
// quote.
void AppendQuoted(std::string& commandLine, std::string_view argument);

}  // namespace platform
