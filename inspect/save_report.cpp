#include "inspect/save_report.h"

#include <string>

#include "inspect/game.h"
#include "inspect/inspect.h"
#include "platform/file_system.h"

namespace inspect {

std::string EightBitPathsMessage(const modpaths::DecodedSave& decoded) {
  return Count(static_cast<uint64_t>(decoded.eightBitPaths), "package path holds",
               "package paths hold") +
         " characters beyond ASCII as 8-bit bytes (written by modpaths 1.0.0): the game reads "
         "each of them as \"?\" and does not find the asset";
}

std::string TemplateChangedMessage(uint64_t offset) {
  return "SourceSave.sav has changed since the save was written (a game or mod manager update): "
         "the save does not start with it; they first differ at offset " +
         std::to_string(offset);
}

Json InspectSave(const std::optional<std::string>& file,
                 const std::optional<std::string>& templatePath) {
  Json doc = Document("save");
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
  std::optional<uint64_t> differs;
  if (templatePath) {
    std::vector<uint8_t> templ;
    if (!modpaths::ReadSaveTemplate(*templatePath, templ)) {
      Problems::PutError(doc, "cannot-open", "cannot read " + *templatePath);
      return doc;
    }
    differs = modpaths::FirstDifferenceFromTemplate(save, templ);
    doc["template"] = Json{{"file", *templatePath}, {"size", templ.size()}, {"matches", !differs}};
    templateSize = templ.size();
    if (save == templ) {
      problems.Add("not-a-save", path + " holds exactly the template's bytes: it is a copy of "
                                        "SourceSave.sav, not a save modpaths wrote");
    } else if (differs) {
      problems.Add("template-changed", TemplateChangedMessage(*differs));
    }
  } else {
    doc["template"] = nullptr;
  }
  // The template is never the save: its name says so, whatever it holds.
  const bool isTemplate =
      modpaths::SameLetters(platform::BaseName(path, platform::kNativePaths), "SourceSave.sav");
  if (isTemplate && problems.empty()) {
    problems.Add("not-a-save", path + " is the template modpaths copies, not the save it writes");
  }

  // A list sought after the wrong template, or in the template itself,
  // would only be reported as damage.
  if (!problems.empty()) {
    doc["valid"] = false;
    doc["listOffset"] = nullptr;
    doc["count"] = nullptr;
    doc["paths"] = Json::array();
    doc["damage"] = nullptr;
    doc["eightBitPaths"] = 0;
    problems.Put(doc);
    return doc;
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
