#include <string>

#include "app/save_file.h"
#include "inspect/inspect.h"

namespace inspect {

std::string EightBitPathsMessage(const modpaths::DecodedSave& decoded) {
  const int32_t n = decoded.eightBitPaths;
  return std::to_string(n) + (n == 1 ? " package path holds" : " package paths hold") +
         " characters beyond ASCII as 8-bit bytes (written by modpaths 1.0.0): the game reads "
         "each of them as \"?\" and does not find the asset; run modpaths.exe again";
}

Json InspectSave(const std::optional<std::string>& file,
                 const std::optional<std::string>& templatePath) {
  Json doc{{"command", "save"}};
  const std::optional<std::string> found = file ? file : DefaultSave();
  if (!found) {
    Problems::PutError(doc, "no-saved-games", "the Saved Games folder cannot be found");
    return doc;
  }
  const std::string& path = *found;
  doc["file"] = path;
  std::vector<uint8_t> save;
  if (!modpaths::ReadSaveTemplate(path, save)) {
    Problems::PutError(doc, "cannot-open", "cannot read " + path);
    return doc;
  }
  doc["size"] = save.size();

  Problems problems;
  std::optional<uint64_t> templateSize;
  if (templatePath) {
    std::vector<uint8_t> templ;
    if (!modpaths::ReadSaveTemplate(*templatePath, templ)) {
      Problems::PutError(doc, "cannot-open", "cannot read " + *templatePath);
      return doc;
    }
    size_t differs = 0;
    while (differs < templ.size() && differs < save.size() && templ[differs] == save[differs])
      ++differs;
    const bool matches = differs == templ.size();
    doc["template"] = Json{{"file", *templatePath}, {"size", templ.size()}, {"matches", matches}};
    if (!matches) {
      problems.Add("template-mismatch",
                   "the save does not start with the template: they differ at offset " +
                       std::to_string(differs));
    }
    templateSize = templ.size();
  } else {
    doc["template"] = nullptr;
  }

  const modpaths::DecodedSave decoded = modpaths::DecodeModPathsSave(save, templateSize);
  doc["valid"] = decoded.valid;
  doc["listOffset"] = decoded.valid || templateSize ? Json(decoded.listOffset) : Json(nullptr);
  doc["count"] = decoded.count;
  doc["paths"] = decoded.paths;
  if (!decoded.valid) {
    doc["damage"] = Json{{"message", decoded.problem}, {"offset", decoded.problemOffset}};
    problems.Add("save-damaged",
                 decoded.problem + " (offset " + std::to_string(decoded.problemOffset) + ")");
  } else {
    doc["damage"] = nullptr;
  }
  doc["eightBitPaths"] = decoded.eightBitPaths;
  if (decoded.eightBitPaths > 0) problems.Add("eight-bit-paths", EightBitPathsMessage(decoded));
  problems.Put(doc);
  return doc;
}

}  // namespace inspect
