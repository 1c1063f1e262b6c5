// The command line of modpaths-inspect, apart from the process: main hands
// it the arguments and prints what it gives back, and the tests call it
// directly.

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "inspect/inspect.h"
#include "platform/file_system.h"

namespace inspect {
namespace {

// What a double-click shows when the inspector lies in no game: why, and
// how to use it.
std::string Guide(const Json& report) {
  const std::string game = platform::InStyle(
      "D:/SteamLibrary/steamapps/common/Hollow Voyage/HollowVoyage", platform::kNativePaths);
  return "modpaths-inspect: " + report["problems"][0].get<std::string>() +
         "\nIn a terminal:\n"
         "  modpaths-inspect check \"" + game + "\"    is the save up to date, and what stops it\n"
         "  modpaths-inspect scan | toc FILE.utoc | save | --help   what modpaths sees\n";
}

// A path as a player typed it: cmd's "D:\Games\X\" quoting leaves a
// trailing quote, and under Wine or Proton a Linux path reaches its file
// through drive Z:. Either way it is shown with the system's separators.
std::string AsTyped(std::string argument) {
  if (!argument.empty() && argument.back() == '"') argument.pop_back();
  if (platform::kNativePaths.separator == '\\' && argument.size() > 1 && argument[0] == '/' &&
      argument[1] != '/' && platform::PathExists("Z:" + argument)) {
    argument = "Z:" + argument;
  }
  return platform::InStyle(argument, platform::kNativePaths);
}

}  // namespace

int RunCommandLine(std::vector<std::string> arguments, std::string& out, std::string& err,
                   const Progress& progress) {
  CLI::App app{
      "Shows what modpaths sees: containers, their tables of contents, and the save it writes."};
  app.name("modpaths-inspect");
  app.set_version_flag("--version", std::string("modpaths-inspect ") + MODPATHS_VERSION);
  app.require_subcommand(0, 1);

  // "/home/..." is a path, also on Windows (under Wine or Proton).
  app.allow_windows_style_options(false);

  bool json = false;
  std::string tocFile;
  bool listFiles = false;
  CLI::App* toc = app.add_subcommand("toc", "Read one .utoc file as modpaths reads it");
  toc->add_option("file", tocFile, "the .utoc file")->required();
  toc->add_flag("--files", listFiles, "also list every file path of the directory index");
  toc->add_flag("--json", json, "print JSON");

  std::string folder;
  CLI::App* scan =
      app.add_subcommand("scan", "Decide on every entry of a paks folder as modpaths does");
  scan->add_option("folder", folder,
                   "the game folder, its Content, Content\\Paks or Binaries\\Win64 (default: the "
                   "game this program lies in, or the current folder)");
  scan->add_flag("--json", json, "print JSON");

  std::string saveFile;
  std::string templateFile;
  CLI::App* save =
      app.add_subcommand("save", "Check a ModManager_ModPaths.sav that modpaths wrote");
  save->add_option("file", saveFile,
                   "the save (default: the one modpaths writes for you, as check finds it)");
  save->add_option("--template", templateFile, "the SourceSave.sav it was made from");
  save->add_flag("--json", json, "print JSON");

  std::string checkFolder;
  std::string checkSave;
  CLI::App* check = app.add_subcommand(
      "check", "Say whether the save holds what modpaths would write now, and what changed");
  check->add_option("folder", checkFolder,
                    "the game folder, its Content, Content\\Paks or Binaries\\Win64 (default: the "
                    "game this program lies in, or the current folder)");
  check->add_option("--save", checkSave,
                    "the save to compare (default: the one modpaths writes for you)");
  check->add_flag("--json", json, "print JSON");

  if (!arguments.empty()) arguments.erase(arguments.begin());
  for (std::string& argument : arguments) argument = AsTyped(argument);
  if (!arguments.empty() && !arguments.front().empty() && arguments.front()[0] != '-' &&
      app.get_subcommands(
             [&](CLI::App* command) { return command->get_name() == arguments.front(); })
          .empty()) {
    err = "modpaths-inspect: unknown command '" + arguments.front() +
          "' (the commands are check, scan, toc and save; --help tells more)\n";
    return 2;
  }
  try {
    // CLI11 takes the arguments without the program's name, last first.
    std::reverse(arguments.begin(), arguments.end());
    app.parse(arguments);
  } catch (const CLI::CallForHelp&) {
    out = app.help();
    return 0;
  } catch (const CLI::CallForVersion& version) {
    out = std::string(version.what()) + "\n";
    return 0;
  } catch (const CLI::ParseError& error) {
    err = "modpaths-inspect: " + std::string(error.what()) + "\n" + app.help();
    return 2;
  }

  auto given = [](const std::string& text) {
    return text.empty() ? std::nullopt : std::optional<std::string>(text);
  };
  Json report;
  if (app.get_subcommands().empty()) {
    // Started with nothing, as a double-click starts it: check the game
    // around it, or say how to use it.
    report = InspectCheck(std::nullopt, std::nullopt, progress);
    if (report["status"] == "error" && report.value("folder", Json()).is_null()) {
      out = Guide(report);
      return 2;
    }
    // A double-clicked window shows its last lines: the verdict goes last.
    out = RenderCheck(report) + "\n" + RenderCheckVerdict(report);
    return ExitCode(report);
  }
  if (*toc) {
    report = InspectToc(tocFile, listFiles);
    if (!json) out = RenderToc(report);
  } else if (*check) {
    report = InspectCheck(given(checkFolder), given(checkSave), progress);
    if (!json) out = RenderCheck(report);
  } else if (*scan) {
    ScanReport scanned = InspectScan(given(folder), progress);
    if (!json) out = RenderScan(scanned);
    report = json ? ScanJson(std::move(scanned)) : std::move(scanned.doc);
  } else {
    report = InspectSave(given(saveFile), given(templateFile));
    if (!json) out = RenderSave(report);
  }
  if (json) out = report.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
  return ExitCode(report);
}

}  // namespace inspect
