#pragma once

#include "serializer/disk_serializer.h"
#include "serializer/memory_serializer.h"

namespace Tessel {

// Calls `body` with `serializer` as the kind it really is, so that the loops
// inside make direct, inlined calls instead of virtual ones. A kind not
// named here goes through the virtual interface.
template <typename Body>
void WithConcreteSerializer(BaseSerializer& serializer, Body&& body) {
  switch (serializer.kind()) {
    case BaseSerializer::Kind::DiskReader:
      body(static_cast<DiskReader&>(serializer));
      return;
    case BaseSerializer::Kind::DiskWriter:
      body(static_cast<DiskWriter&>(serializer));
      return;
    case BaseSerializer::Kind::MemoryReader:
      body(static_cast<MemoryReader&>(serializer));
      return;
    case BaseSerializer::Kind::MemoryWriter:
      body(static_cast<MemoryWriter&>(serializer));
      return;
    case BaseSerializer::Kind::Other:
      break;
  }
  body(serializer);
}

}  // namespace Tessel
