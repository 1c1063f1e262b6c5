// modpaths-inspect run as a modder would, on generated containers and saves.

#include <cstdio>
#include <cstring>

#include <nlohmann/json.hpp>

#include "app/save_file.h"
#include "testing/end_to_end.h"

namespace {

using namespace testing_support;
using Json = nlohmann::json;

struct Inspected {
  int exitStatus;
  Json json;
};

// Runs modpaths-inspect with --json and parses what it prints.
Inspected Inspect(std::vector<std::string> arguments) {
  TempDir dir;
  const std::string out = dir / "out.json";
  arguments.insert(arguments.begin(), MODPATHS_INSPECT_EXE);
  arguments.push_back("--json");
  std::string command;
  for (const std::string& argument : arguments) command += "'" + argument + "' ";
  const int status = std::system((command + "> '" + out + "' 2>/dev/null").c_str());
  Inspected result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, Json()};
  const Bytes printed = ReadFile(out);
  result.json = Json::parse(printed.begin(), printed.end());  // throws on malformed JSON
  return result;
}

class InspectTest : public ::testing::Test {
 protected:
  std::string Container(const std::string& name, uint8_t flags = 0) {
    const std::string path = dir / name;
    EXPECT_TRUE(PlaceContainer(path, ModTree("M", {"A.uasset", "A.uexp"}), flags));
    return path;
  }
  TempDir dir;
};

TEST_F(InspectTest, TocShowsSectionsHeaderAndPaths) {
  // Three chunks and two blocks: the index starts at 144 + 22 x 3 + 12 x 2.
  const auto [status, report] = Inspect({"toc", Container("good.utoc"), "--files"});
  EXPECT_EQ(status, 0);
  EXPECT_EQ(report["status"], "ok");
  EXPECT_EQ(report["header"]["magic"], "-==--==--==--==-");
  EXPECT_EQ(report["header"]["tocEntryCount"], 3);
  EXPECT_EQ(report["header"]["containerFlags"]["names"], Json::array());
  const Json& sections = report["read"]["sections"];
  ASSERT_GE(sections.size(), 5u);
  EXPECT_EQ(sections[1]["name"], "ChunkIds");
  EXPECT_EQ(sections[1]["start"], 144);
  EXPECT_EQ(sections[4]["name"], "MountPoint");
  EXPECT_EQ(sections[4]["start"], 234);
  EXPECT_EQ(report["read"]["failure"], nullptr);
  EXPECT_EQ(report["directoryIndex"]["files"], 2);
  EXPECT_EQ(report["packagePaths"], Json::array({"/Game/Mods/M/A.A"}));
  EXPECT_EQ(report["files"].size(), 2u);
}

TEST_F(InspectTest, TocExplainsContainersThatGiveNothing) {
  const auto encrypted =
      Inspect({"toc", Container("locked.utoc", IoStore::ContainerFlags::Encrypted | 0x40)});
  EXPECT_EQ(encrypted.exitStatus, 1);
  EXPECT_EQ(encrypted.json["directoryIndex"]["read"], false);
  EXPECT_EQ(encrypted.json["header"]["containerFlags"]["names"], Json::array({"Encrypted"}));
  EXPECT_EQ(encrypted.json["header"]["containerFlags"]["unknownBits"], 0x40);

  // No chunks, so the index follows the header: its directory entries
  // start at 144 + 14, after the mount point "../../../".
  const std::string cut = dir / "cut.utoc";
  ASSERT_TRUE(
      WriteToc(MakeToc(MakeDirectoryIndex("../../../", ModTree("M", {"A.uasset"})), 0, 0), cut));
  const Bytes whole = ReadFile(cut);
  WriteFile(cut, Bytes(whole.begin(), whole.begin() + 160));  // inside the count
  const auto truncated = Inspect({"toc", cut});
  EXPECT_EQ(truncated.exitStatus, 1);
  EXPECT_EQ(truncated.json["read"]["failure"]["kind"], "ran out of bytes");
  EXPECT_EQ(truncated.json["read"]["failure"]["section"], "DirectoryEntries");
  EXPECT_EQ(truncated.json["read"]["failure"]["offset"], 158);
  WriteFile(cut, Bytes(whole.begin(), whole.begin() + 180));  // 5 entries do not fit in 18 bytes
  const auto tooMany = Inspect({"toc", cut});
  EXPECT_EQ(tooMany.json["read"]["failure"]["kind"], "refused");
  EXPECT_EQ(tooMany.json["read"]["failure"]["field"], "count");
  EXPECT_EQ(tooMany.json["read"]["failure"]["value"], 5);
  EXPECT_EQ(tooMany.json["read"]["failure"]["offset"], 162);

  Bytes bytes;

  const std::string huge = Container("huge.utoc");
  bytes = ReadFile(huge);
  const int32_t count = INT32_MAX;
  std::memcpy(&bytes[24], &count, 4);
  WriteFile(huge, bytes);
  const auto refused = Inspect({"toc", huge});
  EXPECT_EQ(refused.exitStatus, 1);
  EXPECT_EQ(refused.json["read"]["failure"]["kind"], "refused");
  EXPECT_EQ(refused.json["read"]["failure"]["offset"], 144);
  EXPECT_EQ(refused.json["read"]["failure"]["bytesLeft"], bytes.size() - 144);
}

