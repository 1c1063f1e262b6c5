#include "app/save_file.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "platform/file_system.h"
#include "platform/replacing_file.h"
#include "serializer/serializable.h"
#include "serializer/serializer.h"

namespace modpaths {
namespace {

using IoStore::FString;

constexpr int64_t kTooLargeTemplate = int64_t{1} << 31;  // 2 GiB

// What ends the list.
// Layout: the FString "None" (uint32 5, "None", a zero byte), then a uint32
// zero.
class ClosingMarker : public IoStore::SerializableClass {
 public:
  static constexpr uint64_t kEncodedSize = 13;

  void Serialize(Tessel::SerializeContext* context) override {
    name.Serialize(context);
    context->serializer->Serialize(&zero, sizeof zero, true);
  }

  FString name{"None"};
  uint32_t zero = 0;
};

}  // namespace

bool ReadSaveTemplate(const std::string& path, std::vector<uint8_t>& bytes) {
  Tessel::SerializeContext context;
  context.Open(path, Tessel::OpenMode::Read);
  Tessel::BaseSerializer& reader = *context.serializer;
  const int64_t size = reader.GetSize();
  if (size < 0 || size >= kTooLargeTemplate) return false;
  const auto length = static_cast<uint32_t>(size);
  bytes.assign(length, 0);
  IoStore::SerializeArray(&context, bytes.data(), length, 1);
  reader.Close();
  return !reader.IsFailed();
}

SaveEncoder::SaveEncoder(Tessel::SerializeContext& context,
                         const std::vector<uint8_t>& templateBytes)
    : context_(context) {
  // Saving only reads the buffer it is given.
  IoStore::SerializeArray(&context_, const_cast<uint8_t*>(templateBytes.data()),
                          templateBytes.size(), 1);
  countAt_ = context_.serializer->Tell();
  context_.serializer->Serialize(&count_, sizeof count_, true);
}

void SaveEncoder::Add(std::string_view path) {
  FString::Save(&context_, path);
  ++count_;
}

void SaveEncoder::Finish() {
  ClosingMarker().Serialize(&context_);
  context_.serializer->Seek(countAt_);
  context_.serializer->Serialize(&count_, sizeof count_, true);
}

bool StreamModPathsSave(const std::string& outputPath, const std::vector<uint8_t>& templateBytes,
                        const std::function<void(SaveEncoder&)>& collect, SaveFailure* why) {
  SaveFailure ignored;
  SaveFailure& failure = why ? *why : ignored;
  failure = {};
  platform::ReplacingFile replacing;
  if (!replacing.Create(outputPath)) {
    failure.step = SaveFailure::Step::CreateTemporary;
    failure.systemError = replacing.Error();
    return false;
  }
  // Written through a handle of the serializer's own, which syncs as it
  // closes; the claim stays with `replacing` until the rename. Whatever
  // fails or throws, `replacing` removes the temporary file as it goes.
  Tessel::SerializeContext context;
  context.Open(replacing.temporary(), Tessel::OpenMode::Write);
  if (!context.serializer->IsFailed()) {
    try {
      SaveEncoder save(context, templateBytes);
      collect(save);
      save.Finish();
    } catch (...) {
      context.serializer->Close();
      throw;
    }
  }
  context.serializer->Close();
  if (context.serializer->IsFailed()) {
    failure.step = SaveFailure::Step::Write;
    failure.systemError = context.serializer->Failure().systemError;
    return false;
  }
  if (!replacing.Commit()) {
    failure.step = SaveFailure::Step::Replace;
    failure.systemError = replacing.Error();
    return false;
  }
  return true;
}

bool WriteModPathsSave(const std::string& outputPath, const std::vector<uint8_t>& templateBytes,
                       const std::vector<std::string>& paths) {
  return StreamModPathsSave(outputPath, templateBytes, [&](SaveEncoder& save) {
    for (const std::string& path : paths) save.Add(path);
  });
}

namespace {

// Whether save[from, to) holds exactly what saving `record` writes.
bool WrittenAs(const std::vector<uint8_t>& save, int64_t from, int64_t to,
               IoStore::SerializableClass& record) {
  std::vector<uint8_t> expected;
  Tessel::SerializeContext context;
  context.OpenMemory(&expected);
  record.Serialize(&context);
  return from >= 0 && to >= from && static_cast<uint64_t>(to - from) == expected.size() &&
         std::equal(expected.begin(), expected.end(), save.begin() + from);
}

// One path record at the reader's position, read through the record the
// writer uses. It must be byte for byte what the writer makes of its value,
// but for one older form, which is kept and counted: a path beyond 7-bit
// stored as 8-bit bytes, as modpaths 1.0.0 wrote it. `problem` is empty
// when the record is good.
struct PathRecord {
  std::string value;
  bool eightBit = false;
  std::string problem;
};

PathRecord ReadPathRecord(const std::vector<uint8_t>& save, Tessel::SerializeContext& context) {
  Tessel::BaseSerializer& reader = *context.serializer;
  const int64_t at = reader.Tell();
  PathRecord record;
  int32_t stored = 0;
  if (at >= 0) {
    std::memcpy(&stored, save.data() + at,
                std::min<size_t>(4, save.size() - static_cast<size_t>(at)));
  }
  FString path;
  path.Serialize(&context);
  if (reader.IsFailed()) {
    if (reader.Failure().kind != Tessel::FailureKind::Refused) {
      record.problem = "the length is cut short";
    } else {
      record.problem = "length " + std::to_string(reader.Failure().value) +
                       (stored < 0 ? " UTF-16 units" : "") + " does not fit in the " +
                       std::to_string(static_cast<int64_t>(save.size()) - at - 4) + " bytes left";
    }
    return record;
  }
  record.value = std::string(path.Value());
  // The writer's 7-bit form is the count, the text and one zero, which the
  // record is exactly when its text holds no other zero: told without
  // writing it again, as it is for nearly every path.
  const bool sevenBitForm = stored > 0 && record.value.size() + 1 == static_cast<size_t>(stored) &&
                            FString::IsSevenBit(record.value);
  FString canonical;
  if (!sevenBitForm && !WrittenAs(save, at, reader.Tell(), canonical = FString(record.value))) {
    const bool oneTerminated = stored >= 0 && record.value.size() + 1 == path.length;
    if (oneTerminated && !FString::IsSevenBit(record.value)) {
      record.eightBit = true;
    } else if (stored >= 0) {
      record.problem = "not one zero-terminated string of length " + std::to_string(path.length);
    } else {
      record.problem =
          "not the UTF-16 form modpaths writes (" + std::to_string(-int64_t{stored}) + " units)";
    }
  }
  return record;
}

// Reads the list after `start` element by element rather than as one
// TArray, so that a damaged record can be named.
DecodedSave DecodeAt(const std::vector<uint8_t>& save, uint64_t start) {
  DecodedSave decoded;
  decoded.listOffset = static_cast<int64_t>(start);
  Tessel::SerializeContext context;
  context.OpenMemory(save.data(), save.size());
  Tessel::BaseSerializer& reader = *context.serializer;
  const auto size = static_cast<int64_t>(save.size());
  int64_t at = static_cast<int64_t>(start);
  auto fail = [&](std::string problem) {
    decoded.problem = std::move(problem);
    decoded.problemOffset = at;
    return decoded;
  };
  if (start > save.size()) {
    at = size;
    return fail("the file is shorter than the template");
  }
  reader.Seek(at);
  reader.Serialize(&decoded.count, sizeof decoded.count, true);
  if (reader.IsFailed()) return fail("the path count is cut short");
  if (decoded.count < 0)
    return fail("the path count is negative: " + std::to_string(decoded.count));
  at = reader.Tell();
  for (int32_t i = 0; i < decoded.count; ++i) {
    PathRecord path = ReadPathRecord(save, context);
    if (!path.problem.empty()) return fail("path " + std::to_string(i) + ": " + path.problem);
    if (path.eightBit) ++decoded.eightBitPaths;
    decoded.paths.push_back(std::move(path.value));
    at = reader.Tell();
  }
  ClosingMarker marker;
  marker.name = FString();
  marker.Serialize(&context);
  ClosingMarker expected;
  if (reader.IsFailed() || !WrittenAs(save, at, reader.Tell(), expected))
    return fail("no closing marker after the last path");
  at = reader.Tell();
  if (at != size) return fail(std::to_string(size - at) + " bytes after the closing marker");
  decoded.valid = true;
  return decoded;
}

// Where the list starts in a save whose template size is not known: the
// earliest offset whose count is the number of records that lead from it
// exactly to the closing marker, each one as the writer makes it (or in the
// 1.0.0 form the decoder accepts). Searching back from the marker, whether
// the record at an offset is well formed is known at once from where the
// next zero byte, and in its UTF-16 units the next zero, non-ASCII and
// unpaired-surrogate unit, stand after its text starts; those are kept up
// to date as the search moves back. So the search takes time in proportion
// to the file, and the decoder then reads the list through the records.
std::optional<uint64_t> FindListStart(const std::vector<uint8_t>& save) {
  if (save.size() < 4 + ClosingMarker::kEncodedSize) return std::nullopt;
  const auto marker = static_cast<int64_t>(save.size() - ClosingMarker::kEncodedSize);
  ClosingMarker closing;
  if (!WrittenAs(save, marker, static_cast<int64_t>(save.size()), closing)) return std::nullopt;
  auto word = [&](int64_t at) {
    int32_t value;
    std::memcpy(&value, save.data() + at, 4);
    return value;
  };
  auto unit = [&](int64_t at) {
    return static_cast<char16_t>(save[static_cast<size_t>(at)] |
                                 save[static_cast<size_t>(at) + 1] << 8);
  };
  auto isHigh = [](char16_t u) { return u >= 0xD800 && u <= 0xDBFF; };
  auto isLow = [](char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; };
  // A surrogate without its partner, wherever a string around it starts.
  auto unpaired = [&](int64_t at) {
    const char16_t u = unit(at);
    if (isHigh(u)) return at + 3 >= marker || !isLow(unit(at + 2));
    if (isLow(u)) return at < 2 || !isHigh(unit(at - 2));
    return false;
  };
  // The first position at or after the text's start, or the marker; units
  // by the parity of their offset.
  int64_t zeroByte = marker;
  int64_t zeroUnit[2] = {marker, marker};
  int64_t wideUnit[2] = {marker, marker};
  int64_t badUnit[2] = {marker, marker};
  // How many good records lead from an offset exactly to the marker.
  std::unordered_map<int64_t, int32_t> records{{marker, 0}};
  std::optional<uint64_t> start;
  for (int64_t at = marker - 4; at >= 0; --at) {
    const int64_t text = at + 4;
    const size_t parity = static_cast<size_t>(text & 1);
    if (text < marker && save[static_cast<size_t>(text)] == 0) zeroByte = text;
    if (text + 1 < marker) {
      const char16_t u = unit(text);
      if (u == 0) zeroUnit[parity] = text;
      if (u >= 0x80) wideUnit[parity] = text;
      if (unpaired(text)) badUnit[parity] = text;
    }

    const auto chain = records.find(text);
    if (chain != records.end() && word(at) == chain->second) start = static_cast<uint64_t>(at);

    const int32_t stored = word(at);
    if (stored == 0 || stored == INT32_MIN) continue;
    const int64_t bytes = stored < 0 ? -2 * int64_t{stored} : int64_t{stored};
    if (bytes > marker - text) continue;
    const int64_t last = text + bytes - (stored < 0 ? 2 : 1);  // its terminator
    // 8 bits: one zero, at the end. UTF-16: one zero unit, at the end, some
    // unit beyond ASCII (else the writer picks 8 bits), no lone surrogate.
    const bool wellFormed = stored > 0 ? zeroByte == last
                                       : zeroUnit[parity] == last && wideUnit[parity] < last &&
                                             badUnit[parity] > last && !isLow(unit(text));
    if (!wellFormed) continue;
    const auto next = records.find(text + bytes);
    if (next != records.end() && next->second != INT32_MAX) records[at] = next->second + 1;
  }
  return start;
}

}  // namespace

std::optional<uint64_t> FirstDifferenceFromTemplate(const std::vector<uint8_t>& save,
                                                    const std::vector<uint8_t>& templateBytes) {
  const auto differ =
      std::mismatch(templateBytes.begin(), templateBytes.end(), save.begin(), save.end());
  if (differ.first == templateBytes.end()) return std::nullopt;
  return static_cast<uint64_t>(differ.first - templateBytes.begin());
}

std::vector<uint8_t> EncodeModPathsSave(const std::vector<uint8_t>& templateBytes,
                                        const std::vector<std::string>& paths) {
  std::vector<uint8_t> bytes;
  bytes.reserve(templateBytes.size() + 4 + ClosingMarker::kEncodedSize);
  Tessel::SerializeContext context;
  context.OpenMemory(&bytes);
  SaveEncoder encoder(context, templateBytes);
  for (const std::string& path : paths) encoder.Add(path);
  encoder.Finish();
  return bytes;
}

DecodedSave DecodeModPathsSave(const std::vector<uint8_t>& save,
                               std::optional<uint64_t> templateSize) {
  if (templateSize) return DecodeAt(save, *templateSize);
  if (const std::optional<uint64_t> start = FindListStart(save)) return DecodeAt(save, *start);
  DecodedSave decoded;
  decoded.problem = "no count, records and closing marker end the file";
  decoded.problemOffset = 0;
  return decoded;
}

}  // namespace modpaths
