#include "testing/record_io.h"

namespace testing_support {

Bytes SaveWith(const SerializeBody& body) {
  TempDir dir;
  const std::string path = dir / "record.bin";
  {
    Tessel::SerializeContext context;
    context.Open(path, Tessel::OpenMode::Write);
    body(&context);
  }
  return ReadFile(path);
}

int64_t LoadWith(const Bytes& bytes, const SerializeBody& body) {
  TempDir dir;
  const std::string path = dir / "record.bin";
  WriteFile(path, bytes);
  Tessel::SerializeContext context;
  context.Open(path, Tessel::OpenMode::Read);
  body(&context);
  if (context.serializer->IsFailed()) return -1;
  return context.serializer->GetSize() - context.serializer->Tell();
}

}  // namespace testing_support
