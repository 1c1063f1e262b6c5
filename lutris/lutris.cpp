#include "lutris/lutris.h"

#include <yaml-cpp/yaml.h>

#include "platform/path_style.h"
#include "steam/install.h"

namespace lutris {
namespace {

constexpr std::string_view kSection = "system";
constexpr std::string_view kKey = "prefix_command";

std::string Join(std::string_view folder, std::string_view name) {
  return platform::JoinPath(folder, name, platform::kPosixPaths);
}

std::optional<YAML::Node> Load(std::string_view text) {
  try {
    return YAML::Load(std::string(text));
  } catch (const YAML::Exception&) {
    return std::nullopt;
  }
}

std::string Scalar(const YAML::Node& node) {
  return node && node.IsScalar() ? node.Scalar() : std::string();
}

// What the game's yml runs, as a tool folder: the game's own executable,
// or a file beside the game's folder.
std::optional<std::string> ToolFolder(std::string exe, const std::string& directory, const FileSystem& files) {
  if (exe.empty() && directory.empty()) return std::nullopt;
  if (!exe.empty() && exe[0] != '/') exe = directory.empty() ? std::string() : Join(directory, exe);
  std::vector<std::string> candidates;
  if (!exe.empty()) {
    if (auto named = steam::ToolFolderFromCommand({exe})) candidates.push_back(*named);
    candidates.push_back(Join(platform::ParentFolder(exe, platform::kPosixPaths), "HollowVoyage/Binaries/Win64"));
  } else {
    candidates.push_back(Join(directory, "HollowVoyage/Binaries/Win64"));
  }
  for (const std::string& tools : candidates)
    if (files.Exists(tools + "/SourceSave.sav")) return tools;
  return std::nullopt;
}

struct Line {
  size_t begin = 0, end = 0, next = 0;  // its text [begin, end); the next line starts at `next`
};

std::vector<Line> Lines(std::string_view text) {
  std::vector<Line> lines;
  for (size_t at = 0; at < text.size();) {
    const size_t feed = text.find('\n', at);
    Line line{at, feed == std::string_view::npos ? text.size() : feed, 0};
    line.next = feed == std::string_view::npos ? text.size() : feed + 1;
    if (line.end > line.begin && text[line.end - 1] == '\r') --line.end;
    lines.push_back(line);
    at = line.next;
  }
  return lines;
}

size_t Indent(std::string_view text, const Line& line) {
  size_t at = line.begin;
  while (at < line.end && text[at] == ' ') ++at;
  return at - line.begin;
}

// A line with nothing but blanks or a comment on it.
bool Blank(std::string_view text, const Line& line) {
  const size_t at = line.begin + Indent(text, line);
  return at >= line.end || text[at] == '#';
}

// The key of a block mapping's line at `indent` ("key:" or "key: value"),
// and what follows its colon; nothing for any other line.
std::optional<std::pair<std::string_view, std::string_view>> KeyOf(std::string_view text, const Line& line,
                                                                   size_t indent) {
  if (Blank(text, line) || Indent(text, line) != indent) return std::nullopt;
  const std::string_view body = text.substr(line.begin + indent, line.end - line.begin - indent);
  if (body.empty() || body[0] == '-' || body[0] == '\'' || body[0] == '"' || body[0] == '?') return std::nullopt;
  size_t colon = body.find(':');
  while (colon != std::string_view::npos && colon + 1 < body.size() && body[colon + 1] != ' ')
    colon = body.find(':', colon + 1);
  if (colon == std::string_view::npos) return std::nullopt;
  std::string_view rest = body.substr(colon + 1);
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  return std::make_pair(body.substr(0, colon), rest);
}

// The value as YAML writes it in single quotes, which escape nothing but
// the quote itself.
std::string Quoted(std::string_view value) {
  std::string quoted = "'";
  for (const char c : value) quoted += c == '\'' ? std::string("''") : std::string(1, c);
  return quoted + "'";
}

// The settings as yaml-cpp gives them back, without the prefix command and
// a system section it leaves empty: what must not change.
std::optional<std::string> Others(std::string_view yml) {
  std::optional<YAML::Node> root = Load(yml);
  if (!root || !(root->IsMap() || root->IsNull())) return std::nullopt;
  if (root->IsNull()) return std::string("{}");
  YAML::Node section = (*root)[std::string(kSection)];
  if (section && section.IsMap()) {
    section.remove(std::string(kKey));
    if (section.size() == 0) root->remove(std::string(kSection));
  }
  return YAML::Dump(*root);
}

}  // namespace

std::vector<Lutris> FindLutris(const std::string& home, const FileSystem& files) {
  std::vector<Lutris> found;
  if (home.empty()) return found;
  const std::string flatpak = Join(home, ".var/app/net.lutris.Lutris");
  for (const auto& [config, data, sandbox] :
       {std::tuple<std::string, std::string, std::optional<std::string>>{Join(home, ".config/lutris"),
                                                                          Join(home, ".local/share/lutris"), {}},
        {Join(flatpak, "config/lutris"), Join(flatpak, "data/lutris"), flatpak}}) {
    const std::string settings = files.IsFolder(config) ? config : data;
    if (files.IsFolder(settings)) found.push_back({settings, Join(data, "pga.db"), sandbox});
  }
  return found;
}

std::vector<Game> FindGames(const Lutris& lutris, const std::optional<std::vector<DatabaseGame>>& database,
                            const FileSystem& files) {
  std::vector<Game> games;
  auto consider = [&](const std::string& name, const std::string& yml, const std::string& directory) {
    const auto text = files.ReadText(yml, kMostSettingsBytes);
    const std::optional<YAML::Node> root = text ? Load(*text) : std::nullopt;
    if (!root || !root->IsMap()) return;
    const YAML::Node game = (*root)["game"];
    const std::string exe = game && game.IsMap() ? Scalar(game["exe"]) : std::string();
    if (const auto tools = ToolFolder(exe, directory, files)) games.push_back({name, yml, *tools});
  };
  const std::string folder = Join(lutris.settings, "games");
  if (database) {
    for (const DatabaseGame& row : *database) {
      if (!row.installed || row.configPath.empty() || row.configPath.find('/') != std::string::npos) continue;
      consider(row.name.empty() ? row.slug : row.name, Join(folder, row.configPath + ".yml"), row.directory);
    }
    return games;
  }
  if (const auto entries = files.List(folder)) {
    for (const platform::DirectoryEntry& entry : *entries) {
      const std::string_view name = entry.name;
      if (entry.isFolder || name.size() <= 4 || name.substr(name.size() - 4) != ".yml") continue;
      consider(std::string(name.substr(0, name.size() - 4)), Join(folder, entry.name), {});
    }
  }
  return games;
}

PrefixCommand PrefixCommandOf(std::string_view yml) {
  PrefixCommand found;
  const std::optional<YAML::Node> root = Load(yml);
  if (!root || !(root->IsMap() || root->IsNull())) {
    found.problem = "it does not read as Lutris' settings (a YAML mapping)";
    return found;
  }
  if (root->IsNull()) return found;
  const YAML::Node section = (*root)[std::string(kSection)];
  if (!section || section.IsNull()) return found;
  if (!section.IsMap()) {
    found.problem = "its system: is no mapping";
    return found;
  }
  const YAML::Node value = section[std::string(kKey)];
  if (!value || value.IsNull()) return found;
  if (!value.IsScalar()) {
    found.problem = "its prefix_command is no text";
    return found;
  }
  found.value = value.Scalar();
  return found;
}

Edit SetPrefixCommand(std::string_view yml, const std::optional<std::string>& value) {
  Edit edit;
  const PrefixCommand now = PrefixCommandOf(yml);
  if (!now.problem.empty()) {
    edit.problem = now.problem;
    return edit;
  }
  if (now.value == value) return {std::string(yml), {}};
  if (value && value->find_first_of("\r\n\t") != std::string::npos) {
    edit.problem = "the command prefix would hold a line break";
    return edit;
  }
  const std::vector<Line> lines = Lines(yml);
  const std::string_view end = !lines.empty() && lines[0].end < lines[0].next && yml[lines[0].end] == '\r'
                                   ? "\r\n"
                                   : "\n";
  std::string text(yml);
  if (!text.empty() && text.back() != '\n') text += end;  // so that a line can follow

  // The system section: its line and the lines of its block.
  std::optional<size_t> section;
  std::optional<size_t> nextSection;  // the first top-level key after "system" in Lutris' order
  for (size_t i = 0; i < lines.size(); ++i) {
    const auto key = KeyOf(yml, lines[i], 0);
    if (!key) continue;
    if (key->first == kSection) {
      if (!key->second.empty() && key->second[0] != '#') {
        edit.problem = "its system: is not written as Lutris writes it, one setting a line";
        return edit;
      }
      section = i;
    } else if (!section && !nextSection && key->first > kSection) {
      nextSection = i;
    }
  }
  const auto lineFor = [&](size_t indent) {
    return std::string(indent, ' ') + std::string(kKey) + ": " + Quoted(*value) + std::string(end);
  };
  if (!section) {
    if (!value) return {std::string(yml), {}};
    const std::string block = std::string(kSection) + ":" + std::string(end) + lineFor(2);
    const bool empty = !Load(yml) || Load(yml)->IsNull();
    if (empty) {
      text = block;
    } else {
      const size_t at = nextSection ? lines[*nextSection].begin : text.size();
      text.insert(at, block);
    }
  } else {
    size_t blockEnd = *section + 1;
    while (blockEnd < lines.size() && (Blank(yml, lines[blockEnd]) || Indent(yml, lines[blockEnd]) > 0)) ++blockEnd;
    size_t indent = 2;
    for (size_t i = *section + 1; i < blockEnd; ++i) {
      if (!Blank(yml, lines[i])) {
        indent = Indent(yml, lines[i]);
        break;
      }
    }
    std::optional<size_t> key, before;  // the key's line; the first key after it in order
    for (size_t i = *section + 1; i < blockEnd; ++i) {
      const auto child = KeyOf(yml, lines[i], indent);
      if (!child) continue;
      if (child->first == kKey) key = i;
      if (!before && child->first > kKey) before = i;
    }
    if (key) {
      // Its value may go on over deeper lines.
      size_t last = *key + 1;
      while (last < blockEnd && (Blank(yml, lines[last]) || Indent(yml, lines[last]) > indent)) ++last;
      while (last > *key + 1 && Blank(yml, lines[last - 1])) --last;
      const size_t from = lines[*key].begin, to = last < lines.size() ? lines[last].begin : text.size();
      bool alone = true;  // the section's only setting
      for (size_t i = *section + 1; i < blockEnd; ++i)
        if ((i < *key || i >= last) && !Blank(yml, lines[i])) alone = false;
      if (value) {
        text.replace(from, to - from, lineFor(indent));
      } else if (alone) {
        text.erase(lines[*section].begin, to - lines[*section].begin);
      } else {
        text.erase(from, to - from);
      }
    } else if (value) {
      size_t at;
      if (before) {
        at = lines[*before].begin;
      } else {
        size_t last = blockEnd;
        while (last > *section + 1 && Blank(yml, lines[last - 1])) --last;
        at = last < lines.size() ? lines[last].begin : text.size();
      }
      text.insert(at, lineFor(indent));
    } else {
      return {std::string(yml), {}};
    }
  }
  // Read back: the value, and every other setting as it was.
  const PrefixCommand again = PrefixCommandOf(text);
  if (!again.problem.empty() || again.value != value || Others(text) != Others(yml)) {
    edit.problem = "with the change it would not read back as the same settings";
    return edit;
  }
  edit.text = std::move(text);
  return edit;
}

bool IsLutrisProcess(const platform::ProcessEntry& process) {
  const std::string_view name = platform::BaseName(process.executable, platform::kPosixPaths);
  if (name == "lutris") return true;
  if (name.substr(0, 6) != "python") return false;
  for (size_t i = 1; i < process.arguments.size(); ++i) {
    const std::string& argument = process.arguments[i];
    if (!argument.empty() && argument[0] == '-') continue;
    return platform::BaseName(argument, platform::kPosixPaths) == "lutris";
  }
  return false;
}

}  // namespace lutris
