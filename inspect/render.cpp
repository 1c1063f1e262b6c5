// Text output, rendered from the same documents as --json.

#include <cstdio>
#include <string>

#include "inspect/inspect.h"
#include "inspect/read_report.h"
#include "platform/file_system.h"

namespace inspect {
namespace {

std::string Str(const Json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_null()) return "-";
  return value.dump();
}

// "title (N):" and then each string of the array on a line of its own.
void List(const std::string& title, const Json& items, std::string& out) {
  out += title + " (" + std::to_string(items.size()) + "):\n";
  for (const Json& item : items) out += "  " + item.get<std::string>() + "\n";
}

// Each problem with its code, which the README explains.
void RenderProblems(const Json& report, std::string& out) {
  const Json& problems = report["problemDetails"];
  if (problems.empty()) {
    out += "no problems found\n";
    return;
  }
  out += "problems (" + std::to_string(problems.size()) + "):\n";
  for (const Json& problem : problems) {
    out += "  " + Str(problem["message"]) + " [" + Str(problem["code"]) + "]\n";
  }
}

void ReadSummary(const Json& read, std::string& out, const std::string& indent) {
  const Json& failure = read["failure"];
  if (failure.is_null()) {
    out += indent + "read: complete\n";
  } else if (failure["kind"] == "refused") {
    out += indent + "read: refused " + Str(failure["field"]) + " = " + Str(failure["value"]) +
           " at offset " + Str(failure["offset"]) + " in " + Str(failure["section"]) + " (" +
           Str(failure["bytesLeft"]) + " bytes left)\n";
  } else {
    out += indent + "read: " + Str(failure["kind"]) + " at offset " + Str(failure["offset"]) +
           " in " + Str(failure["section"]) + "\n";
  }
}

void WalkSummary(const Json& walk, std::string& out, const std::string& indent) {
  std::string noticed;
  auto add = [&](const char* key, const char* what) {
    if (walk[key].is_boolean() ? walk[key].get<bool>() : walk[key] != 0) {
      noticed += (noticed.empty() ? "" : ", ") +
                 (walk[key].is_boolean() ? std::string(what) : Str(walk[key]) + " " + what);
    }
  };
  add("linksOutOfRange", "links out of range");
  add("namesOutOfRange", "names out of range");
  add("entriesMetTwice", "entries met twice");
  add("noRootDirectory", "no root directory");
  add("outputLimitReached", "stopped at its output limit");
  out += indent + "walk: " + (noticed.empty() ? "nothing unusual" : noticed) + "\n";
}

// An error may come before the game or its paks folder is known.
std::string GameHeading(const Json& report) {
  if (!report.contains("paksFolder")) return {};
  return "paks folder: " + Str(report["paksFolder"]) + "\n";
}

}  // namespace

std::string RenderToc(const Json& report) {
  std::string out = "container: " + Str(report["file"]) + "\n";
  if (report["status"] == "error") {
    RenderProblems(report, out);
    return out;
  }
  const Json& header = report["header"];
  out += "header:\n";
  for (const auto& [key, value] : header.items()) {
    if (key == "containerFlags") continue;
    char line[160];
    std::snprintf(line, sizeof line, "  %-30s %s\n", key.c_str(), Str(value).c_str());
    out += line;
  }
  const Json& flags = header["containerFlags"];
  std::string names;
  for (const Json& name : flags["names"]) names += " " + name.get<std::string>();
  char flagLine[160];
  std::snprintf(flagLine, sizeof flagLine, "  %-30s 0x%02X%s%s\n", "containerFlags",
                flags["value"].get<unsigned>(), names.c_str(),
                flags["unknownBits"] != 0 ? " (and unknown bits)" : "");
  out += flagLine;

  out += "engine order: " +
         (report["order"].is_null()
              ? std::string("- (it lies below no Content\\Paks)")
              : Str(report["order"]) + " (the higher mounts over the lower)") +
         "\n";
  const Json& read = report["read"];
  out += "sections (file of " + Str(read["fileSize"]) + " bytes):\n";
  for (const Json& section : read["sections"]) {
    char line[160];
    std::snprintf(line, sizeof line, "  %-24s %10s .. %s%s\n", Str(section["name"]).c_str(),
                  Str(section["start"]).c_str(),
                  section["end"].is_null() ? "(cut short)" : Str(section["end"]).c_str(),
                  section.value("read", true) ? "" : " (encrypted, not read)");
    out += line;
  }
  ReadSummary(read, out, "");
  const Json& index = report["directoryIndex"];
  if (index["read"].get<bool>()) {
    out += "directory index: mount point \"" + Str(index["mountPoint"]) + "\", " +
           Str(index["directories"]) + " directories, " + Str(index["files"]) + " files, " +
           Str(index["strings"]) + " strings\n";
  } else if (index["packedWithout"].get<bool>()) {
    out += "directory index: none (the container was packed without one)\n";
  } else {
    out += "directory index: not read (encrypted container)\n";
  }
  WalkSummary(report["walk"], out, "");
  if (report.contains("files")) {
    List("files", report["files"], out);
  }
  List("package paths", report["packagePaths"], out);
  RenderProblems(report, out);
  return out;
}

