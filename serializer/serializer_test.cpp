#include "serializer/serializer.h"

#include <gtest/gtest.h>

#include <functional>

#include "fixtures/test_files.h"

namespace Tessel {
namespace {

using testing_support::Bytes;
using testing_support::Hex;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

// The disk and memory kinds must fail alike: each test here runs on both.
class Streams : public ::testing::TestWithParam<std::string> {
 protected:
  bool OnDisk() const { return GetParam() == "disk"; }
  void OpenReader(SerializeContext& context, const Bytes& bytes) {
    input_ = bytes;
    if (OnDisk()) {
      WriteFile(dir / "in.bin", bytes);
      context.Open(dir / "in.bin", OpenMode::Read);
    } else {
      context.OpenMemory(input_.data(), input_.size());
    }
  }
  void OpenWriter(SerializeContext& context) {
    if (OnDisk()) {
      context.Open(dir / "out.bin", OpenMode::Write);
    } else {
      context.OpenMemory(&output_);
    }
  }
  Bytes Written() const { return OnDisk() ? ReadFile(dir / "out.bin") : output_; }

  TempDir dir;

 private:
  Bytes input_, output_;
};

INSTANTIATE_TEST_SUITE_P(Kinds, Streams, ::testing::Values("disk", "memory"),
                         [](const auto& instance) { return instance.param; });

class DiskStreamTest : public ::testing::Test {
 protected:
  std::string MakeFile(const Bytes& bytes) {
    const std::string path = dir / "data.bin";
    WriteFile(path, bytes);
    return path;
  }
  TempDir dir;
};

TEST_P(Streams, ReaderGetSizeLeavesThePositionAlone) {
  SerializeContext context;
  OpenReader(context, Hex("00 01 02 03 04 05 06 07 08 09"));
  uint8_t byte = 0xEE;
  for (int i = 0; i < 3; ++i) context.serializer->Serialize(&byte, 1, true);
  EXPECT_EQ(context.serializer->GetSize(), 10);
  context.serializer->Serialize(&byte, 1, true);
  EXPECT_EQ(byte, 3);
  EXPECT_EQ(context.serializer->Tell(), 4);
}

TEST_P(Streams, ShortReadKeepsTheTailAndFailsForGood) {
  SerializeContext context;
  OpenReader(context, Hex("11 22 33 44 55 66"));
  BaseSerializer& reader = *context.serializer;
  uint32_t word = 0;
  reader.Serialize(&word, 4, true);
  EXPECT_EQ(word, 0x44332211u);

  uint8_t four[4] = {0xA0, 0xA1, 0xA2, 0xA3};
  reader.Serialize(four, 4, true);
  EXPECT_EQ(Bytes(four, four + 4), Hex("55 66 A2 A3"));
  EXPECT_TRUE(reader.IsFailed());
  EXPECT_EQ(reader.Failure().kind, FailureKind::EndOfFile);
  EXPECT_EQ(reader.Failure().offset, 4);
  EXPECT_EQ(reader.GetSize(), -1);
  EXPECT_EQ(reader.Tell(), -1);

  reader.Seek(0);  // does not clear the failure
  uint8_t byte = 0x77;
  reader.Serialize(&byte, 1, true);
  EXPECT_EQ(byte, 0x77);
  EXPECT_TRUE(reader.IsFailed());
}

TEST_P(Streams, ReadsAcrossTheStreamBuffer) {
  Bytes big(200000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7);
  SerializeContext context;
  OpenReader(context, big);
  Bytes got(big.size());
  size_t at = 0;
  for (uint64_t step : {1u, 3u, 65535u, 8u, 100000u}) {
    context.serializer->Serialize(&got[at], step, true);
    at += step;
  }
  context.serializer->Serialize(&got[at], got.size() - at, true);
  EXPECT_FALSE(context.serializer->IsFailed());
  EXPECT_EQ(got, big);
  context.serializer->Seek(65530);
  uint32_t word = 0;
  context.serializer->Serialize(&word, 4, true);
  uint32_t expected = 0;
  for (int i = 3; i >= 0; --i) expected = expected << 8 | big[65530 + static_cast<size_t>(i)];
  EXPECT_EQ(word, expected);
}

TEST_F(DiskStreamTest, MissingFileReadsNothing) {
  SerializeContext context;
  context.Open(dir / "missing.bin", OpenMode::Read);
  ASSERT_NE(context.serializer, nullptr);
  EXPECT_TRUE(context.isLoading);
  EXPECT_EQ(context.serializer->GetSize(), -1);
  uint32_t word = 0xCAFE;
  context.serializer->Serialize(&word, 4, true);
  EXPECT_EQ(word, 0xCAFEu);
  context.serializer->Close();
}

TEST_F(DiskStreamTest, AFolderIsNotAReadableFile) {
  testing_support::MakeFolders(dir / "folder.sav");
  SerializeContext context;
  context.Open(dir / "folder.sav", OpenMode::Read);
  EXPECT_EQ(context.serializer->GetSize(), -1);
}

TEST_P(Streams, WriterWritesLittleEndianAndReportsSizeZero) {
  {
    SerializeContext context;
    EXPECT_EQ(context.name, "none");
    OpenWriter(context);
    EXPECT_TRUE(context.isSaving);
    EXPECT_FALSE(context.isLoading);
    BaseSerializer& writer = *context.serializer;
    EXPECT_EQ(writer.GetSize(), 0);
    int32_t five = 5;
    writer.Serialize(&five, 4, true);
    uint64_t wide = 0x0102030405060708;
    writer.Serialize(&wide, 8, true);
    EXPECT_EQ(writer.GetSize(), 0);
    EXPECT_EQ(writer.Tell(), 12);
    writer.Close();
    EXPECT_FALSE(writer.IsFailed());
    writer.Close();  // the second close only marks the stream failed
    EXPECT_TRUE(writer.IsFailed());
    EXPECT_EQ(writer.Failure().kind, FailureKind::CloseFailed);
  }
  EXPECT_EQ(Written(), Hex("05 00 00 00 08 07 06 05 04 03 02 01"));
}

TEST_P(Streams, SeekMovesBackForReadingAndOverwriting) {
  {
    SerializeContext context;
    OpenWriter(context);
    BaseSerializer& writer = *context.serializer;
    Bytes big(100000, 0x5A);  // more than the disk stream's buffer at once
    writer.Serialize(big.data(), big.size(), true);
    uint32_t word = 0x04030201;
    writer.Serialize(&word, 4, true);
    writer.Seek(100001);
    uint8_t byte = 0xAA;
    writer.Serialize(&byte, 1, true);
    EXPECT_EQ(writer.Tell(), 100002);
    writer.Close();
    EXPECT_FALSE(writer.IsFailed());
  }
  const Bytes written = Written();
  ASSERT_EQ(written.size(), 100004u);
  EXPECT_EQ(Bytes(written.end() - 4, written.end()), Hex("01 AA 03 04"));
  EXPECT_EQ(written[99999], 0x5A);

  SerializeContext context;
  OpenReader(context, Hex("10 11 12 13 14"));
  BaseSerializer& reader = *context.serializer;
  uint32_t word = 0;
  reader.Serialize(&word, 4, true);
  reader.Seek(1);
  uint8_t byte = 0;
  reader.Serialize(&byte, 1, true);
  EXPECT_EQ(byte, 0x11);
  reader.Seek(-1);
  EXPECT_TRUE(reader.IsFailed());
  EXPECT_EQ(reader.Failure().kind, FailureKind::EndOfFile);
}

TEST_P(Streams, SwapReversesEachTransferWithoutTouchingTheSource) {
  uint32_t word = 0x11223344;
  {
    SerializeContext context;
    OpenWriter(context);
    context.serializer->swapBytes = true;
    context.serializer->Serialize(&word, 4, true);
    context.serializer->Serialize(&word, 4, false);
  }
  EXPECT_EQ(word, 0x11223344u);
  EXPECT_EQ(Written(), Hex("11 22 33 44 44 33 22 11"));
  SerializeContext context;
  OpenReader(context, Written());
  context.serializer->swapBytes = true;
  uint32_t back = 0;
  context.serializer->Serialize(&back, 4, true);
  EXPECT_EQ(back, 0x11223344u);
  // A short swapped read keeps the bytes that came, unswapped, as a plain
  // one would.
  uint8_t three[3] = {0xA0, 0xA1, 0xA2};
  context.serializer->Serialize(three, 3, false);
  uint32_t tail = 0xEEEEEEEE;
  context.serializer->Serialize(&tail, 4, true);
  EXPECT_EQ(tail, 0xEEEEEE11u);
  EXPECT_TRUE(context.serializer->IsFailed());
}

// Transfers no record makes, which must neither touch memory they do not
// own nor overflow: each moves nothing, or fails the stream.
TEST_P(Streams, TransfersAtTheEdgesMoveNothingOrFailCleanly) {
  uint8_t byte = 0x77;
  struct Case {
    const char* what;
    bool reading, memoryOnly;
    std::function<void(BaseSerializer&)> transfer;
    bool fails;
  } const cases[] = {
      {"nothing read past the end", true, false,
       [&](BaseSerializer& s) {
         s.Seek(100);
         s.Serialize(&byte, 0, true);
       },
       false},
      {"nothing written from nowhere", false, false,
       [](BaseSerializer& s) {
         s.Seek(1);
         s.Serialize(nullptr, 0, true);
       },
       false},
      {"more than any buffer holds", false, true,
       [&](BaseSerializer& s) {
         s.Seek(8);
         s.Serialize(&byte, UINT64_MAX, true);
       },
       true},
  };
  for (const Case& c : cases) {
    if (c.memoryOnly && OnDisk()) continue;
    SerializeContext context;
    if (c.reading) {
      OpenReader(context, Hex("01 02 03 04"));
    } else {
      OpenWriter(context);
      uint32_t word = 0x04030201;
      context.serializer->Serialize(&word, 4, true);
    }
    c.transfer(*context.serializer);
    EXPECT_EQ(context.serializer->IsFailed(), c.fails) << c.what;
    EXPECT_EQ(byte, 0x77) << c.what;
    if (!c.reading) {
      context.serializer->Close();
      EXPECT_EQ(Written(), Hex("01 02 03 04")) << c.what;
    }
  }
}

TEST_F(DiskStreamTest, OpeningForWriteEmptiesAnExistingFile) {
  const std::string path = MakeFile(Hex("01 02 03"));
  {
    SerializeContext context;
    context.Open(path, OpenMode::Write);
    context.serializer->Close();
  }
  bool exists = false;
  EXPECT_TRUE(ReadFile(path, &exists).empty());
  EXPECT_TRUE(exists);
}

TEST_F(DiskStreamTest, WritingBelowAMissingFolderCreatesNothing) {
  {
    SerializeContext context;
    context.Open(dir / "no/such/folder/out.bin", OpenMode::Write);
    uint32_t word = 1;
    context.serializer->Serialize(&word, 4, true);
    EXPECT_TRUE(context.serializer->IsFailed());
    context.serializer->Close();
  }
  EXPECT_FALSE(testing_support::FileExists(dir / "no"));
}

TEST_P(Streams, CanHoldRefusesWhatTheRestOfTheFileCannotHold) {
  SerializeContext context;
  OpenReader(context, Bytes(20));
  BaseSerializer& reader = *context.serializer;
  uint32_t word;
  reader.Serialize(&word, 4, true);
  EXPECT_TRUE(reader.CanHold(4, 4, "four"));
  EXPECT_TRUE(reader.CanHold(0, 1000, "none"));
  EXPECT_FALSE(reader.IsFailed());
  EXPECT_FALSE(reader.CanHold(5, 4, "five"));
  EXPECT_TRUE(reader.IsFailed());
  EXPECT_EQ(reader.Failure().kind, FailureKind::Refused);
  EXPECT_EQ(reader.Failure().offset, 4);
  EXPECT_EQ(reader.Failure().value, 5);
  EXPECT_EQ(reader.Failure().what, "five");

  for (const auto& [count, size] : {std::pair<int64_t, uint64_t>{-1, 1}, {INT64_MAX, UINT64_MAX}}) {
    SerializeContext other;
    OpenReader(other, Bytes(8));
    EXPECT_FALSE(other.serializer->CanHold(count, size, "hostile"));
    EXPECT_TRUE(other.serializer->IsFailed());
  }
  SerializeContext writer;
  OpenWriter(writer);
  EXPECT_TRUE(writer.serializer->CanHold(INT64_MAX, UINT64_MAX, "anything"));
}

}  // namespace
}  // namespace Tessel
