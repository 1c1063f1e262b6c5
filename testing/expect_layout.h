#pragma once

// The byte tests' one shape: bytes written out by hand load into a record
// whose fields `check` looks at, and the record writes the same bytes back.

#include <gtest/gtest.h>

#include "fixtures/record_io.h"
#include "fixtures/test_files.h"

namespace testing_support {

template <typename Record, typename Check>
void ExpectLayout(const Bytes& bytes, Check check) {
  Record record;
  ASSERT_EQ(LoadRecord(bytes, record), 0) << ::testing::PrintToString(bytes);
  check(record);
  EXPECT_EQ(SaveRecord(record), bytes);
}

template <typename Record, typename Check>
void ExpectLayout(const char* hex, Check check) {
  ExpectLayout<Record>(Hex(hex), check);
}

}  // namespace testing_support
