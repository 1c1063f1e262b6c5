// The command line of modpaths-inspect, apart from the process: main hands
// it the arguments and prints what it gives back, and the tests call it
// directly.

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "inspect/inspect.h"

namespace inspect {

int RunCommandLine(std::vector<std::string> arguments, std::string& out, std::string& err) {
  CLI::App app{
      "Shows what modpaths sees: containers, their tables of contents, and the save it writes."};
  app.name("modpaths-inspect");
  app.set_version_flag("--version", std::string("modpaths-inspect ") + MODPATHS_VERSION);
  app.require_subcommand(1);

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
  scan->add_option("folder", folder, "a game folder, or its Content/Paks")->required();
  scan->add_flag("--json", json, "print JSON");

  std::string saveFile;
  std::string templateFile;
  CLI::App* save =
      app.add_subcommand("save", "Check a ModManager_ModPaths.sav that modpaths wrote");
  save->add_option("file", saveFile, "the save")->required();
  save->add_option("--template", templateFile, "the SourceSave.sav it was made from");
  save->add_flag("--json", json, "print JSON");

  std::string checkFolder;
  std::string checkSave;
  CLI::App* check = app.add_subcommand(
      "check", "Say whether the save holds what modpaths would write now, and what changed");
  check->add_option("folder", checkFolder, "the game folder")->required();
  check->add_option("--save", checkSave,
                    "the save to compare (default: the one modpaths writes for you)");
  check->add_flag("--json", json, "print JSON");

  try {
    // CLI11 takes the arguments without the program's name, last first.
    if (!arguments.empty()) arguments.erase(arguments.begin());
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

  Json report;
  if (*toc) {
    report = InspectToc(tocFile, listFiles);
    if (!json) out = RenderToc(report);
  } else if (*check) {
    report = InspectCheck(checkFolder, checkSave.empty() ? std::nullopt : std::optional(checkSave));
    if (!json) out = RenderCheck(report);
  } else if (*scan) {
    report = InspectScan(folder);
    if (!json) out = RenderScan(report);
  } else {
    report = InspectSave(
        saveFile, templateFile.empty() ? std::nullopt : std::optional<std::string>(templateFile));
    if (!json) out = RenderSave(report);
  }
  if (json) out = report.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
  return ExitCode(report);
}

}  // namespace inspect
