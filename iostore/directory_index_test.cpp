#include "iostore/directory_index.h"

#include <gtest/gtest.h>

#include "fixtures/record_io.h"
#include "testing/expect_layout.h"

namespace IoStore {
namespace {

using testing_support::Bytes;
using testing_support::Hex;
using testing_support::Join;
using testing_support::LoadRecord;
using testing_support::SaveRecord;

TEST(DirectoryIndexEntries, LieAsWrittenByHand) {
  testing_support::ExpectLayout<FIoDirectoryIndexEntry>(
      "01 00 00 00"   // Name
      "02 00 00 00"   // FirstChildEntry
      "03 00 00 00"   // NextSiblingEntry
      "FF FF FF FF",  // FirstFileEntry: none
      [](const FIoDirectoryIndexEntry& directory) {
        EXPECT_EQ(directory.Name, 1u);
        EXPECT_EQ(directory.FirstChildEntry, 2u);
        EXPECT_EQ(directory.NextSiblingEntry, 3u);
        EXPECT_EQ(directory.FirstFileEntry, kNoEntry);
      });
  testing_support::ExpectLayout<FIoFileIndexEntry>(
      "04 00 00 00"   // Name
      "05 00 00 00"   // NextFileEntry
      "06 00 00 00",  // UserData
      [](const FIoFileIndexEntry& file) {
        EXPECT_EQ(file.Name, 4u);
        EXPECT_EQ(file.NextFileEntry, 5u);
        EXPECT_EQ(file.UserData, 6u);
      });
}

TEST(DirectoryIndexEntries, LoadGrowingToTheStoredCountAndRefuseWhatCannotFit) {
  TArray<FIoFileIndexEntry> growing;
  growing.elements.resize(2);
  growing.elements[0].UserData = 99;
  Bytes bytes = Hex("05 00 00 00");
  for (uint8_t i = 0; i < 5; ++i) {
    const Bytes entry = {i, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, static_cast<uint8_t>(10 + i), 0, 0, 0};
    bytes.insert(bytes.end(), entry.begin(), entry.end());
  }
  EXPECT_EQ(LoadRecord(bytes, growing), 0);
  ASSERT_EQ(growing.elements.size(), 5u);
  EXPECT_EQ(growing.elements[0].UserData, 10u);
  EXPECT_EQ(growing.elements[4].Name, 4u);
  EXPECT_EQ(growing.elements[4].NextFileEntry, kNoEntry);

  // Two directories need 32 bytes; 31 are refused before anything grows.
  TArray<FIoDirectoryIndexEntry> directories;
  EXPECT_EQ(LoadRecord(Join({Hex("02 00 00 00"), Bytes(31)}), directories), -1);
  EXPECT_EQ(directories.elements.capacity(), 0u);
}

}  // namespace
}  // namespace IoStore
