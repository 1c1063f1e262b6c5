#pragma once

#include <string_view>

namespace platform {

// How one operating system spells paths. The path logic of the tool is pure
// string work parameterised by this, so the Windows rules can be tested on
// any host.
struct PathStyle {
  char separator;               // put between a folder and a name
  std::string_view separators;  // any of these ends a path component
};

inline constexpr PathStyle kWindowsPaths{'\\', "\\/"};
inline constexpr PathStyle kPosixPaths{'/', "/"};

}  // namespace platform
