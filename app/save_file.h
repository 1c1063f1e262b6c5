#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "serializer/serializable.h"
#include "serializer/serializer.h"

namespace modpaths {

// The output save is the template's bytes, verbatim, followed by:
//
//   int32  N                 number of package paths
//   N x FString              each path: a 7-bit path as int32 L (length + 1)
//                            and L bytes, the path and one zero byte; any
//                            other as int32 -U and U UTF-16LE units, the
//                            path and one zero unit (the engine reads 8-bit
//                            bytes at or above 0x80 as "?")
//   13 bytes                 05 00 00 00 'N' 'o' 'n' 'e' 00 00 00 00 00
//
// The count and records are a TArray of FString; the marker is the FString
// "None" and a zero word. Nothing inside the template is read or adjusted.

// Reads the whole template. False when it is not a readable regular file,
// is 2 GiB or larger, or cannot be read to its end.
bool ReadSaveTemplate(const std::string& path, std::vector<uint8_t>& bytes);

// Writes a save as its paths come, one at a time, so that they are never
// held: the template, the list, the marker. The list is a TArray of
// FString, whose count comes first: it is written last, over a placeholder,
// so the context must be able to seek back (memory and disk writers can).
class SaveEncoder {
 public:
  SaveEncoder(Tessel::SerializeContext& context, const std::vector<uint8_t>& templateBytes);
  SaveEncoder(const SaveEncoder&) = delete;
  SaveEncoder& operator=(const SaveEncoder&) = delete;

  void Add(std::string_view path);
  // Ends the save; the context is left open.
  void Finish();

 private:
  Tessel::SerializeContext& context_;
  int64_t countAt_ = 0;
  int32_t count_ = 0;
};

// The save's bytes for the template and the paths.
std::vector<uint8_t> EncodeModPathsSave(const std::vector<uint8_t>& templateBytes,
                                        const std::vector<std::string>& paths);

// Where writing a save stopped, and the system's reason.
struct SaveFailure {
  enum class Step {
    None,
    CreateTemporary,  // the folder takes no new file (read-only, or the disk is full)
    Write,            // writing or syncing it failed (the disk is full, most likely)
    Replace,          // the rename over the save failed (IsRefused: read-only, or held)
  } step = Step::None;
  int systemError = 0;  // platform::ErrorText, platform::IsNoSpace; 0 when not known
};

// Writes the save to a temporary file beside `outputPath` while `collect`
// hands its paths to the encoder, makes it reach the disk, then replaces
// the output with it in one rename (platform::ReplacingFile). On any failure, a thrown one too, the
// temporary file is removed and an existing output stays exactly as it
// was; when no temporary file can be made, `collect` is not called. True
// when the output was replaced; otherwise `why`, when given, says why.
bool StreamModPathsSave(const std::string& outputPath, const std::vector<uint8_t>& templateBytes,
                        const std::function<void(SaveEncoder&)>& collect,
                        SaveFailure* why = nullptr);

// StreamModPathsSave of a list.
bool WriteModPathsSave(const std::string& outputPath, const std::vector<uint8_t>& templateBytes,
                       const std::vector<std::string>& paths);

// A save taken apart again, for tools that check one.
struct DecodedSave {
  bool valid = false;
  int64_t listOffset = -1;  // where the count stands: the template's size
  int32_t count = 0;
  std::vector<std::string> paths;
  // Paths beyond 7-bit stored as 8-bit bytes, as modpaths 1.0.0 wrote them:
  // the game reads those characters as "?".
  int32_t eightBitPaths = 0;
  // When not valid: what is wrong, and at which byte.
  std::string problem;
  int64_t problemOffset = -1;
};

// Where a save first differs from the template it must start with (its
// size, when the save is shorter), or nothing when it starts with it.
std::optional<uint64_t> FirstDifferenceFromTemplate(const std::vector<uint8_t>& save,
                                                    const std::vector<uint8_t>& templateBytes);

// Decodes the list after `templateSize` bytes of template. Without a size,
// the list is taken to start at the earliest offset from which the count,
// records as the writer makes them, and marker take up exactly the rest of
// the file.
DecodedSave DecodeModPathsSave(const std::vector<uint8_t>& save,
                               std::optional<uint64_t> templateSize);

}  // namespace modpaths
