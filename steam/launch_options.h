#pragma once

// A game's launch options in Steam's localconfig.vdf, at
//   UserLocalConfigStore > Software > Valve > Steam > apps > <app id> > LaunchOptions
// (keys in any case; the top-level "apps" block holds other settings).
// Steam hands the value to a shell (Linux) or starts it as a command line
// (Windows), with %command% standing for the game's own command. Edits are
// splices: the value's bytes alone are replaced, or one line (one block)
// added, and every other byte stays as it was.

#include <optional>
#include <string>
#include <string_view>

namespace steam {

// The wrapper as a word of a launch option: its path in double quotes,
// with what a POSIX shell would take inside them escaped.
std::string WrapperWord(std::string_view wrapperPath, bool posix);

// Where a wrapper of ours (a word naming modpaths-launch or
// modpaths-launch.exe, quoted or bare) stands in a value: [first, second).
std::optional<std::pair<size_t, size_t>> WrapperIn(std::string_view value);

// The value that runs `word` before the game and keeps what stood there:
// an older wrapper's word replaced, else the word right before %command%,
// else the word and %command% before what stood there.
std::string WithWrapper(std::string_view value, std::string_view word);

struct LaunchOptionsEdit {
  std::string text;                   // the whole file after the edit
  std::optional<std::string> before;  // the value that stood there; nothing: no key
  std::string after;                  // the value now
  bool changed = false;
  std::string problem;  // set when refused: then `text` is the file unchanged
};

// The game's launch options, or nothing when the key is not there; `why`
// set when the file cannot be read whole or has no Steam apps block.
std::optional<std::string> LaunchOptionsOf(std::string_view localconfig, std::string_view appId,
                                           std::string* why);

// Sets the game's launch options to WithWrapper(what stood there, word).
LaunchOptionsEdit AddWrapper(std::string_view localconfig, std::string_view appId,
                             std::string_view word);

// Puts `before` back (nothing: the key is taken out again).
LaunchOptionsEdit PutBack(std::string_view localconfig, std::string_view appId,
                          const std::optional<std::string>& before);

}  // namespace steam
