#include "serializer/serializable.h"

#include <cstring>

#include "platform/unicode.h"
#include "serializer/concrete_serializer.h"

namespace IoStore {

namespace {

// SerializeArray on a serializer of a known kind, so that its calls are
// direct: one transfer moves what one per element would wherever no
// element is reversed on its own (single bytes, or no swapping) and, when
// reading, every byte is there, so that no element can fail alone. (A disk
// write that fails midway is then reported at the transfer's start.)
template <typename Serializer>
void SerializeArrayOn(Serializer& serializer, void* destination, uint64_t count,
                      uint64_t elementSize) {
  if (count > 1 && elementSize > 0 && (elementSize == 1 || !serializer.swapBytes) &&
      count <= UINT64_MAX / elementSize && serializer.BytesLeft() >= count * elementSize) {
    serializer.Serialize(destination, count * elementSize, false);
    return;
  }
  auto* bytes = static_cast<uint8_t*>(destination);
  for (uint64_t i = 0; i < count; ++i) {
    serializer.Serialize(bytes + i * elementSize, elementSize, true);
  }
}

// A string's value: its bytes up to the first zero, or all of them.
std::string_view BeforeZero(std::string_view bytes) { return bytes.substr(0, bytes.find('\0')); }

}  // namespace

void SerializeArray(SerializeContext* context, void* destination, uint64_t count,
                    uint64_t elementSize) {
  Tessel::WithConcreteSerializer(*context->serializer, [&](auto& serializer) {
    SerializeArrayOn(serializer, destination, count, elementSize);
  });
}

void SerializeArray(SerializeContext* context, std::vector<uint8_t>& buffer, int64_t count) {
  if (context->isLoading) {
    if (!context->serializer->CanHold(count, 1, "buffer length")) return;
    buffer.assign(static_cast<size_t>(count), 0);
  } else if (count < 0) {
    return;
  } else if (buffer.size() < static_cast<uint64_t>(count)) {
    buffer.resize(static_cast<size_t>(count), 0);
  }
  SerializeArray(context, buffer.data(), static_cast<uint64_t>(count), 1);
}

FString::FString(std::string_view value)
    : length(static_cast<uint32_t>(value.size() + 1)), text(value.begin(), value.end()) {
  text.push_back(0);
}

std::string_view FString::Value() const {
  const size_t stored = text.size() < length ? text.size() : length;
  return BeforeZero({reinterpret_cast<const char*>(text.data()), stored});
}

bool FString::IsSevenBit(std::string_view value) {
  // Eight bytes at a time: any byte at or above 0x80 has its top bit set.
  size_t at = 0;
  for (uint64_t word; at + 8 <= value.size(); at += 8) {
    std::memcpy(&word, value.data() + at, 8);
    if (word & 0x8080808080808080) return false;
  }
  for (; at < value.size(); ++at) {
    if (static_cast<uint8_t>(value[at]) >= 0x80) return false;
  }
  return true;
}

namespace {

// Where Transfer keeps a string's text. Each offers:
//   Length()     the count a failed read leaves as it was
//   Value()      the text to save, up to its first zero byte
//   Room(n)      n zero bytes to load the 8-bit form into, then Loaded(n)
//   LoadedWide() the UTF-8 text of a loaded UTF-16 form
//   Saved(n)     the count of what was saved, terminator included

// An FString's own buffer, raw bytes and all.
struct OwnText {
  FString& string;

  uint32_t Length() const { return string.length; }
  std::string_view Value() const { return string.Value(); }
  uint8_t* Room(uint32_t count) {
    string.text.assign(count, 0);
    return string.text.data();
  }
  void Loaded(uint32_t count) { string.length = count; }
  void LoadedWide(const std::string& value) {
    string.text.assign(value.begin(), value.end());
    string.text.push_back(0);
    string.length = static_cast<uint32_t>(string.text.size());
  }
  // Saving normalises: the text up to its first zero byte, then one zero.
  void Saved(uint32_t count) {
    string.text.resize(count);
    string.text[count - 1] = 0;
    string.length = count;
  }
};

// A text to save that lies elsewhere.
struct ViewText {
  std::string_view value;

  uint32_t Length() const { return static_cast<uint32_t>(value.size() + 1); }
  std::string_view Value() const { return BeforeZero(value); }
  uint8_t* Room(uint32_t) { return nullptr; }  // never loads
  void Loaded(uint32_t) {}
  void LoadedWide(const std::string&) {}
  void Saved(uint32_t) {}
};

}  // namespace

// The end of an FStringArray's buffer, where each string's value is kept.
struct FStringArray::EndText {
  FStringArray& array;
  size_t start = array.text_.size();
  uint32_t length = 0;  // as FString's: the stored count, or the UTF-8 size

