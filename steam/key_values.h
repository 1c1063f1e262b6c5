#pragma once

// Valve's key-value text, the format of Steam's own files (app manifests,
// libraryfolders.vdf, loginusers.vdf, localconfig.vdf):
//
//   "AppState"                 a key, and a block as its value
//   {
//       "appid"   "1234560"    a key and a string
//       installdir "Hollow Voyage"
//       // a comment, to the end of the line
//   }
//
// Keys and strings are quoted words, whose escapes are \\ \" \n \t \r (any
// other backslash stands for itself), or bare words, which end at white
// space, a quote or a brace. Keys compare without regard to ASCII case.
// The reader never steps past the end of the text, bounds the nesting and
// the size, and gives the byte range of every word, so that one value can
// be replaced with every other byte kept as it was.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace steam {

// Bytes [begin, end) of the text: a word with its quotes, or a block from
// its '{' to its '}'.
struct ByteRange {
  size_t begin = 0;
  size_t end = 0;
};

struct KeyValue {
  std::string key;
  std::string value;  // unescaped; empty for a block
  bool isBlock = false;
  ByteRange keyRange, valueRange;
  std::vector<KeyValue> children;  // a block's entries, in file order

  // The first entry of the block whose key is `key`, in any case.
  const KeyValue* Find(std::string_view key) const;
  // The value of the string entry `key`; nothing when there is none.
  std::optional<std::string> ValueOf(std::string_view key) const;
};

// Files larger than this are no files of Steam's that we read: a
// localconfig.vdf, which keeps every app's and friend's settings, has a few
// megabytes; the lists (loginusers.vdf, libraryfolders.vdf) and the app
// manifests have kilobytes.
inline constexpr size_t kMostKeyValueBytes = 64u << 20;
inline constexpr size_t kMostListBytes = 1u << 20;
inline constexpr uint32_t kMostKeyValueDepth = 64;
// An entry takes some 128 bytes in memory, and Steam writes each on a line
// of its own, indented, at well over 8 bytes: a text of more entries than
// this is none of Steam's, and reading it stops, so that the memory stays a
// small multiple of the text.
inline constexpr size_t MostKeyValueEntries(size_t textBytes) { return 4096 + textBytes / 8; }

struct KeyValueText {
  KeyValue root;        // a block holding the top-level entries
  std::string problem;  // empty when the text read whole
  size_t problemAt = 0;

  bool Read() const { return problem.empty(); }
};

// Reads the whole text; a UTF-8 byte-order mark before it is read past
// (and kept: the ranges count it). A damaged text gives what was read
// before the damage, and the problem with its byte offset.
KeyValueText ParseKeyValues(std::string_view text);

// The word as it is written: in quotes, with \\ and \" its only escapes.
std::string QuoteKeyValue(std::string_view value);

}  // namespace steam
