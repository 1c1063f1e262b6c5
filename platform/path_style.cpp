#include "platform/path_style.h"

#include <vector>

namespace platform {
namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool IsLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// `root` stays as it is; the components after it are tidied.
std::u16string Tidied(std::u16string root, std::u16string_view rest) {
  std::vector<std::u16string_view> kept;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = start;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    const std::u16string_view part = rest.substr(start, end - start);
    if (part == u"..") {
      if (!kept.empty()) kept.pop_back();
    } else if (!part.empty() && part != u".") {
      kept.push_back(part);
    }
    start = end + 1;
  }
  for (size_t i = 0; i < kept.size(); ++i) {
    if (i > 0) root += u'\\';
    root += kept[i];
  }
  return root;
}

}  // namespace

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::string JoinPath(std::string_view folder, std::string_view name, const PathStyle& style) {
  std::string joined(folder);
  if (!joined.empty() && style.separators.find(joined.back()) == std::string_view::npos)
    joined += style.separator;
  return joined += name;
}

std::string_view BaseName(std::string_view path, const PathStyle& style) {
  const size_t last = path.find_last_of(style.separators);
  return last == std::string_view::npos ? path : path.substr(last + 1);
}

std::string_view ParentFolder(std::string_view path, const PathStyle& style) {
  const size_t last = path.find_last_of(style.separators);
  if (last == std::string_view::npos) return {};
  const bool root = last == 0 || (last == 2 && path[1] == ':');
  return path.substr(0, root ? last + 1 : last);
}

std::string InStyle(std::string_view path, const PathStyle& style) {
  std::string out(path);
  for (char& c : out) {
    if (style.separators.find(c) != std::string_view::npos) c = style.separator;
  }
  return out;
}

std::u16string ExtendedLengthPath(std::u16string_view path) {
  if (path.size() < kLongPathThreshold) return std::u16string(path);
  if (path.substr(0, 4) == u"\\\\?\\" || path.substr(0, 4) == u"\\\\.\\") {
    return std::u16string(path);
  }
  if (path.size() > 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    // \\server\share: the server and the share are the root.
    size_t at = 2;
    for (int part = 0; part < 2; ++part) {
      while (at < path.size() && !IsSeparator(path[at])) ++at;
      if (part == 0) ++at;
    }
    std::u16string root = u"\\\\?\\UNC\\";
    for (const char16_t c : path.substr(2, at - 2)) root += IsSeparator(c) ? u'\\' : c;
    return Tidied(root + u'\\', at < path.size() ? path.substr(at + 1) : std::u16string_view());
  }
  if (path.size() > 2 && IsLetter(path[0]) && path[1] == u':' && IsSeparator(path[2])) {
    return Tidied(u"\\\\?\\" + std::u16string(path.substr(0, 2)) + u'\\', path.substr(3));
  }
  return std::u16string(path);
}

}  // namespace platform
