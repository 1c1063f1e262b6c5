#include "app/paths.h"

#include <gtest/gtest.h>

namespace modpaths {
namespace {

using platform::kPosixPaths;
using platform::kWindowsPaths;

TEST(OutputPath, AppendsTheSaveBelowCorvaneHollowVoyage) {
  EXPECT_EQ(OutputPathFor("C:\\Users\\Ann\\Saved Games", kWindowsPaths),
            "C:\\Users\\Ann\\Saved Games\\Corvane\\HollowVoyage\\ModManager_ModPaths.sav");
  EXPECT_EQ(OutputPathFor("/home/ann/Saved Games", kPosixPaths),
            "/home/ann/Saved Games/Corvane/HollowVoyage/ModManager_ModPaths.sav");
}

TEST(TemplatePath, LiesBesideTheExecutable) {
  EXPECT_EQ(TemplatePathFor("D:\\Games\\Example\\Binaries\\Win64", kWindowsPaths),
            "D:\\Games\\Example\\Binaries\\Win64\\SourceSave.sav");
  EXPECT_EQ(TemplatePathFor("/g/Binaries/Win64", kPosixPaths), "/g/Binaries/Win64/SourceSave.sav");
}

TEST(PaksFolder, ReplacesTheLastBinariesByContentPaks) {
  struct Case {
    const char* directory;
    const char* paks;
  } const cases[] = {
      {"D:\\Games\\Example\\Binaries\\Win64", "D:\\Games\\Example\\Content\\Paks"},
      {"D:\\Games\\Example\\Binaries", "D:\\Games\\Example\\Content\\Paks"},
      {"D:\\Binaries\\Game\\Binaries\\Win64", "D:\\Binaries\\Game\\Content\\Paks"},
      {"D:\\MyBinariesKit\\Win64", "D:\\MyContent\\Paks"},
      {"D:\\Games\\Example\\binaries\\Win64", "D:\\Games\\Example\\binaries\\Win64Content\\Paks"},
      {"D:/Games/Example/Binaries/Win64", "D:/Games/Example/Content\\Paks"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PaksFolderFor(c.directory, kWindowsPaths), c.paks) << c.directory;
  }
  EXPECT_EQ(PaksFolderFor("/srv/Game/Binaries/Win64", kPosixPaths), "/srv/Game/Content/Paks");
}

TEST(PaksFolder, KeepsMultibyteNamesIntact) {
  const std::string game = "D:\\\xD0\x98\xD0\xB3\xD1\x80\xD1\x8B\\\xE6\xB8\xB8\xE6\x88\x8F\\";
  EXPECT_EQ(PaksFolderFor(game + "Binaries\\Win64", kWindowsPaths), game + "Content\\Paks");
}

TEST(LaunchOptionsLine, QuotesTheWrapperForTheSystemThatStartsIt) {
  EXPECT_EQ(LaunchOptionsLine("D:\\Games\\Hollow Voyage\\HollowVoyage\\Binaries\\Win64", kWindowsPaths),
            "\"D:\\Games\\Hollow Voyage\\HollowVoyage\\Binaries\\Win64\\modpaths-launch.exe\" "
            "%command%");
  EXPECT_EQ(LaunchOptionsLine("/home/deck/Hollow Voyage/Binaries/Win64", kPosixPaths),
            "\"/home/deck/Hollow Voyage/Binaries/Win64/modpaths-launch\" %command%");
  EXPECT_EQ(LaunchOptionsLine("/home/a\"$`\\b", kPosixPaths),
            "\"/home/a\\\"\\$\\`\\\\b/modpaths-launch\" %command%");
  EXPECT_EQ(LinuxPathOf("Z:\\home\\deck\\Game"), "/home/deck/Game");
  EXPECT_EQ(LinuxPathOf("z:/home"), "/home");
  EXPECT_EQ(LinuxPathOf("D:\\Games"), std::nullopt);
}

// Whatever folder of the game a player names, it is the same game.
TEST(GameFolder, ResolvesEveryFolderAPlayerMightNameToTheSameGame) {
  const FolderExists exists = [](const std::string& folder) {
    return folder == "D:\\Games\\Hollow Voyage\\Content\\Paks" ||
           folder == "D:\\Games\\Hollow Voyage\\content\\paks";
  };
  const std::string game = "D:\\Games\\Hollow Voyage";
  struct Case {
    std::string given;
    std::string toolFolder;  // empty: refused
  } const cases[] = {
      {game, game + "\\Binaries\\Win64"},
      {game + "\\", game + "\\Binaries\\Win64"},
      {game + "\\Binaries\\Win64", game + "\\Binaries\\Win64"},
      {game + "/Binaries/Win64/", game + "\\Binaries\\Win64"},
      {game + "\\Binaries", game + "\\Binaries\\Win64"},
      {game + "\\Content", game + "\\Binaries\\Win64"},
      {game + "\\Content\\Paks", game + "\\Binaries\\Win64"},
      {game + "\\content\\paks", game + "\\Binaries\\Win64"},
      {"D:\\Games", ""},                     // the folder above the game
      {game + "\\Content\\Paks\\Mods", ""},  // below the paks folder
      {"D:\\Other\\Binaries\\Win64", ""},
  };
  for (const Case& c : cases) {
    const std::optional<GameFolders> resolved = ResolveGameFolder(c.given, kWindowsPaths, exists);
    ASSERT_EQ(resolved.has_value(), !c.toolFolder.empty()) << c.given;
    if (!resolved) continue;
    EXPECT_EQ(resolved->toolFolder, c.toolFolder) << c.given;
    EXPECT_TRUE(exists(resolved->paks)) << c.given;
    EXPECT_EQ(resolved->game, game) << c.given;
  }
}

}  // namespace
}  // namespace modpaths
