#pragma once

// The one digest the tool tells texts apart by where no one attacks them
// (a file still as it was written, a path's name for a lock): FNV-1a, 64 bits.

#include <cstdint>
#include <string_view>

namespace platform {

class Digest {
 public:
  // Each unit (a byte, or a UTF-16 unit) mixed in as one.
  void Add(uint64_t unit) { value_ = (value_ ^ unit) * 1099511628211u; }
  uint64_t value() const { return value_; }

 private:
  uint64_t value_ = 14695981039346656037u;
};

inline uint64_t DigestOf(std::string_view bytes) {
  Digest digest;
  for (const char c : bytes) digest.Add(static_cast<unsigned char>(c));
  return digest.value();
}

}  // namespace platform