  uint32_t Length() const { return 0; }
  std::string_view Value() const { return {}; }  // never saves
  uint8_t* Room(uint32_t count) {
    array.text_.resize(start + count);
    return reinterpret_cast<uint8_t*>(array.text_.data() + start);
  }
  void Loaded(uint32_t count) {
    length = count;
    array.text_.resize(start + BeforeZero({array.text_.data() + start, count}).size());
  }
  void LoadedWide(const std::string& value) {
    array.text_.insert(array.text_.end(), value.begin(), value.end());
    length = static_cast<uint32_t>(value.size() + 1);
  }
  void Saved(uint32_t) {}
};

void FString::Serialize(SerializeContext* context) {
  Tessel::WithConcreteSerializer(*context->serializer, [&](auto& serializer) {
    OwnText own{*this};
    Transfer(serializer, context, own);
  });
}

void FString::Save(SerializeContext* context, std::string_view value) {
  Tessel::WithConcreteSerializer(*context->serializer, [&](auto& serializer) {
    ViewText view{value};
    Transfer(serializer, context, view);
  });
}

template <typename Serializer, typename Text>
void FString::Transfer(Serializer& serializer, SerializeContext* context, Text& text) {
  // When saving: the value, and the UTF-16 form's code units, terminator
  // included, when that is the form it goes out in.
  std::string_view value;
  std::u16string units;
  uint32_t length = text.Length();
  if (context->isSaving) {
    // The text goes out up to its first zero byte, with exactly one
    // terminator, even when the buffer holds none.
    value = text.Value();
    if (!IsSevenBit(value)) units = platform::NarrowToWide(value) + u'\0';
    length = static_cast<uint32_t>(value.size() + 1);
  }
  // A failed read leaves the count as it was: the text's own length.
  int32_t count =
      units.empty() ? static_cast<int32_t>(length) : -static_cast<int32_t>(units.size());
  serializer.Serialize(&count, sizeof count, true);

  if (count >= 0) {
    if (context->isLoading) {
      // A length the file cannot hold is refused before the text is made.
      if (!serializer.CanHold(count, 1, "length")) return;
      SerializeArrayOn(serializer, text.Room(static_cast<uint32_t>(count)),
                       static_cast<uint32_t>(count), 1);
      text.Loaded(static_cast<uint32_t>(count));
      return;
    }
    // Saving only reads what it is given; the terminator goes after it.
    SerializeArrayOn(serializer, const_cast<char*>(value.data()), value.size(), 1);
    uint8_t terminator = 0;
    serializer.Serialize(&terminator, 1, true);
    text.Saved(length);
    return;
  }
  if (context->isLoading) {
    // -2^31 has no positive counterpart; every other count must fit.
    const int64_t stored = count == INT32_MIN ? int64_t{count} : -int64_t{count};
    if (!serializer.CanHold(stored, 2, "UTF-16 length")) return;
    units.assign(static_cast<size_t>(stored), u'\0');
  }
  SerializeArrayOn(serializer, units.data(), units.size(), sizeof(char16_t));
  if (context->isLoading) {
    text.LoadedWide(platform::WideToNarrow(units.c_str()));
  } else {
    text.Saved(length);
  }
}

std::string_view FStringArray::operator[](size_t i) const {
  const size_t start = i == 0 ? 0 : ends_[i - 1];
  return std::string_view(text_.data() + start, ends_[i] - start);
}

void FStringArray::push_back(std::string_view value) {
  text_.insert(text_.end(), value.begin(), value.end());
  ends_.push_back(text_.size());
  encodedSize_ += FString::kMinEncodedSize + value.size() + 1;
}

void FStringArray::clear() {
  text_.clear();
  ends_.clear();
  encodedSize_ = 0;
}

void FStringArray::Serialize(SerializeContext* context) {
  Tessel::WithConcreteSerializer(*context->serializer,
                                 [&](auto& serializer) { SerializeOn(serializer, context); });
}

template <typename Serializer>
void FStringArray::SerializeOn(Serializer& serializer, SerializeContext* context) {
  auto count = static_cast<int32_t>(ends_.size());
  serializer.Serialize(&count, sizeof count, true);
  if (context->isSaving) {
    for (size_t i = 0; i < ends_.size(); ++i) {
      ViewText text{(*this)[i]};
      FString::Transfer(serializer, context, text);
    }
    return;
  }
  // As TArray does: checked before anything grows.
  if (!serializer.CanHold(count, FString::kMinEncodedSize, "count")) return;
  clear();
  ends_.reserve(static_cast<size_t>(count));
  // A string that fails to load is there all the same, empty.
  for (int32_t i = 0; i < count; ++i) {
    EndText text{*this};
    FString::Transfer(serializer, context, text);
    ends_.push_back(text_.size());
    encodedSize_ += FString::kMinEncodedSize + text.length;
  }
}

void FGUID::Serialize(SerializeContext* context) {
  Tessel::BaseSerializer& serializer = *context->serializer;
  serializer.Serialize(&A, sizeof A, true);
  serializer.Serialize(&B, sizeof B, true);
  serializer.Serialize(&C, sizeof C, true);
  serializer.Serialize(&D, sizeof D, true);
}

}  // namespace IoStore
