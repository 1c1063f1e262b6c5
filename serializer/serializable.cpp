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
  if (stored == 0) return {};
  const auto* bytes = reinterpret_cast<const char*>(text.data());
  const void* zero = std::memchr(bytes, 0, stored);
  return {bytes, zero ? static_cast<size_t>(static_cast<const char*>(zero) - bytes) : stored};
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

void FString::Serialize(SerializeContext* context) {
  Tessel::WithConcreteSerializer(*context->serializer,
                                 [&](auto& serializer) { SerializeOn(serializer, context); });
}

template <typename Serializer>
void FString::SerializeOn(Serializer& serializer, SerializeContext* context) {
  // The UTF-16 form's code units, terminator included, when that is the
  // form on disk.
  std::u16string units;
  if (context->isSaving) {
    // The text is written up to its first zero byte, with exactly one
    // terminator, even when the buffer holds none.
    const std::string_view value = Value();
    if (!IsSevenBit(value)) units = platform::NarrowToWide(value) + u'\0';
    const size_t measured = value.size();
    text.resize(measured + 1);
    text[measured] = 0;
    length = static_cast<uint32_t>(measured + 1);
  }
  // A failed read leaves the count as it was: the text's own length.
  int32_t count =
      units.empty() ? static_cast<int32_t>(length) : -static_cast<int32_t>(units.size());
  serializer.Serialize(&count, sizeof count, true);

  if (count >= 0) {
    if (context->isLoading) {
      // A length the file cannot hold is refused before the text is made.
      if (!serializer.CanHold(count, 1, "length")) return;
      length = static_cast<uint32_t>(count);
      text.assign(length, 0);
    }
    SerializeArrayOn(serializer, text.data(), length, 1);
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
    const std::string value = platform::WideToNarrow(units.c_str());
    text.assign(value.begin(), value.end());
    text.push_back(0);
    length = static_cast<uint32_t>(text.size());
  }
}

std::string_view FStringArray::operator[](size_t i) const {
  const size_t start = i == 0 ? 0 : ends_[i - 1];
  return std::string_view(text_).substr(start, ends_[i] - start);
}

void FStringArray::push_back(std::string_view value) {
  text_ += value;
  ends_.push_back(text_.size());
  encodedSize_ += FString::kMinEncodedSize + value.size() + 1;
}

void FStringArray::Serialize(SerializeContext* context) {
  Tessel::WithConcreteSerializer(*context->serializer,
                                 [&](auto& serializer) { SerializeOn(serializer, context); });
}

template <typename Serializer>
void FStringArray::SerializeOn(Serializer& serializer, SerializeContext* context) {
  auto count = static_cast<int32_t>(ends_.size());
  serializer.Serialize(&count, sizeof count, true);
  // One element, made anew for each string but keeping its buffer.
  FString element;
  if (context->isSaving) {
    for (size_t i = 0; i < ends_.size(); ++i) {
      const std::string_view value = (*this)[i];
      element.text.assign(value.begin(), value.end());
      element.length = static_cast<uint32_t>(value.size());
      element.SerializeOn(serializer, context);
    }
    return;
  }
  // As TArray does: checked before anything grows.
  if (!serializer.CanHold(count, FString::kMinEncodedSize, "count")) return;
  text_.clear();
  ends_.clear();
  encodedSize_ = 0;
  ends_.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    element.text.clear();
    element.length = 0;
    element.SerializeOn(serializer, context);
    text_ += element.Value();
    ends_.push_back(text_.size());
    encodedSize_ += FString::kMinEncodedSize + element.length;
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
