#pragma once

// The files a setup changes, planned whole before any is touched, then
// applied in the order planned. Each file is written through the one safe
// writer (platform/replacing_file.h) and read back; a step that fails takes
// back every step before it, so that "nothing was changed" is true when it
// is said. What stood in each file is read when it is planned, once.

#include <optional>
#include <string>
#include <vector>

namespace launch {

class FileChanges {
 public:
  // `step` names the step to the player ("copying the wrapper"), should it
  // fail; `program`: an executable, made runnable, which on Windows cannot
  // be replaced while it runs.
  void Write(std::string path, std::string bytes, std::string step, bool program = false);
  // The same, for a file the caller has read already: `standing` is what
  // stands there (nothing: no file), not read again.
  void WriteOver(std::string path, std::string bytes, std::string step, std::optional<std::string> standing,
                 bool program = false);
  void Remove(std::string path, std::string step, bool program = false);

  bool Empty() const { return steps_.empty(); }
  // Whether a step writes or removes the file at `path`.
  bool Touches(const std::string& path) const;

  struct Failure {
    std::string step, path;
    std::string reason;                   // the system's, in words a player can act on
    std::vector<std::string> notUndone;   // what could not be taken back: empty, and nothing changed
  };
  // Nothing when every step was done.
  std::optional<Failure> Apply();

 private:
  struct Step {
    enum class Kind { Write, Remove } kind;
    std::string path, bytes, name;
    bool program = false;
    std::optional<std::string> before;  // the file as it stood, when there was one
    std::vector<std::string> madeFolders;
  };
  bool Do(Step& step, Failure& failure);
  bool Undo(const Step& step);
  std::vector<Step> steps_;
};

}  // namespace launch
