#pragma once

// modpaths-inspect: what the tool sees, from the tool's own code. Each
// command builds one report; the text and the JSON are both rendered from
// it, so both always say the same. The report is a JSON document, but for
// scan's entries and containers, which are typed (thousands of them).

#include <optional>
#include <string>
#include <vector>

#include "inspect/problems.h"
#include "inspect/scan_observer.h"

namespace inspect {

// The whole command line (the program's name first): what to print on
// standard output and standard error, and the exit status. `progress`, when
// given, hears how far the reading of a scan or check has come.
int RunCommandLine(std::vector<std::string> arguments, std::string& out, std::string& err,
                   const Progress& progress = {});

// "status" of every document: "ok", "problem" (exit 1) or "error" (the input
// could not be opened; exit 2).
int ExitCode(const Json& report);

// A game folder, when not given, is the game around the inspector (see
// FindGame); a save, when not given, the one modpaths writes for this user.
Json InspectToc(const std::string& path, bool listFiles);
// scan's report: the document, whose "entries", "containers" and
// "packagePaths" are kept typed apart from it until ScanJson puts them in.
struct ScanReport {
  Json doc;
  std::vector<EntryReport> entries;
  std::vector<ContainerReport> containers;
  std::vector<PathList> packagePaths;  // what the tool writes, container by container
};
ScanReport InspectScan(const std::optional<std::string>& gameFolder,
                       const Progress& progress = {});
Json ScanJson(ScanReport report);
Json InspectSave(const std::optional<std::string>& path,
                 const std::optional<std::string>& templatePath);
// Whether the save holds what modpaths would write for the game now, and
// whatever stops modpaths.exe from writing it.
Json InspectCheck(const std::optional<std::string>& gameFolder,
                  const std::optional<std::string>& savePath, const Progress& progress = {});

std::string RenderToc(const Json& report);
std::string RenderScan(const ScanReport& report);
std::string RenderSave(const Json& report);
std::string RenderCheck(const Json& report);
// check's verdict in a few lines: whether the save is up to date, and the
// problems by their codes, the first of them in words.
std::string RenderCheckVerdict(const Json& report);

}  // namespace inspect