std::string RenderScan(const ScanReport& scan) {
  const Json& report = scan.doc;
  std::string out = GameHeading(report);
  if (report["status"] == "error") {
    RenderProblems(report, out);
    return out;
  }
  out += "entries (" + std::to_string(scan.entries.size()) + "):\n";
  for (const EntryReport& entry : scan.entries) {
    char line[64];
    std::snprintf(line, sizeof line, "  %-15s ", DecisionName(entry.decision));
    out += line;
    out += entry.path;
    out += '\n';
  }
  out += "mod containers (" + std::to_string(scan.containers.size()) + "):\n";
  // Only a read that failed has more to say than this.
  static const Json kComplete = Fields({{"failure", nullptr}});
  for (const ContainerReport& container : scan.containers) {
    out += "  " + container.path + ": " + std::to_string(container.packagePaths) +
           (container.packagePaths == 1 ? " package path" : " package paths") +
           ", engine order " + std::to_string(container.order) +
           (container.mounted ? "" : " (not mounted: no .pak)") + "\n";
    ReadSummary(container.read.failure.kind == Tessel::FailureKind::None
                    ? kComplete
                    : ReadJson(container.read, container.encrypted, container.directoryIndexSize),
                out, "    ");
    WalkSummary(WalkJson(container.walk, container.indexRead, container.read), out, "    ");
  }
  size_t count = 0;
  for (const PathList& paths : scan.packagePaths) count += paths.size();
  out += "package paths the tool writes, in order (" + std::to_string(count) + "):\n";
  for (const PathList& paths : scan.packagePaths) {
    for (size_t i = 0; i < paths.size(); ++i) {
      out += "  ";
      out += paths[i];
      out += '\n';
    }
  }
  RenderProblems(report, out);
  return out;
}

std::string RenderSave(const Json& report) {
  std::string out = report.contains("file") ? "save: " + Str(report["file"]) + "\n" : "";
  if (report["status"] == "error") {
    RenderProblems(report, out);
    return out;
  }
  out += "size: " + Str(report["size"]) + " bytes\n";
  if (report["template"].is_null()) {
    out += "template: not given; the list start is inferred\n";
  } else {
    out += "template: " + Str(report["template"]["file"]) + " (" + Str(report["template"]["size"]) +
           " bytes), " +
           (report["template"]["matches"].get<bool>() ? "matches" : "DOES NOT match") + "\n";
  }
  if (report["valid"].get<bool>() || !report["damage"].is_null()) {
    out += "list starts at offset: " + Str(report["listOffset"]) + "\n";
    out += "count: " + Str(report["count"]) + "\n";
    List("paths", report["paths"], out);
    out += std::string("closing marker and records: ") +
           (report["valid"].get<bool>() ? "intact" : "DAMAGED") + "\n";
  } else {
    out += "the list was not read (see below)\n";
  }
  RenderProblems(report, out);
  return out;
}