TEST_F(InspectTest, ExitsWithTwoForUsageErrorsAndMissingFiles) {
  EXPECT_EQ(Inspect({"toc", dir / "missing.utoc"}).exitStatus, 2);
  EXPECT_EQ(Inspect({"save", dir / "missing.sav"}).exitStatus, 2);
  EXPECT_EQ(Inspect({"scan", dir / "missing"}).exitStatus, 2);
  EXPECT_EQ(
      std::system((std::string(MODPATHS_INSPECT_EXE) + " frobnicate >/dev/null 2>&1").c_str()) >> 8,
      2);
  EXPECT_EQ(std::system((std::string(MODPATHS_INSPECT_EXE) + " >/dev/null 2>&1").c_str()) >> 8, 2);
}

TEST(InspectScan, DecidesLikeTheToolAndListsWhatItWrites) {
  auto runner = MakeRunner("native");
  Installation install(*runner, "Game");
  MakeFolders(install.saveFolder);
  const Bytes templateBytes = Hex("47 56 41 53");
  WriteFile(install.binaries + "/SourceSave.sav", templateBytes);
  const std::string paks = install.paks + "/";
  ASSERT_TRUE(PlaceContainer(paks + "Good.utoc", ModTree("Good", {"G.uasset"})));
  ASSERT_TRUE(
      PlaceContainer(paks + "Mods/Other.utoc", ModTree("Other", {"O1.uasset", "O2.uasset"})));
  ASSERT_TRUE(PlaceContainer(paks + "Mods/Locked.utoc", ModTree("L", {"L.uasset"}),
                             IoStore::ContainerFlags::Encrypted));
  ASSERT_TRUE(PlaceContainer(paks + "global.utoc", ModTree("Base", {"B.uasset"})));
  ASSERT_TRUE(PlaceContainer(paks + "Mods/Deep/Deep.utoc", ModTree("Deep", {"D.uasset"})));
  WriteFile(paks + "Readme.txt", "hello");

  const auto [status, report] = Inspect({"scan", install.game});
  EXPECT_EQ(status, 1);  // the encrypted container gives nothing
  EXPECT_EQ(report["paksFolder"], install.paks);
  std::map<std::string, std::string> decisions;
  for (const Json& entry : report["entries"]) decisions[entry["path"]] = entry["decision"];
  EXPECT_EQ(decisions[paks + "Good.utoc"], "mod container");
  EXPECT_EQ(decisions[paks + "Mods"], "folder");
  EXPECT_EQ(decisions[paks + "Mods/Locked.utoc"], "mod container");
  EXPECT_EQ(decisions[paks + "global.utoc"], "base-game name");
  EXPECT_EQ(decisions[paks + "Mods/Deep"], "too deep");
  EXPECT_EQ(decisions[paks + "Readme.txt"], "not .utoc");
  EXPECT_EQ(report["containers"].size(), 3u);

  EXPECT_EQ(runner->Run(install.executable).exitStatus, 0);
  const modpaths::DecodedSave written =
      modpaths::DecodeModPathsSave(ReadFile(install.output), templateBytes.size());
  ASSERT_TRUE(written.valid);
  EXPECT_EQ(report["packagePaths"].get<std::vector<std::string>>(), written.paths);
  EXPECT_EQ(written.paths.size(), 3u);
}

TEST_F(InspectTest, SaveChecksTemplateRecordsAndMarker) {
  const Bytes templateBytes = Hex("47 56 41 53 01 00 00 00 00");
  WriteFile(dir / "SourceSave.sav", templateBytes);
  ASSERT_TRUE(
      modpaths::WriteModPathsSave(dir / "good.sav", templateBytes, {"/Game/A.A", "/Game/B.B"}));

  const auto withTemplate =
      Inspect({"save", dir / "good.sav", "--template", dir / "SourceSave.sav"});
  EXPECT_EQ(withTemplate.exitStatus, 0);
  EXPECT_EQ(withTemplate.json["listOffset"], templateBytes.size());
  EXPECT_EQ(withTemplate.json["paths"], Json::array({"/Game/A.A", "/Game/B.B"}));
  EXPECT_EQ(withTemplate.json["template"]["matches"], true);

  const auto inferred = Inspect({"save", dir / "good.sav"});
  EXPECT_EQ(inferred.exitStatus, 0);
  EXPECT_EQ(inferred.json["listOffset"], templateBytes.size());
  EXPECT_EQ(inferred.json["count"], 2);

  Bytes damaged = ReadFile(dir / "good.sav");
  damaged[templateBytes.size() + 4 + 4 + 10] = 0x7F;  // the second record's length
  WriteFile(dir / "damaged.sav", damaged);
  const auto broken = Inspect({"save", dir / "damaged.sav", "--template", dir / "SourceSave.sav"});
  EXPECT_EQ(broken.exitStatus, 1);
  EXPECT_EQ(broken.json["valid"], false);
  EXPECT_EQ(broken.json["damage"]["offset"], templateBytes.size() + 4 + 4 + 10);

  damaged = ReadFile(dir / "good.sav");
  damaged.pop_back();
  WriteFile(dir / "short.sav", damaged);
  const auto shortened = Inspect({"save", dir / "short.sav", "--template", dir / "SourceSave.sav"});
  EXPECT_EQ(shortened.exitStatus, 1);
  EXPECT_NE(shortened.json["damage"]["message"].get<std::string>().find("closing marker"),
            std::string::npos);
}

}  // namespace
