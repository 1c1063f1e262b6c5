#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "serializer/serializer.h"

namespace Tessel::IoStream {

// Base of every record. Serialize is the single statement of a record's
// layout: it moves the fields in file order, one call of the serializer per
// field, and the context decides the direction.
class SerializableClass {
 public:
  virtual ~SerializableClass() = default;
  virtual void Serialize(SerializeContext* context) = 0;

 protected:
  SerializableClass() = default;
  SerializableClass(const SerializableClass&) = default;
  SerializableClass& operator=(const SerializableClass&) = default;
};

}  // namespace Tessel::IoStream

namespace IoStore {

using Tessel::SerializeContext;
using Tessel::IoStream::SerializableClass;

// Moves `count` elements of `elementSize` bytes each, in place, as one call
// per element would, so that a byte-order switch acts on each element alone.
void SerializeArray(SerializeContext* context, void* destination, uint64_t count,
                    uint64_t elementSize);

// Moves `count` bytes of an owned buffer, as one call per byte would. Loading makes a
// new zero-filled buffer of `count` bytes first, unless the rest of the file
// cannot hold them: then the buffer stays as it was and the stream fails.
// Saving writes `count` bytes, zero-filling the buffer up to that length.
void SerializeArray(SerializeContext* context, std::vector<uint8_t>& buffer, int64_t count);

// Length-prefixed string, in either of the engine's two forms.
// Layout: int32 count, then
//   count >= 0   `count` bytes of 8-bit characters (terminator included);
//   count <  0   -count UTF-16LE code units (terminator included), each
//                moved as one 16-bit transfer.
// The engine writes a string whose characters are all 7-bit in the first
// form and any other in the second; it reads every byte at or above 0x80 of
// the first form as "?". Loading keeps the 8-bit form's bytes as they are
// and turns the UTF-16 form into UTF-8 (up to the first zero unit; an
// unpaired surrogate becomes U+FFFD). Saving normalises: the text up to its
// first zero byte goes out with exactly one terminator, in the form the
// engine would pick, invalid UTF-8 becoming U+FFFD; `length` is set to
// match, whatever it held.
class FString : public SerializableClass {
 public:
  static constexpr uint64_t kMinEncodedSize = 4;

  FString() = default;
  explicit FString(std::string_view value);

  // The bytes up to the first zero byte, or all of them when none is zero.
  std::string_view Value() const;

  // Whether saving writes `value` in the 8-bit form: every byte below 0x80.
  static bool IsSevenBit(std::string_view value);

  void Serialize(SerializeContext* context) override;

  // Saves `value` in this layout, as an FString holding it would, without
  // copying it into one: for writers of many strings.
  static void Save(SerializeContext* context, std::string_view value);

  // Bytes held in `text`, terminator included: the stored count of the
  // 8-bit form, the size of the UTF-8 text of the UTF-16 form.
  uint32_t length = 0;
  std::vector<uint8_t> text;  // empty: no text

 private:
  friend class FStringArray;
  // The layout, for either direction, on a serializer of a known kind so
  // that its calls are direct, with the text kept wherever `Text` keeps it:
  // in this record, at the end of an FStringArray's buffer, or (saving
  // only) in a view. Serialize finds the kind once per string, FStringArray
  // once per array.
  template <typename Serializer, typename Text>
  static void Transfer(Serializer& serializer, SerializeContext* context, Text& text);
};

// Layout: four uint32 words, word 0 first.
class FGUID : public SerializableClass {
 public:
  static constexpr uint64_t kMinEncodedSize = 16;

  FGUID() = default;
  FGUID(uint32_t a, uint32_t b, uint32_t c, uint32_t d) : A(a), B(b), C(c), D(d) {}

  void Serialize(SerializeContext* context) override;

  uint32_t A = 0;
  uint32_t B = 0;
  uint32_t C = 0;
  uint32_t D = 0;
};

// Count-prefixed array of records.
// Layout: int32 count, then each element in its own layout. Saving writes
// the number of elements the array holds.
template <typename T>
class TArray : public SerializableClass {
 public:
  // A negative count empties the array.
  void Resize(int32_t count) { elements.resize(count < 0 ? 0u : static_cast<size_t>(count)); }

  void Serialize(SerializeContext* context) override {
    auto count = static_cast<int32_t>(elements.size());
    context->serializer->Serialize(&count, sizeof count, true);
    if (context->isLoading) {
      // Checked before anything grows: a hostile count must not allocate
      // more than the file could fill.
      if (!context->serializer->CanHold(count, T::kMinEncodedSize, "count")) return;
      Resize(count);
    }
    for (T& element : elements) element.Serialize(context);
  }

  std::vector<T> elements;
};

// A TArray<FString> whose strings are kept end to end in one buffer: the
// same layout, each element moved by FString's own Serialize, without a
// heap block per string. Holds each string's value (up to its first zero).
class FStringArray : public SerializableClass {
 public:
  void Serialize(SerializeContext* context) override;

  size_t size() const { return ends_.size(); }
  bool empty() const { return ends_.empty(); }
  std::string_view operator[](size_t i) const;
  void push_back(std::string_view value);
  // Holds no strings, but keeps the room they took.
  void clear();

  // 4 bytes and FString's length for each string: the stored count of the
  // 8-bit form, or the size of the UTF-8 text of one stored as UTF-16.
  uint64_t EncodedSize() const { return encodedSize_; }

 private:
  template <typename Serializer>
  void SerializeOn(Serializer& serializer, SerializeContext* context);
  struct EndText;

  std::vector<char> text_;
  std::vector<size_t> ends_;
  uint64_t encodedSize_ = 0;
};

}  // namespace IoStore
