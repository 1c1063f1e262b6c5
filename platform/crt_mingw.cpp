// memmove, memcpy and memchr for the MinGW-w64 build, in place of the
// C runtime's (msvcrt.dll).
//
// The tool copies and searches millions of short strings: names of a few
// dozen bytes, one package path after another. Under Wine, which runs the
// Windows executable on Linux and the Steam Deck, msvcrt's memchr looks at
// one byte at a time and its memmove starts every copy with single-byte
// string instructions; together they took more time than all of the tool's
// own code. These do the same with SSE2, which every x86-64 processor has.
//
// Built without link-time optimisation and without loop-to-call rewriting,
// so that the compiler neither turns a loop below into a call of itself nor
// loses the definitions that calls it makes late in code generation bind to.

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

inline __m128i Load(const unsigned char* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

inline void Store(unsigned char* at, __m128i value) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(at), value);
}

// Copies `size` bytes, from one to two words of type T, as a word at each
// end (they overlap when size is less than two words), both loaded before
// either is stored, so that overlap of source and destination does not
// matter.
template <typename T>
inline void CopyEnds(unsigned char* to, const unsigned char* from, size_t size) {
  T head;
  T tail;
  __builtin_memcpy(&head, from, sizeof head);
  __builtin_memcpy(&tail, from + size - sizeof tail, sizeof tail);
  __builtin_memcpy(to, &head, sizeof head);
  __builtin_memcpy(to + size - sizeof tail, &tail, sizeof tail);
}

}  // namespace

extern "C" {

void* memmove(void* destination, const void* source, size_t size) {
  auto* to = static_cast<unsigned char*>(destination);
  const auto* from = static_cast<const unsigned char*>(source);
  // Up to 32 bytes: two words, or three single bytes.
  if (size <= 32) {
    if (size >= 16) {
      CopyEnds<__m128i>(to, from, size);
    } else if (size >= 8) {
      CopyEnds<uint64_t>(to, from, size);
    } else if (size >= 4) {
      CopyEnds<uint32_t>(to, from, size);
    } else if (size > 0) {
      const unsigned char first = from[0];
      const unsigned char middle = from[size / 2];
      const unsigned char last = from[size - 1];
      to[0] = first;
      to[size / 2] = middle;
      to[size - 1] = last;
    }
    return destination;
  }
  // Longer: 16 bytes at a time, forwards unless the destination starts
  // inside the source, whose bytes ahead would then be overwritten before
  // they are read. The block at the far end is loaded first and stored
  // last, so that the loop need not stop exactly there.
  if (reinterpret_cast<uintptr_t>(to) - reinterpret_cast<uintptr_t>(from) >= size) {
    const __m128i tail = Load(from + size - 16);
    unsigned char* const tailAt = to + size - 16;
    for (; to < tailAt; to += 16, from += 16) Store(to, Load(from));
    Store(tailAt, tail);
    return destination;
  }
  const __m128i head = Load(from);
  for (size_t at = size; at > 16;) {
    at -= 16;
    Store(to + at, Load(from + at));
  }
  Store(to, head);
  return destination;
}

void* memcpy(void* destination, const void* source, size_t size) {
  return memmove(destination, source, size);
}

void* memchr(const void* data, int value, size_t size) {
  if (size == 0) return nullptr;
  const auto* start = static_cast<const unsigned char*>(data);
  const __m128i wanted = _mm_set1_epi8(static_cast<char>(value));
  // Aligned blocks of 16 never cross a page, so reading all of the first
  // and last block is safe even where the range covers only part of them.
  const uintptr_t skew = reinterpret_cast<uintptr_t>(start) & 15;
  const auto* block = reinterpret_cast<const __m128i*>(start - skew);
  auto matches = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(*block, wanted))) >> skew;
  size_t blockStart = 0;  // offset from start of the bytes `matches` begins at
  size_t nextBlock = 16 - skew;
  while (matches == 0) {
    if (nextBlock >= size) return nullptr;
    ++block;
    blockStart = nextBlock;
    nextBlock += 16;
    matches = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(*block, wanted)));
  }
  const size_t found = blockStart + static_cast<size_t>(__builtin_ctz(matches));
  return found < size ? const_cast<unsigned char*>(start + found) : nullptr;
}

}  // extern "C"
