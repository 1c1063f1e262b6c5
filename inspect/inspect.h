#pragma once

// modpaths-inspect: what the tool sees, from the tool's own code. Each
// command builds one JSON document; the text output is rendered from it, so
// both always say the same.

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "extract/directory_walk.h"
#include "iostore/toc_resource.h"

namespace inspect {

using Json = nlohmann::ordered_json;

// "status" of every document: "ok", "problem" (exit 1) or "error" (the input
// could not be opened; exit 2).
int ExitCode(const Json& report);

Json InspectToc(const std::string& path, bool listFiles);
Json InspectScan(const std::string& folder);
Json InspectSave(const std::string& path, const std::optional<std::string>& templatePath);
// Whether the save on disk (by default the one the tool writes for this
// user) holds what modpaths would write for `folder` now.
Json InspectCheck(const std::string& folder, const std::optional<std::string>& savePath);

std::string RenderToc(const Json& report);
std::string RenderScan(const Json& report);
std::string RenderSave(const Json& report);
std::string RenderCheck(const Json& report);

// Shared by the toc and scan reports: how reading went, what the walk met.
Json ReadJson(const IoStore::TocReadReport& report);
Json WalkJson(const modpaths::WalkAnomalies& walk);
// Plain-language problems found in a container's read and walk.
void AddContainerProblems(const IoStore::TocReadReport& report, const modpaths::WalkAnomalies& walk,
                          size_t packagePaths, bool encrypted, Json& problems);

// The paks folder of a game folder (its Content/Paks), or the folder itself
// when it has none.
std::string PaksFolderOf(const std::string& folder);

}  // namespace inspect
