#pragma once

#include <string>
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
// Paths of either system, joined with '/', which Windows takes as well: for
// rules that read another program's files on both.
inline constexpr PathStyle kEitherPaths{'/', "\\/"};

// Windows, and Proton, compare names without regard to the case of ASCII
// letters.
bool SameLetters(std::string_view a, std::string_view b);

// `name` below `folder`, with one separator between them whatever `folder`
// ends in; `name` alone when `folder` is empty.
std::string JoinPath(std::string_view folder, std::string_view name, const PathStyle& style);

// The last component of a path: what follows its last separator, or the
// whole path when it has none.
std::string_view BaseName(std::string_view path, const PathStyle& style);

// The folder a path lies in: what precedes its last separator, or nothing
// when it has none. A root keeps its separator ("/", "C:\\").
std::string_view ParentFolder(std::string_view path, const PathStyle& style);

// The path with every separator written as the style's own, as a player
// expects to see it.
std::string InStyle(std::string_view path, const PathStyle& style);

// Paths from 248 UTF-16 units up need the extended-length prefix before the
// wide Windows API takes them. MAX_PATH is 260, but creating a folder leaves
// room for an 8.3 name (12 units), so 248 is where the first call starts
// refusing a plain path. A long absolute path "X:\..." becomes "\\?\X:\...",
// a long "\\server\share\..." becomes "\\?\UNC\server\share\...". The system
// does not tidy prefixed paths, so this does: "/" becomes "\", and empty and
// "." components and ".." with what it cancels are taken out. Short paths,
// relative paths and paths that already carry a prefix are left as they are.
inline constexpr size_t kLongPathThreshold = 248;
std::u16string ExtendedLengthPath(std::u16string_view path);

}  // namespace platform