std::string RenderCheck(const Json& report) {
  std::string out = GameHeading(report);
  if (report["status"] == "error") {
    RenderProblems(report, out);
    return out;
  }
  out += "save: " + Str(report["save"]) + "\n";
  out += "package paths modpaths would write now: " + Str(report["currentPaths"]) + "\n";
  out += "package paths in the save: " + Str(report["savedPaths"]) + "\n";
  if (!report["upToDate"].get<bool>()) {
    out += "the save is NOT up to date\n";
  } else if (report["sameOrder"].get<bool>()) {
    out += "the save is up to date\n";
  } else {
    out +=
        "the save is up to date (it lists the paths in another order: folder listings "
        "differ between systems)\n";
  }
  const Json& record = report["launchRecord"];
  if (const Json& last = record["last"]; !last.is_null()) {
    out += "last run of modpaths-launch: " + Str(last["time"]) +
           (last["byHand"].get<bool>() ? " (by hand): " : " (at the game's start): ") +
           Str(last["words"]) +
           (last["failed"].get<bool>() && last["savedSince"].get<bool>()
                ? " (the save has been written since)"
                : "") +
           "\n";
  }
  const Json& launch = report["launchOptions"];
  if (!record["recordable"].get<bool>() && launch["wrapperInPlace"].get<bool>()) {
    out += "modpaths-launch keeps no record here: its folder takes no new file, so its last "
           "runs are not known\n";
  }
  bool broken = false;
  for (const Json& account : report["steamLaunchOptions"]) {
    const std::string runs = Str(account["runs"]);
    broken = broken || runs == "broken";
    out += "Steam's launch option (account " + Str(account["account"]) + "): " + Str(account["launchOptions"]) +
           (runs == "yes"           ? " (runs modpaths-launch)"
            : runs == "broken"      ? " (BROKEN)"
            : runs == "cannot-tell" ? " (whether it runs modpaths-launch cannot be told: " + Str(account["why"]) + ")"
                                    : "") +
           "\n";
    const Json& version = account["wrapperVersion"];
    if (!version.is_null() && Str(version) != MODPATHS_VERSION) {
      out += "  the modpaths-launch it runs is version " + Str(version) + ", not this " MODPATHS_VERSION
             ": run modpaths-launch --setup again (Steam closed) to bring it up to date\n";
    }
  }
  for (const Json& launcher : report["launcherWrappers"]) {
    const std::string runs = Str(launcher["runs"]);
    broken = broken || runs == "broken";
    out += Str(launcher["launcher"]) + (Str(launcher["launcher"]) == "Heroic" ? "'s wrappers" : "' command prefix") +
           " (" + Str(launcher["game"]) + "): " +
           (Str(launcher["setting"]).empty() ? std::string("(none)") : Str(launcher["setting"])) +
           (runs == "yes"           ? " (runs modpaths-launch)"
            : runs == "broken"      ? " (BROKEN)"
            : runs == "cannot-tell" ? " (whether it runs modpaths-launch cannot be told)"
                                    : "") +
           "\n";
  }
  RenderProblems(report, out);
  if (!launch["moveTo"].is_null()) return out;
  const Json& runs = report["runsAtGameStart"];
  if (runs.is_boolean() && runs.get<bool>()) {
    out += "\nmodpaths-launch runs at the game's start (its launch option or setting shows it): nothing "
           "to set up.\n";
    return out;
  }
  // A broken launch option's fix is its problem's; an unreadable one is
  // the player's own.
  if (broken || runs.is_null()) return out;
  out += platform::kNativePaths.separator == '\\'
             ? std::string("\nTo have modpaths run before every start of the game from Steam, close Steam "
                           "and, where you unzipped modpaths, double-click modpaths-launch.exe (or run  "
                           "modpaths-launch.exe --setup)")
             : std::string("\nTo have modpaths run before every start of the game, close the launcher and, "
                           "where you unzipped modpaths, run  ./modpaths-launch --setup  (it sets up Steam, "
                           "Heroic and Lutris)") +
         "; or paste this line into Steam, in the game's Properties, General, Launch Options (on "
         "Linux, the same path is Lutris' command prefix or Heroic's wrapper)";
  out += launch["wrapperInPlace"].get<bool>()
             ? ":\n"
             : " (after copying modpaths-launch.exe, and for Linux modpaths-launch, "
               "beside modpaths.exe):\n";
  if (!launch["windows"].is_null()) out += "  Windows:     " + Str(launch["windows"]) + "\n";
  if (!launch["steamDeck"].is_null()) out += "  Linux:       " + Str(launch["steamDeck"]) + "\n";
  return out;
}

std::string RenderCheckVerdict(const Json& report) {
  const Json& problems = report["problemDetails"];
  std::string out = "In short: ";
  if (report["status"] == "error") {
    out += "check could not look at the save";
  } else {
    out += report["upToDate"].get<bool>() ? "the save is up to date" : "the save is NOT up to date";
  }
  if (problems.empty()) return out + ", and nothing stands in the way.\n";
  out += "; " + std::to_string(problems.size()) +
         (problems.size() == 1 ? " problem" : " problems") + " (above):";
  for (const Json& problem : problems) out += " " + Str(problem["code"]);
  return out + "\nThe first: " + Str(problems[0]["message"]) + "\n";
}

}  // namespace inspect
