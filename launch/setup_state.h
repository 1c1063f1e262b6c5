#pragma once

// What a setup keeps of one account's launch option, so that --remove can
// take back exactly what it did: setup-<account id>.vdf in the wrapper's
// per-user folder, in Steam's own key-value text,
//
//   "modpaths"
//   {
//       "localconfig"   "/home/deck/.local/share/Steam/userdata/39734273/config/localconfig.vdf"
//       "appid"         "1234560"
//       "copy"          "/home/deck/.local/share/modpaths/modpaths-launch"
//       "version"       "1.5.0"          the version that set it up last
//       "written"       "1234..."        digest of localconfig.vdf as setup last wrote it
//       "before"        "PROTON_LOG=1 %command%"   the value before the first setup; no key: there was none
//       "backup"        "5678..."        digest of localconfig.vdf.modpaths-backup, the file before
//                                        the first setup, while nothing but setup changed the file since
//       "made"          "1"              setup made the file: there was none
//   }
//
// Heroic's and Lutris' setups keep the same, "localconfig" naming the
// launcher's file (GamesConfig/<app>.json, games/<config>.yml) and "appid"
// the game in it.
//
// 1.4.0 wrote the first four and "before"; its backup was rewritten by each
// setup, so that without "backup" it is not put back.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "steam/file_system.h"

namespace launch {

struct SetupState {
  std::string localconfig, appId, copy, version;
  std::optional<uint64_t> written;
  std::optional<std::string> before;
  std::optional<uint64_t> backup;
  std::string made;

  // Each field with its key, in the order written: one routine for reading
  // and writing.
  template <class Self, class Visitor>
  static void Fields(Self& self, Visitor& visit) {
    visit("localconfig", self.localconfig);
    visit("appid", self.appId);
    visit("copy", self.copy);
    visit("version", self.version);
    visit("written", self.written);
    visit("before", self.before);
    visit("backup", self.backup);
    visit("made", self.made);
  }

  std::string Text() const;
  // Nothing for a text that is no state of ours.
  static std::optional<SetupState> Read(std::string_view text);
};

inline constexpr std::string_view kBackupSuffix = ".modpaths-backup";

// The state of the file `localconfig` in `folder`: setup-<name>.vdf (the
// name a Steam account's id, heroic-<app>, lutris-<config>), or, when that
// one is another file's (the same account in a Flatpak Steam and a native
// one), a name of its own.
std::string StatePath(const std::string& folder, const std::string& name,
                      const std::string& localconfig, const steam::FileSystem& files);

// Every state in `folder`, with its path.
std::vector<std::pair<std::string, SetupState>> AllStates(const std::string& folder,
                                                          const steam::FileSystem& files);

}  // namespace launch
