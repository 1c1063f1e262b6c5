#include "launch/steam.h"

#include <gtest/gtest.h>

namespace launch {
namespace {

TEST(SteamManifest, GivesTheTopBlocksValueOfAKeyInAnyCase) {
  const std::string_view manifest = R"("AppState"
{
	"appid"		"1234560"
	// Steam writes no comments, but the format has them
	"InstallDir"		"Hollow \"Voyage\""
	"UserConfig"
	{
		"installdir"		"not this one"
	}
	bare	word
})";
  EXPECT_EQ(ManifestValue(manifest, "installdir"), "Hollow \"Voyage\"");
  EXPECT_EQ(ManifestValue(manifest, "APPID"), "1234560");
  EXPECT_EQ(ManifestValue(manifest, "bare"), "word");
  EXPECT_EQ(ManifestValue(manifest, "language"), std::nullopt);
  EXPECT_EQ(ManifestValue("\"AppState\" { \"installdir\"", "installdir"), std::nullopt);
}

TEST(SteamLibrary, IsFoundFromTheLastSteamappsCommonOfAPath) {
  const auto game =
      SteamGameOf("/run/media/mmcblk0p1/SteamApps/common/Hollow Voyage/HollowVoyage/Binaries/Win64");
  ASSERT_TRUE(game);
  EXPECT_EQ(game->steamapps, "/run/media/mmcblk0p1/SteamApps");
  EXPECT_EQ(game->installDir, "Hollow Voyage");
  EXPECT_FALSE(SteamGameOf("/home/deck/Games/Hollow Voyage/Binaries/Win64"));
  EXPECT_FALSE(SteamGameOf("/home/deck/steamapps/common"));
}

}  // namespace
}  // namespace launch
