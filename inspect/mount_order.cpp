#include "inspect/mount_order.h"

#include <climits>

#include "app/paths.h"
#include "platform/unicode.h"

namespace inspect {
namespace {

bool StartsWithCaseless(std::string_view text, std::string_view start) {
  return text.size() >= start.size() && modpaths::SameLetters(text.substr(0, start.size()), start);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// FCString::IsNumeric: an optional sign, then only digits and at most one
// dot; nothing at all after the sign is numeric too. Empty is not.
bool IsNumeric(std::string_view text) {
  if (text.empty()) return false;
  size_t at = text[0] == '+' || text[0] == '-' ? 1 : 0;
  bool dot = false;
  for (; at < text.size(); ++at) {
    if (text[at] == '.') {
      if (dot) return false;
      dot = true;
    } else if (!IsDigit(text[at])) {
      return false;
    }
  }
  return true;
}

// atoi: an optional sign and the digits after it, clamped to int32.
int64_t Atoi(std::string_view text) {
  size_t at = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) ++at;
  int64_t value = 0;
  for (; at < text.size() && IsDigit(text[at]); ++at) {
    value = value * 10 + (text[at] - '0');
    if (value > int64_t{INT32_MAX} + 1) value = int64_t{INT32_MAX} + 1;
  }
  value = negative ? -value : value;
  return value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : value;
}

char16_t Folded(char16_t unit) {
  return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit - u'A' + u'a') : unit;
}

}  // namespace

std::string EnginePakPath(std::string_view belowPaks) {
  return "../../../HollowVoyage/Content/Paks/" + std::string(belowPaks);
}

std::optional<std::string> EnginePakPathOf(std::string_view containerPath) {
  std::string path(containerPath);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  const std::string lower = "/" + modpaths::AsciiLower(path);
  const size_t paks = lower.rfind("/content/paks/");
  if (paks == std::string::npos) return std::nullopt;
  std::string below = path.substr(paks + std::string_view("/content/paks/").size() - 1);
  const size_t dot = below.rfind('.');
  if (dot != std::string::npos && below.find('/', dot) == std::string::npos) below.resize(dot);
  return EnginePakPath(below + ".pak");
}

namespace {

// The "_P.pak" ending's part of a pak's order: its v, and where the ending
// that gave it starts; v is 0 without one.
struct Patch {
  uint32_t version = 0;
  size_t start = std::string_view::npos;
};

Patch PatchOf(std::string_view path) {
  const std::string_view patch = "_P.pak";
  Patch found;
  if (path.size() < patch.size() ||
      !modpaths::SameLetters(path.substr(path.size() - patch.size()), patch)) {
    return found;
  }
  found.version = 1;
  found.start = path.size() - patch.size();
  const size_t last = path.rfind('_');
  if (last != std::string_view::npos && last >= 2) {
    const size_t before = path.rfind('_', last - 2);
    if (before != std::string_view::npos) {
      const std::string_view text = path.substr(before + 1, last - before - 1);
      if (IsNumeric(text)) {
        const int64_t number = Atoi(text);
        if (number >= 1) {
          found.version = static_cast<uint32_t>(number) + 1;
          found.start = before;
        }
      }
    }
  }
  return found;
}

}  // namespace

int32_t PakOrder(std::string_view path) {
  uint32_t order = 0;
  if (StartsWithCaseless(path, "../../../HollowVoyage/Content/Paks/HollowVoyage-")) {
    order = 4;
  } else if (StartsWithCaseless(path, "../../../HollowVoyage/Content/")) {
    order = 3;
  }
  order += 100u * PatchOf(path).version;
  // As int32, two's complement, whatever the compiler's own conversion.
  return order <= INT32_MAX ? static_cast<int32_t>(order)
                            : -static_cast<int32_t>(~order) - 1;
}

std::string PatchEnding(std::string_view enginePath) {
  const Patch patch = PatchOf(enginePath);
  if (patch.version == 0) return {};
  return std::string(enginePath.substr(patch.start, enginePath.size() - 4 - patch.start));
}

int ComparePaths(std::string_view a, std::string_view b) {
  const std::u16string wideA = platform::NarrowToWide(a), wideB = platform::NarrowToWide(b);
  for (size_t i = 0; i < wideA.size() && i < wideB.size(); ++i) {
    const char16_t x = Folded(wideA[i]), y = Folded(wideB[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return wideA.size() == wideB.size() ? 0 : wideA.size() < wideB.size() ? -1 : 1;
}

bool TakesPriority(int32_t order, std::string_view path, int32_t otherOrder,
                   std::string_view otherPath) {
  if (order != otherOrder) return order > otherOrder;
  return ComparePaths(path, otherPath) < 0;
}

}  // namespace inspect
