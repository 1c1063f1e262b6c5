#include "app/save_file.h"

#include <cstring>

#include "platform/platform.h"
#include "serializer/serializer.h"

namespace modpaths {
namespace {

constexpr int64_t kTooLargeTemplate = int64_t{1} << 31;  // 2 GiB
constexpr uint8_t kClosingMarker[13] = {0x05, 0x00, 0x00, 0x00, 'N',  'o', 'n',
                                        'e',  0x00, 0x00, 0x00, 0x00, 0x00};

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

// Every byte of the template and of each path goes to the writer singly.
template <typename Writer>
void WriteSave(Writer& writer, const std::vector<uint8_t>& templateBytes,
               const std::vector<std::string>& paths) {
  for (uint8_t byte : templateBytes) writer.Serialize(&byte, 1, true);
  auto count = static_cast<int32_t>(paths.size());
  writer.Serialize(&count, sizeof count, true);
  for (const std::string& path : paths) {
    auto length = static_cast<int32_t>(path.size() + 1);
    writer.Serialize(&length, sizeof length, true);
    // c_str() keeps the terminating zero byte, which the record includes.
    const char* bytes = path.c_str();
    for (int32_t i = 0; i < length; ++i) {
      char byte = bytes[i];
      writer.Serialize(&byte, 1, true);
    }
  }
  for (uint8_t byte : kClosingMarker) writer.Serialize(&byte, 1, true);
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
  for (uint32_t i = 0; i < length; ++i) reader.Serialize(&bytes[i], 1, true);
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
    Tessel::BaseSerializer& writer = *context.serializer;
    // A Write context holds a disk writer; naming its type makes each
    // one-byte call a direct, inlined one.
    if (auto* disk = dynamic_cast<Tessel::DiskWriter*>(&writer)) {
      WriteSave(*disk, templateBytes, paths);
    } else {
      WriteSave(writer, templateBytes, paths);
    }
    writer.Close();
    written = !writer.IsFailed();
  }

  if (written && platform::RenameOver(temporary, outputPath)) return true;
  platform::RemoveFile(temporary);
  return false;
}

namespace {

DecodedSave DecodeAt(const std::vector<uint8_t>& save, uint64_t start, bool keepPaths) {
  DecodedSave decoded;
  decoded.listOffset = static_cast<int64_t>(start);
  uint64_t at = start;
  auto fail = [&](std::string problem) {
    decoded.problem = std::move(problem);
    decoded.problemOffset = static_cast<int64_t>(at);
    return decoded;
  };
  auto word = [&](int32_t& value) {
    if (save.size() - at < 4) return false;
    std::memcpy(&value, &save[at], 4);
    at += 4;
    return true;
  };
  if (start > save.size()) {
    at = save.size();
    return fail("the file is shorter than the template");
  }
  if (!word(decoded.count)) return fail("the path count is cut short");
  if (decoded.count < 0)
    return fail("the path count is negative: " + std::to_string(decoded.count));
  for (int32_t i = 0; i < decoded.count; ++i) {
    const uint64_t recordStart = at;
    int32_t length = 0;
    if (!word(length)) return fail("path " + std::to_string(i) + ": the length is cut short");
    if (length < 1 || static_cast<uint64_t>(length) > save.size() - at) {
      at = recordStart;
      return fail("path " + std::to_string(i) + ": length " + std::to_string(length) +
                  " does not fit in the " + std::to_string(save.size() - recordStart - 4) +
                  " bytes left");
    }
    const auto* text = reinterpret_cast<const char*>(&save[at]);
    const auto size = static_cast<size_t>(length) - 1;
    if (text[size] != 0 || std::memchr(text, 0, size) != nullptr) {
      at = recordStart;
      return fail("path " + std::to_string(i) + ": not one zero-terminated string of length " +
                  std::to_string(length));
    }
    if (keepPaths) decoded.paths.emplace_back(text, size);
    at += static_cast<uint64_t>(length);
  }
  if (save.size() - at < sizeof kClosingMarker ||
      std::memcmp(&save[at], kClosingMarker, sizeof kClosingMarker) != 0) {
    return fail("no closing marker after the last path");
  }
  at += sizeof kClosingMarker;
  if (at != save.size())
    return fail(std::to_string(save.size() - at) + " bytes after the closing marker");
  decoded.valid = true;
  return decoded;
}

}  // namespace

DecodedSave DecodeModPathsSave(const std::vector<uint8_t>& save,
                               std::optional<uint64_t> templateSize) {
  if (templateSize) return DecodeAt(save, *templateSize, true);
  // The marker ends the file: try every start that leaves room for a count
  // and the marker; the paths are kept only for the start that fits.
  for (uint64_t start = 0; start + 4 + sizeof kClosingMarker <= save.size(); ++start) {
    if (DecodeAt(save, start, false).valid) return DecodeAt(save, start, true);
  }
  DecodedSave decoded;
  decoded.problem = "no count, records and closing marker end the file";
  decoded.problemOffset = 0;
  return decoded;
}

}  // namespace modpaths
