#pragma once

#include <functional>

#include "serializer/serializer.h"
#include "testing/test_files.h"

namespace testing_support {

using SerializeBody = std::function<void(Tessel::SerializeContext*)>;

// Runs `body` on a context writing into memory and returns the bytes it
// wrote.
Bytes SaveWith(const SerializeBody& body);

// Runs `body` on a context reading `bytes` in memory. Returns the bytes the
// body did not consume, or -1 when the stream failed.
int64_t LoadWith(const Bytes& bytes, const SerializeBody& body);

template <typename Record>
Bytes SaveRecord(Record record) {
  return SaveWith([&](Tessel::SerializeContext* context) { record.Serialize(context); });
}

template <typename Record>
int64_t LoadRecord(const Bytes& bytes, Record& record) {
  return LoadWith(bytes, [&](Tessel::SerializeContext* context) { record.Serialize(context); });
}

}  // namespace testing_support
