#include "app/save_file.h"

#include <algorithm>
#include <cstring>

#include "platform/platform.h"
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

// Everything after the template: the paths as a TArray of FString, then the
// closing marker. The template's bytes go out one per call, like every byte
// buffer.
void SerializeSave(Tessel::SerializeContext* context, const std::vector<uint8_t>& templateBytes,
                   const std::vector<std::string>& paths) {
  // Saving only reads the buffer it is given.
  IoStore::SerializeArray(context, const_cast<uint8_t*>(templateBytes.data()), templateBytes.size(),
                          1);
  IoStore::TArray<FString>::SaveEach(context, static_cast<int32_t>(paths.size()), [&](int32_t i) {
    return FString(paths[static_cast<size_t>(i)]);
  });
  ClosingMarker().Serialize(context);
}

// Claims a new file beside `outputPath` that no one else is using.
bool CreateTemporaryFile(const std::string& outputPath, std::string& temporary) {
  const std::string stem = outputPath + "." + std::to_string(platform::ProcessId());
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = stem + (attempt == 0 ? "" : "-" + std::to_string(attempt)) + ".tmp";
    platform::File file;
    if (file.Open(temporary, platform::FileMode::CreateNew)) return true;
    if (!platform::PathExists(temporary)) return false;  // the folder refuses files
  }
  return false;
}

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

bool WriteModPathsSave(const std::string& outputPath, const std::vector<uint8_t>& templateBytes,
                       const std::vector<std::string>& paths) {
  std::string temporary;
  if (!CreateTemporaryFile(outputPath, temporary)) return false;

  bool written;
  {
    Tessel::SerializeContext context;
    context.Open(temporary, Tessel::OpenMode::Write);
    SerializeSave(&context, templateBytes, paths);
    context.serializer->Close();
    written = !context.serializer->IsFailed();
  }

  if (written && platform::RenameOver(temporary, outputPath)) return true;
  platform::RemoveFile(temporary);
  return false;
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

// Reads the list through the records the writer used, element by element
// rather than as one TArray, so that a damaged record can be named. Every
// record must be byte for byte what the writer makes of its value, but for
// one older form, which is kept and counted: a path beyond 7-bit stored as
// 8-bit bytes, as modpaths 1.0.0 wrote it.
DecodedSave DecodeAt(const std::vector<uint8_t>& save, uint64_t start, bool keepPaths) {
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
    const std::string which = "path " + std::to_string(i) + ": ";
    int32_t stored = 0;
    std::memcpy(&stored, save.data() + at,
                std::min<size_t>(4, save.size() - static_cast<size_t>(at)));
    FString path;
    path.Serialize(&context);
    if (reader.IsFailed()) {
      if (reader.Failure().kind != Tessel::FailureKind::Refused)
        return fail(which + "the length is cut short");
      const std::string units = stored < 0 ? " UTF-16 units" : "";
      return fail(which + "length " + std::to_string(reader.Failure().value) + units +
                  " does not fit in the " + std::to_string(size - at - 4) + " bytes left");
    }
    const std::string_view value = path.Value();
    FString canonical(value);
    if (!WrittenAs(save, at, reader.Tell(), canonical)) {
      const bool oneTerminated = stored >= 0 && value.size() + 1 == path.length;
      if (oneTerminated && !FString::IsSevenBit(value)) {
        ++decoded.eightBitPaths;
      } else if (stored >= 0) {
        return fail(which + "not one zero-terminated string of length " +
                    std::to_string(path.length));
      } else {
        return fail(which + "not the UTF-16 form modpaths writes (" +
                    std::to_string(-int64_t{stored}) + " units)");
      }
    }
    if (keepPaths) decoded.paths.emplace_back(value);
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

}  // namespace

std::vector<uint8_t> EncodeModPathsSave(const std::vector<uint8_t>& templateBytes,
                                        const std::vector<std::string>& paths) {
  std::vector<uint8_t> bytes;
  Tessel::SerializeContext context;
  context.OpenMemory(&bytes);
  SerializeSave(&context, templateBytes, paths);
  return bytes;
}

DecodedSave DecodeModPathsSave(const std::vector<uint8_t>& save,
                               std::optional<uint64_t> templateSize) {
  if (templateSize) return DecodeAt(save, *templateSize, true);
  // The marker ends the file: try every start that leaves room for a count
  // and the marker; the paths are kept only for the start that fits.
  for (uint64_t start = 0; start + 4 + ClosingMarker::kEncodedSize <= save.size(); ++start) {
    if (DecodeAt(save, start, false).valid) return DecodeAt(save, start, true);
  }
  DecodedSave decoded;
  decoded.problem = "no count, records and closing marker end the file";
  decoded.problemOffset = 0;
  return decoded;
}

}  // namespace modpaths
