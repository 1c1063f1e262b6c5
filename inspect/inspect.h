#pragma once

// modpaths-inspect: what the tool sees, from the tool's own code. Each
// command builds one JSON document; the text output is rendered from it, so
// both always say the same.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/discovery.h"
#include "app/paths.h"
#include "app/save_file.h"
#include "extract/directory_walk.h"
#include "iostore/toc_resource.h"

namespace inspect {

using Json = nlohmann::ordered_json;

// The whole command line (the program's name first): what to print on
// standard output and standard error, and the exit status.
int RunCommandLine(std::vector<std::string> arguments, std::string& out, std::string& err);

// "status" of every document: "ok", "problem" (exit 1) or "error" (the input
// could not be opened; exit 2).
int ExitCode(const Json& report);

// A game folder, when given, is any folder of the game a player might name
// (see modpaths::ResolveGameFolder); when not, the game around the
// inspector, or else the current folder's. A save, when not given, is the
// one modpaths writes for this user.
Json InspectToc(const std::string& path, bool listFiles);
Json InspectScan(const std::optional<std::string>& gameFolder);
Json InspectSave(const std::optional<std::string>& path,
                 const std::optional<std::string>& templatePath);
// Whether the save holds what modpaths would write for the game now, and
// whatever stops modpaths.exe from writing it.
Json InspectCheck(const std::optional<std::string>& gameFolder,
                  const std::optional<std::string>& savePath);

// The game a command is about, as above; puts "folder" into `doc`, and on
// failure the error too.
std::optional<modpaths::GameFolders> FindGame(const std::optional<std::string>& given, Json& doc);
// The save modpaths writes for this user, found the way the tool finds it.
std::optional<std::string> DefaultSave();

std::string RenderToc(const Json& report);
std::string RenderScan(const Json& report);
std::string RenderSave(const Json& report);
std::string RenderCheck(const Json& report);

// Shared by the toc and scan reports: how reading went, what the walk met.
Json ReadJson(const IoStore::TocReadReport& report);
Json WalkJson(const modpaths::WalkAnomalies& walk, const IoStore::FIoStoreTocResource& toc,
              const IoStore::TocReadReport& report);
// Neither encrypted nor packed without an index.
bool IndexWasRead(const IoStore::FIoStoreTocResource& toc);
// What is wrong, as plain sentences ("problems") and, in the same order,
// each with a stable code for scripts ("problemDetails": {code, message}).
class Problems {
 public:
  void Add(std::string_view code, const std::string& message);
  // Another list's problems, each message after `prefix`.
  void Add(const Problems& other, const std::string& prefix);
  bool empty() const { return messages_.empty(); }
  const Json& Messages() const { return messages_; }
  const Json& Details() const { return details_; }
  // Sets problems, problemDetails and status: "problem" or "ok".
  void Put(Json& doc) const;
  // An input that cannot be used at all: status "error".
  static void PutError(Json& doc, std::string_view code, const std::string& message);

 private:
  Json messages_ = Json::array();
  Json details_ = Json::array();
};

// A problem names up to this many of the items it is about ...
inline constexpr size_t kExamples = 5;
// ... joined by ", ", then how many more of `total` there are.
std::string Examples(const std::vector<std::string>& items, size_t total);

// How reading ended and what the walk met, as problems.
void AddReadAndWalkProblems(const IoStore::TocReadReport& report,
                            const modpaths::WalkAnomalies& walk, Problems& problems);

// What a container's own bytes and its neighbours say, from the tool's own
// values: the read, the walk, the header, the paths, the companion files.
void DiagnoseContainer(const std::string& path, const IoStore::FIoStoreTocResource& toc,
                       const IoStore::TocReadReport& report, const modpaths::WalkAnomalies& walk,
                       const std::vector<std::string>& packagePaths, Problems& problems);

// Collects what discovery reports while the tool's own CollectModPaths runs:
// each entry's decision, each container's read and diagnosis, the placement
// and naming mistakes (a mod too deep, one named like a base-game container,
// a .utoc spelled otherwise) and, at the end, the conflicts between mods.
class ScanObserver : public modpaths::DiscoveryObserver {
 public:
  explicit ScanObserver(std::string paksFolder) : paks_(std::move(paksFolder)) {}

  void Listed(const std::string& path, modpaths::Decision decision) override;
  void Read(const std::string& path, const IoStore::FIoStoreTocResource& toc,
            const IoStore::TocReadReport& report, const modpaths::WalkAnomalies& walk,
            const std::vector<std::string>& packagePaths) override;
  // Once every container is read: the package paths two or more of them
  // give (a container that repeats its own paths is no conflict).
  void AddConflicts();

  Json entries = Json::array();
  Json containers = Json::array();
  std::vector<std::pair<std::string, std::vector<std::string>>> pathsByContainer;
  Problems problems;

 private:
  std::string paks_;
};

// Paths of a save stored the way modpaths 1.0.0 stored them, explained.
std::string EightBitPathsMessage(const modpaths::DecodedSave& decoded);

}  // namespace inspect
