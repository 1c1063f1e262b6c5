#include "testing/record_io.h"

namespace testing_support {

Bytes SaveWith(const SerializeBody& body) {
  Bytes bytes;
  {
    Tessel::SerializeContext context;
    context.OpenMemory(&bytes);
    body(&context);
  }
  return bytes;
}

int64_t LoadWith(const Bytes& bytes, const SerializeBody& body) {
  Tessel::SerializeContext context;
  context.OpenMemory(bytes.data(), bytes.size());
  body(&context);
  if (context.serializer->IsFailed()) return -1;
  return context.serializer->GetSize() - context.serializer->Tell();
}

}  // namespace testing_support
