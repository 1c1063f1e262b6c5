#include "inspect/mount_order.h"

#include <gtest/gtest.h>

namespace inspect {
namespace {

TEST(PakOrder, FollowsTheEnginesRule) {
  struct Case {
    std::string_view belowPaks;
    int32_t order;
  } const cases[] = {
      {"Mod.pak", 3},
      {"Mod_P.pak", 103},
      {"Mod_5_P.pak", 603},
      {"Mod_0_P.pak", 103},
      {"03_Mod_P.pak", 103},  // a prefix does nothing
      {"~mods/Mod_P.pak", 103},
      {"~mods/Mod_2_p.PAK", 303},  // any case
      {"Mod_P.pak.bak", 3},
      // The text before the last "_" is read from its own "_" on; the
      // character just before the last "_" is never where that search starts.
      {"My_Mod_Pack/Mod_P.pak", 103},
      {"Mods_1_/X_P.pak", 103},  // "P.pak"'s "_" has "X" before it: no number
      {"Mod_9__P.pak", 103},     // the "_" just before the last is skipped: "9_"
      {"Mod_a1_P.pak", 103},     // not numeric
      {"Mod_+3_P.pak", 403},
      {"Mod_-3_P.pak", 103},
      {"Mod_2.9_P.pak", 303},  // atoi stops at the dot
      {"Mod_1.2.3_P.pak", 103},
      {"Mod__P.pak", 103},
      {"HollowVoyage-WindowsNoEditor.pak", 4},
      {"hollowvoyage-Extra_P.pak", 104},
      {"Mods/HollowVoyage-X.pak", 3},
      // The sum wraps as uint32: (2^31 - 1 + 1) x 100 is 0 modulo 2^32.
      {"Mod_2147483647_P.pak", 3},
      {"Mod_99999999999_P.pak", 3},  // clamped to 2^31 - 1
      {"Mod_21474836_P.pak", -2147483593},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PakOrder(EnginePakPath(c.belowPaks)), c.order) << c.belowPaks;
  }
  // The ending each raised order came from, as spelled.
  EXPECT_EQ(PatchEnding(EnginePakPath("~mods/Mod_2_p.PAK")), "_2_p");
  EXPECT_EQ(PatchEnding(EnginePakPath("Mod_0_P.pak")), "_P");
  EXPECT_EQ(PatchEnding(EnginePakPath("Mod_9__P.pak")), "_P");
  EXPECT_EQ(PatchEnding(EnginePakPath("Mod.pak")), "");
  // A container's order is its pak's, from its place below Content/Paks.
  EXPECT_EQ(EnginePakPathOf("D:\\Hollow Voyage\\HollowVoyage\\content\\Paks\\~mods/X_2_P.utoc"),
            EnginePakPath("~mods/X_2_P.pak"));
  EXPECT_EQ(EnginePakPathOf("/home/deck/Mods/X_P.utoc"), std::nullopt);
}

// Each group as the engine prefers it, the one it loads from first.
TEST(PakOrder, DecidesWhoseChunksTheGameLoads) {
  const std::vector<std::vector<std::string_view>> preferred = {
      {"Mods/B_P.pak", "Mods/A.pak"},              // the higher order
      {"Mods/A.pak", "Mods/B.pak"},                // same order: the lower path
      {"Mods/a.pak", "Mods/B.pak"},                // without case
      {"Mods/Z.pak", "~mods/A.pak"},               // "~" after every letter
      {"Mods/Z_P.pak", "~mods/A_P.pak", "Mods/Z.pak"},
      {"X_3_P.pak", "X_2_P.pak", "HollowVoyage-Base.pak", "A.pak"},
      {"Mods/A_B.pak", "Mods/AB.pak"},  // "_" before the folded letters
  };
  for (const auto& group : preferred) {
    for (size_t i = 0; i + 1 < group.size(); ++i) {
      const std::string first = EnginePakPath(group[i]), second = EnginePakPath(group[i + 1]);
      EXPECT_TRUE(TakesPriority(PakOrder(first), first, PakOrder(second), second))
          << group[i] << " over " << group[i + 1];
      EXPECT_FALSE(TakesPriority(PakOrder(second), second, PakOrder(first), first));
    }
  }
}

}  // namespace
}  // namespace inspect
