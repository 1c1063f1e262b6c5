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
// The reader never steps past the end of the text, bounds the nesting, the
// size and the number of entries, and gives the byte range of every word,
// so that one value can be replaced with every other byte kept as it was.
// It keeps no copy of the text: an entry is its words' byte ranges and its
// place in the tree, 24 bytes, each word unescaped only when asked for.

#include <cstdint>
#include <iterator>
#include <memory>
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

struct KeyValueData;

// One entry of a text read, as a view into it: valid while the
// KeyValueText that read it and the text itself live.
class KeyValue {
 public:
  std::string key() const;    // unescaped
  std::string value() const;  // unescaped; empty for a block
  bool isBlock() const;
  ByteRange keyRange() const;
  ByteRange valueRange() const;

  // A block's entries, in file order.
  class Children {
   public:
    class iterator {
     public:
      using iterator_category = std::forward_iterator_tag;
      using value_type = KeyValue;
      using difference_type = std::ptrdiff_t;
      using pointer = const KeyValue*;
      using reference = KeyValue;
      iterator(const KeyValueData* data, uint32_t at) : data_(data), at_(at) {}
      KeyValue operator*() const { return KeyValue(data_, at_); }
      iterator& operator++();
      bool operator!=(const iterator& other) const { return at_ != other.at_; }
      bool operator==(const iterator& other) const { return at_ == other.at_; }

     private:
      const KeyValueData* data_;
      uint32_t at_;
    };
    iterator begin() const { return {data_, first_}; }
    iterator end() const { return {data_, kNone}; }
    size_t size() const;
    bool empty() const { return first_ == kNone; }

   private:
    friend class KeyValue;
    Children(const KeyValueData* data, uint32_t first) : data_(data), first_(first) {}
    const KeyValueData* data_;
    uint32_t first_;
  };
  Children children() const;

  // The first entry of the block whose key is `key`, in any case.
  std::optional<KeyValue> Find(std::string_view key) const;
  // The value of the string entry `key`; nothing when there is none.
  std::optional<std::string> ValueOf(std::string_view key) const;

  static constexpr uint32_t kNone = UINT32_MAX;

 private:
  friend class KeyValueText;
  KeyValue(const KeyValueData* data, uint32_t index) : data_(data), index_(index) {}
  const KeyValueData* data_;
  uint32_t index_;
};

// What a KeyValueText holds: the text's view, and each entry's words by
// their byte ranges, linked as a tree.
struct KeyValueData {
  struct Entry {
    uint32_t keyBegin = 0, keyEnd = 0, valueBegin = 0, valueEnd = 0;
    uint32_t firstChild = KeyValue::kNone, next = KeyValue::kNone;
  };
  std::string_view text;
  std::vector<Entry> entries;  // the root first
};

// Files larger than this are no files of Steam's that we read: a
// localconfig.vdf, which keeps every app's and friend's settings, has a few
// megabytes; the lists (loginusers.vdf, libraryfolders.vdf) and the app
// manifests have kilobytes.
inline constexpr size_t kMostKeyValueBytes = 64u << 20;
inline constexpr size_t kMostListBytes = 1u << 20;
inline constexpr uint32_t kMostKeyValueDepth = 64;
// Steam writes each entry on a line of its own, indented, at well over 8
// bytes: a text of more entries than this is none of Steam's, and reading
// it stops, so that the memory stays a small multiple of the text.
inline constexpr size_t MostKeyValueEntries(size_t textBytes) { return 4096 + textBytes / 8; }

class KeyValueText {
 public:
  KeyValue root() const { return KeyValue(data_.get(), 0); }
  std::string problem;  // empty when the text read whole
  size_t problemAt = 0;
  bool Read() const { return problem.empty(); }

 private:
  friend KeyValueText ParseKeyValues(std::string_view text);
  std::unique_ptr<KeyValueData> data_ = std::make_unique<KeyValueData>();
};

// Reads the whole text, which must outlive what is read of it; a UTF-8
// byte-order mark before it is read past (and kept: the ranges count it).
// A damaged text gives what was read before the damage, and the problem
// with its byte offset.
KeyValueText ParseKeyValues(std::string_view text);

// The word as it is written: in quotes, with \\ and \" its only escapes.
std::string QuoteKeyValue(std::string_view value);

}  // namespace steam
