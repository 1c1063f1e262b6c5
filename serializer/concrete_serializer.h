#pragma once

#include <typeinfo>

#include "serializer/disk_serializer.h"
#include "serializer/memory_serializer.h"

namespace Tessel {

// Calls `body` with `serializer` as the kind it really is, so that the loops
// inside that move one byte per call make direct, inlined calls instead of
// virtual ones. Each byte is still its own Serialize call. A kind not named
// here goes through the virtual interface.
template <typename Body>
void WithConcreteSerializer(BaseSerializer& serializer, Body&& body) {
  const std::type_info& kind = typeid(serializer);
  if (kind == typeid(DiskReader)) {
    body(static_cast<DiskReader&>(serializer));
  } else if (kind == typeid(DiskWriter)) {
    body(static_cast<DiskWriter&>(serializer));
  } else if (kind == typeid(MemoryReader)) {
    body(static_cast<MemoryReader&>(serializer));
  } else if (kind == typeid(MemoryWriter)) {
    body(static_cast<MemoryWriter&>(serializer));
  } else {
    body(serializer);
  }
}

}  // namespace Tessel
