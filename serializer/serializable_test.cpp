#include "serializer/serializable.h"

#include <gtest/gtest.h>

#include "fixtures/record_io.h"

namespace IoStore {
namespace {

using testing_support::Bytes;
using testing_support::Hex;
using testing_support::Join;
using testing_support::LoadRecord;
using testing_support::SaveRecord;

TArray<FString> Strings(std::initializer_list<const char*> texts) {
  TArray<FString> array;
  for (const char* text : texts) array.elements.emplace_back(text);
  return array;
}

TEST(FString, StoresLengthWithTerminatorThenTheBytes) {
  EXPECT_EQ(SaveRecord(FString("abc")), Hex("04 00 00 00 61 62 63 00"));
  EXPECT_EQ(SaveRecord(FString("")), Hex("01 00 00 00 00"));
  EXPECT_EQ(SaveRecord(FString()), Hex("01 00 00 00 00"));  // no text at all

  FString loaded;
  EXPECT_EQ(LoadRecord(Hex("04 00 00 00 61 62 63 00 FF"), loaded), 1);
  EXPECT_EQ(loaded.length, 4u);
  EXPECT_EQ(loaded.Value(), "abc");
}

TEST(FString, ReadsAStoredLengthOfZeroAndTextWithoutTerminator) {
  FString empty("old");
  EXPECT_EQ(LoadRecord(Hex("00 00 00 00"), empty), 0);
  EXPECT_EQ(empty.Value(), "");

  FString unterminated;
  EXPECT_EQ(LoadRecord(Hex("03 00 00 00 61 62 63"), unterminated), 0);
  EXPECT_EQ(unterminated.length, 3u);
  EXPECT_EQ(unterminated.Value(), "abc");
  // Written back, it gains its terminator.
  EXPECT_EQ(SaveRecord(unterminated), Hex("04 00 00 00 61 62 63 00"));
}

TEST(FString, RefusesALengthBeyondTheFileWithoutAllocating) {
  for (const char* bytes : {"FF FF FF FF 61", "06 00 00 00 61 62 63 64 65"}) {
    FString string;
    EXPECT_EQ(LoadRecord(Hex(bytes), string), -1) << bytes;
    EXPECT_EQ(string.length, 0u);
    EXPECT_EQ(string.text.capacity(), 0u);
  }
}

// The engine's other form: a negative count of UTF-16LE units, terminator
// included, for any string beyond 7-bit.
TEST(FString, StoresAnythingBeyondSevenBitAsUtf16WithANegativeCount) {
  struct Case {
    const char* hex;
    const char* value;  // UTF-8; nullptr: refused
    bool writtenBack;   // saving the value gives these bytes again
  } const cases[] = {
      {"FC FF FF FF  29 04 38 04 42 04 00 00", "\xD0\xA9\xD0\xB8\xD1\x82", true},  // "Щит"
      {"FD FF FF FF  3D D8 A2 DE 00 00", "\xF0\x9F\x9A\xA2", true},  // U+1F6A2, a pair
      {"FF FF FF FF  00 00", "", false},                             // the terminator alone
      {"FD FF FF FF  00 D8 41 00 00 00",
       "\xEF\xBF\xBD"
       "A",
       false},                                       // unpaired high surrogate
      {"FD FF FF FF  61 00 00 00", nullptr, false},  // 3 units need 6 bytes
      {"00 00 00 80  00 00", nullptr, false},        // -2^31
  };
  for (const bool unknown : {false, true}) {
    const testing_support::ThroughUnknownKind kind(unknown);
    for (const Case& c : cases) {
      FString loaded;
      const int64_t left = LoadRecord(Hex(c.hex), loaded);
      if (c.value == nullptr) {
        EXPECT_EQ(left, -1) << c.hex;
        EXPECT_EQ(loaded.text.capacity(), 0u) << c.hex;
        continue;
      }
      EXPECT_EQ(left, 0) << c.hex;
      EXPECT_EQ(loaded.Value(), c.value) << c.hex;
      if (c.writtenBack) {
        EXPECT_EQ(SaveRecord(FString(c.value)), Hex(c.hex)) << c.hex;
      }
    }
  }
  // Invalid UTF-8 is written as U+FFFD; 7-bit text stays in the 8-bit form.
  EXPECT_EQ(SaveRecord(FString("\xFF"
                               "a")),
            Hex("FD FF FF FF FD FF 61 00 00 00"));
  EXPECT_EQ(SaveRecord(FString("a")), Hex("02 00 00 00 61 00"));
}

TEST(TArray, StoresCountThenElements) {
  EXPECT_EQ(SaveRecord(Strings({"a", "bc"})),
            Hex("02 00 00 00  02 00 00 00 61 00  03 00 00 00 62 63 00"));
  TArray<FString> loaded;
  EXPECT_EQ(LoadRecord(Hex("02 00 00 00 02 00 00 00 61 00 03 00 00 00 62 63 00"), loaded), 0);
  ASSERT_EQ(loaded.elements.size(), 2u);
  EXPECT_EQ(loaded.elements[1].Value(), "bc");
}

// The one-buffer array reads and writes exactly what a TArray of FString
// does, empty and UTF-16 strings among them.
TEST(FStringArray, HasTheLayoutOfATArrayOfFString) {
  for (const bool unknown : {false, true}) {
    const testing_support::ThroughUnknownKind kind(unknown);
    const Bytes bytes = SaveRecord(Strings({"", "a", "\xD0\xA9", "bc"}));
    FStringArray loaded;
    EXPECT_EQ(LoadRecord(bytes, loaded), 0);
    ASSERT_EQ(loaded.size(), 4u);
    EXPECT_EQ(loaded[0], "");
    EXPECT_EQ(loaded[2], "\xD0\xA9");
    EXPECT_EQ(loaded[3], "bc");
    EXPECT_EQ(loaded.EncodedSize(), 4 + 1 + 4 + 2 + 4 + 3 + 4 + 3);  // UTF-16 counts as UTF-8
    EXPECT_EQ(SaveRecord(loaded), bytes);
    // Refused whole, or a string that runs past the end there, empty.
    FStringArray cut;
    EXPECT_EQ(LoadRecord(Hex("02 00 00 00 03 00 00 00 61 62"), cut), -1);
    EXPECT_EQ(cut.size(), 0u) << "2 strings need at least 8 bytes";
    EXPECT_EQ(LoadRecord(Hex("02 00 00 00 02 00 00 00 62 00 05 00 00 00 61"), cut), -1);
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[0], "b");
    EXPECT_EQ(cut[1], "");
  }
}

TEST(TArray, LoadingResizesToTheStoredCount) {
  TArray<FString> shrinking = Strings({"x", "y", "z"});
  EXPECT_EQ(LoadRecord(Hex("00 00 00 00"), shrinking), 0);
  EXPECT_TRUE(shrinking.elements.empty());
}

TEST(TArray, KeepsItsElementsWhenTheFileHasEnded) {
  TArray<FString> array = Strings({"keep", "me"});
  EXPECT_EQ(LoadRecord(Bytes{}, array), -1);
  ASSERT_EQ(array.elements.size(), 2u);
  EXPECT_EQ(array.elements[0].Value(), "keep");
}

TEST(TArray, RefusesNegativeAndOversizedCountsWithoutAllocating) {
  // Each count is checked against the bytes left at the smallest size its
  // elements can have on disk.
  const char* const hostile[] = {
      "FF FF FF FF",                       // -1
      "00 00 00 80",                       // INT32_MIN
      "FF FF FF 7F 01 00 00 00 00",        // 2^31 - 1 strings in 5 bytes
      "03 00 00 00 01 00 00 00 00 01 00",  // 3 strings need at least 12 bytes
  };
  for (const char* bytes : hostile) {
    TArray<FString> array;
    EXPECT_EQ(LoadRecord(Hex(bytes), array), -1) << bytes;
    EXPECT_EQ(array.elements.capacity(), 0u) << bytes;
  }
  TArray<FGUID> guids;  // two need 32 bytes
  EXPECT_EQ(LoadRecord(Join({Hex("02 00 00 00"), Bytes(31)}), guids), -1);
  EXPECT_EQ(guids.elements.capacity(), 0u);
}

TEST(FGUID, StoresFourWordsInOrder) {
  EXPECT_EQ(SaveRecord(FGUID(1, 2, 3, 4)), Hex("01 00 00 00 02 00 00 00 03 00 00 00 04 00 00 00"));
  FGUID guid;
  EXPECT_EQ(LoadRecord(Hex("04 03 02 01 00 00 00 00 FF FF FF FF 10 00 00 00"), guid), 0);
  EXPECT_EQ(guid.A, 0x01020304u);
  EXPECT_EQ(guid.C, 0xFFFFFFFFu);
  EXPECT_EQ(guid.D, 16u);
}

// Moved in one transfer where that is the same as one per element; the
// byte-order switch still acts on each element, and a stream that runs out
// fails at the element that lacks bytes.
TEST(SerializeArray, MovesWhatOneCallPerElementWould) {
  struct Case {
    const char* bytes;
    uint64_t count, elementSize;
    bool swap;
    const char* loaded;  // the destination, which starts as EE bytes
    int64_t failsAt;     // -1: no failure
  } const cases[] = {
      {"01 02 03 04 05 06", 3, 2, false, "01 02 03 04 05 06", -1},
      {"01 02 03 04 05 06", 3, 2, true, "02 01 04 03 06 05", -1},
      {"01 02 03", 3, 1, true, "01 02 03", -1},  // single bytes are never reversed
      {"01 02 03 04 05", 3, 2, false, "01 02 03 04 05 EE", 4},
  };
  for (const bool unknown : {false, true}) {
    const testing_support::ThroughUnknownKind kind(unknown);
    for (const Case& c : cases) {
      Bytes loaded(c.count * c.elementSize, 0xEE);
      int64_t failsAt = -1;
      testing_support::LoadWith(Hex(c.bytes), [&](Tessel::SerializeContext* context) {
        context->serializer->swapBytes = c.swap;
        SerializeArray(context, loaded.data(), c.count, c.elementSize);
        if (context->serializer->IsFailed()) failsAt = context->serializer->Failure().offset;
      });
      EXPECT_EQ(loaded, Hex(c.loaded)) << c.bytes;
      EXPECT_EQ(failsAt, c.failsAt) << c.bytes;
      if (c.failsAt >= 0) continue;
      // Written back, the same bytes.
      EXPECT_EQ(testing_support::SaveWith([&](Tessel::SerializeContext* context) {
                  context->serializer->swapBytes = c.swap;
                  SerializeArray(context, loaded.data(), c.count, c.elementSize);
                }),
                Hex(c.bytes))
          << c.bytes;
    }
  }
}

TEST(SerializeArray, MovesOwnedBuffersOfTheirCount) {
  std::vector<uint8_t> buffer;
  EXPECT_EQ(testing_support::LoadWith(
                Hex("01 02 03 04"),
                [&](Tessel::SerializeContext* context) { SerializeArray(context, buffer, 3); }),
            1);
  EXPECT_EQ(buffer, Hex("01 02 03"));
  // Saving a buffer shorter than the count pads it with zeros.
  std::vector<uint8_t> shortBuffer = Hex("AA");
  EXPECT_EQ(testing_support::SaveWith([&](Tessel::SerializeContext* context) {
              SerializeArray(context, shortBuffer, 3);
            }),
            Hex("AA 00 00"));
}

}  // namespace
}  // namespace IoStore
