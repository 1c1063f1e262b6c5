// modpaths-inspect: shows what modpaths sees, for players and modders whose
// mod does not show up in the game.
//
//   modpaths-inspect toc FILE.utoc [--files] [--json]
//   modpaths-inspect scan FOLDER [--json]
//   modpaths-inspect save FILE.sav [--template SourceSave.sav] [--json]
//   modpaths-inspect check GAME_FOLDER [--save FILE.sav] [--json]
//   modpaths-inspect --version
//
// Exit status: 0 all is well, 1 a problem was found, 2 a usage error or an
// input that cannot be opened.

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "inspect/inspect.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  platform::UseUtf8Console();
  std::vector<std::string> arguments = platform::CommandLineArguments(argc, argv);

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
    arguments.erase(arguments.begin());
    std::reverse(arguments.begin(), arguments.end());
    app.parse(arguments);
  } catch (const CLI::CallForHelp&) {
    std::fputs(app.help().c_str(), stdout);
    return 0;
  } catch (const CLI::CallForVersion& version) {
    std::printf("%s\n", version.what());
    return 0;
  } catch (const CLI::ParseError& error) {
    std::fprintf(stderr, "modpaths-inspect: %s\n%s", error.what(), app.help().c_str());
    return 2;
  }

  inspect::Json report;
  std::string text;
  if (*toc) {
    report = inspect::InspectToc(tocFile, listFiles);
    if (!json) text = inspect::RenderToc(report);
  } else if (*check) {
    report = inspect::InspectCheck(checkFolder,
                                   checkSave.empty() ? std::nullopt : std::optional(checkSave));
    if (!json) text = inspect::RenderCheck(report);
  } else if (*scan) {
    report = inspect::InspectScan(folder);
    if (!json) text = inspect::RenderScan(report);
  } else {
    const std::optional<std::string> templ =
        templateFile.empty() ? std::nullopt : std::optional<std::string>(templateFile);
    report = inspect::InspectSave(saveFile, templ);
    if (!json) text = inspect::RenderSave(report);
  }
  if (json) text = report.dump(2, ' ', false, inspect::Json::error_handler_t::replace) + "\n";
  std::fwrite(text.data(), 1, text.size(), stdout);
  return inspect::ExitCode(report);
}
