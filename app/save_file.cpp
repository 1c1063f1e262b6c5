#include "app/save_file.h"

#include "platform/platform.h"
#include "serializer/serializer.h"

namespace modpaths {
namespace {

constexpr int64_t kLargestTemplate = INT32_MAX;  // below 2 GiB
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

}  // namespace

bool ReadSaveTemplate(const std::string& path, std::vector<uint8_t>& bytes) {
  Tessel::SerializeContext context;
  context.Open(path, Tessel::OpenMode::Read);
  Tessel::BaseSerializer& reader = *context.serializer;
  const int64_t size = reader.GetSize();
  if (size < 0 || size >= kLargestTemplate) return false;
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

    writer.Close();
    written = !writer.IsFailed();
  }

  if (written && platform::RenameOver(temporary, outputPath)) return true;
  platform::RemoveFile(temporary);
  return false;
}

}  // namespace modpaths
