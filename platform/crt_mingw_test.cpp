// Built everywhere, so that the C library is held to the same answers; in
// the MinGW-w64 build, run under Wine, it checks our own routines.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Every length up to past the 32-byte cases and the 16-byte loop, at every
// alignment of a 16-byte block, copied forwards, backwards and apart.
TEST(CRuntime, MemmoveMovesEveryLengthAndOverlapAsAByteLoopWould) {
  std::vector<uint8_t> buffer(256);
  for (size_t size = 0; size <= 80; ++size) {
    for (size_t from = 40; from < 56; ++from) {
      for (int shift : {-33, -17, -16, -9, -1, 1, 7, 16, 31, 100}) {
        for (size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<uint8_t>(i * 7 + 1);
        std::vector<uint8_t> expected = buffer;
        const size_t to = static_cast<size_t>(static_cast<long>(from) + shift);
        const std::vector<uint8_t> source(expected.begin() + static_cast<long>(from),
                                          expected.begin() + static_cast<long>(from + size));
        std::copy(source.begin(), source.end(), expected.begin() + static_cast<long>(to));
        ASSERT_EQ(std::memmove(buffer.data() + to, buffer.data() + from, size), buffer.data() + to);
        ASSERT_EQ(buffer, expected) << size << " bytes from " << from << " to " << to;
      }
    }
  }
}

TEST(CRuntime, MemchrFindsTheFirstMatchInsideTheRangeOnly) {
  std::vector<uint8_t> buffer(128, 'a');
  for (size_t start = 0; start < 16; ++start) {
    for (size_t size = 0; size <= 48; ++size) {
      for (size_t at = 0; at < 64; ++at) {
        buffer[start + at] = 'x';
        buffer[start + at + 1] = 'x';  // a second match must not be taken
        const void* found = std::memchr(buffer.data() + start, 'x', size);
        ASSERT_EQ(found, at < size ? buffer.data() + start + at : nullptr)
            << "start " << start << ", size " << size << ", match at " << at;
        buffer[start + at] = 'a';
        buffer[start + at + 1] = 'a';
      }
    }
  }
  // A match just before the range, in the same aligned block, is not one.
  buffer[3] = 'x';
  EXPECT_EQ(std::memchr(buffer.data() + 4, 'x', 20), nullptr);
}

}  // namespace
