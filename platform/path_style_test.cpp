#include "platform/path_style.h"

#include <gtest/gtest.h>

#include "platform/unicode.h"

namespace platform {
namespace {

// A folder name that brings a path past the threshold with room to spare.
const std::u16string kLong(240, u'x');

TEST(ExtendedLengthPath, PrefixesOnlyLongAbsolutePaths) {
  struct Case {
    std::u16string path, expected;
  };
  const Case cases[] = {
      // Short paths are handed over untouched, slashes and dots included.
      {u"C:\\Games\\Mods\\a.utoc", u"C:\\Games\\Mods\\a.utoc"},
      {u"C:/Games/./Mods", u"C:/Games/./Mods"},
      {u"\\\\nas\\games\\Mods", u"\\\\nas\\games\\Mods"},
      // Long drive paths: the prefix, backslashes, nothing to tidy.
      {u"C:\\" + kLong + u"\\Mods", u"\\\\?\\C:\\" + kLong + u"\\Mods"},
      {u"d:/" + kLong + u"/Mods/", u"\\\\?\\d:\\" + kLong + u"\\Mods"},
      // The system would take "." and ".." literally after the prefix.
      {u"C:\\" + kLong + u"\\.\\Binaries\\..\\Content\\\\Paks",
       u"\\\\?\\C:\\" + kLong + u"\\Content\\Paks"},
      {u"C:\\..\\" + kLong + u"\\Mods", u"\\\\?\\C:\\" + kLong + u"\\Mods"},
      // Network shares keep server and share as their root.
      {u"\\\\nas\\games\\" + kLong + u"\\Mods", u"\\\\?\\UNC\\nas\\games\\" + kLong + u"\\Mods"},
      {u"//nas/games/" + kLong + u"/../" + kLong, u"\\\\?\\UNC\\nas\\games\\" + kLong},
      // Relative, drive-relative and already prefixed paths stay as they are.
      {kLong + u"\\Mods\\" + kLong, kLong + u"\\Mods\\" + kLong},
      {u"C:" + kLong + u"\\Mods", u"C:" + kLong + u"\\Mods"},
      {u"\\" + kLong + u"\\Mods", u"\\" + kLong + u"\\Mods"},
      {u"\\\\?\\C:\\" + kLong + u"\\.", u"\\\\?\\C:\\" + kLong + u"\\."},
      {u"\\\\.\\pipe\\" + kLong, u"\\\\.\\pipe\\" + kLong},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WideToNarrow(ExtendedLengthPath(c.path)), WideToNarrow(c.expected));
  }
}

TEST(ExtendedLengthPath, StartsAtTheThreshold) {
  const std::u16string below = u"C:\\" + std::u16string(kLongPathThreshold - 4, u'y');
  const std::u16string at = below + u'y';
  ASSERT_EQ(at.size(), kLongPathThreshold);
  EXPECT_EQ(WideToNarrow(ExtendedLengthPath(below)), WideToNarrow(below));
  EXPECT_EQ(WideToNarrow(ExtendedLengthPath(at)), WideToNarrow(u"\\\\?\\" + at));
}

TEST(PathHelpers, SplitAtTheLastSeparatorTheStyleKnows) {
  struct Case {
    std::string_view path;
    const PathStyle& style;
    std::string_view parent, base;
  } const cases[] = {
      {"D:\\Games\\Example\\modpaths.exe", kWindowsPaths, "D:\\Games\\Example", "modpaths.exe"},
      // As a player types it under Wine, or mixed by a script.
      {"Z:/home/deck/Paks/~mods/ShipPackA_P.utoc", kWindowsPaths, "Z:/home/deck/Paks/~mods",
       "ShipPackA_P.utoc"},
      {"..\\..\\Content/Paks\\~mods/A.utoc", kWindowsPaths, "..\\..\\Content/Paks\\~mods", "A.utoc"},
      {"tool.exe", kWindowsPaths, "", "tool.exe"},
      {"C:\\tool.exe", kWindowsPaths, "C:\\", "tool.exe"},
      // A backslash is part of a name on POSIX.
      {"/opt/odd\\name/modpaths", kPosixPaths, "/opt/odd\\name", "modpaths"},
      {"/modpaths", kPosixPaths, "/", "modpaths"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParentFolder(c.path, c.style), c.parent) << c.path;
    EXPECT_EQ(BaseName(c.path, c.style), c.base) << c.path;
  }
  EXPECT_EQ(InStyle("Z:/home/deck\\Game/", kWindowsPaths), "Z:\\home\\deck\\Game\\");
  EXPECT_EQ(InStyle("/home/odd\\name", kPosixPaths), "/home/odd\\name");
}

}  // namespace
}  // namespace platform
