#include "launch/file_changes.h"

#include "platform/file_system.h"
#include "platform/path_style.h"
#include "platform/replacing_file.h"

namespace launch {
namespace {

using platform::kNativePaths;

// Files a setup writes or backs up; the copy of the wrapper is the
// largest, a few megabytes.
constexpr uint64_t kMostBytes = 256u << 20;

std::optional<std::string> ReadWhole(const std::string& path) {
  platform::File file;
  if (!file.Open(path, platform::FileMode::Read)) return std::nullopt;
  const int64_t size = file.Size();
  if (size < 0 || static_cast<uint64_t>(size) > kMostBytes) return std::nullopt;
  std::string text(static_cast<size_t>(size), '\0');
  for (size_t got = 0; got < text.size();) {
    const int64_t chunk = file.Read(text.data() + got, text.size() - got);
    if (chunk <= 0) return std::nullopt;
    got += static_cast<size_t>(chunk);
  }
  return text;
}

std::string Reason(int error, bool program) {
  const std::string said = error != 0 ? " (the system says: " + platform::ErrorText(error) + ")" : "";
  if (error != 0 && platform::IsNoSpace(error)) return "the disk is full" + said;
  if (error == 0 || platform::IsRefused(error)) {
    return std::string(program ? "it is in use, or read-only: the game may be running through it, "
                                 "or this program is that file; close the game"
                               : "it is read-only, or another program holds it") +
           said;
  }
  return "it cannot be written" + said;
}

// The folders above `path` that are missing, topmost first.
std::vector<std::string> MissingFolders(const std::string& path) {
  std::vector<std::string> missing;
  for (std::string folder(platform::ParentFolder(path, kNativePaths));
       !folder.empty() && !platform::PathExists(folder);) {
    missing.insert(missing.begin(), folder);
    const std::string parent(platform::ParentFolder(folder, kNativePaths));
    if (parent == folder) break;
    folder = parent;
  }
  return missing;
}

// The bytes in place through the safe writer, and read back; the system's
// error in `error` when they are not.
bool Replace(const std::string& path, const std::string& bytes, bool program, int& error) {
  platform::RemoveLeftoverTemporaries(path);
  platform::ReplacingFile replacing;
  if (!replacing.Create(path)) {
    error = replacing.Error();
    return false;
  }
  if (!replacing.file().Write(bytes.data(), bytes.size()) || !replacing.file().Sync()) {
    error = replacing.file().Error();
    return false;
  }
  if (!replacing.Commit()) {
    error = replacing.Error();
    return false;
  }
  if (program) platform::MakeExecutable(path);
  error = 0;
  return ReadWhole(path) == bytes;
}

}  // namespace

void FileChanges::Write(std::string path, std::string bytes, std::string step, bool program) {
  Step planned{Step::Kind::Write, std::move(path), std::move(bytes), std::move(step), program, {}, {}};
  planned.before = ReadWhole(planned.path);
  steps_.push_back(std::move(planned));
}

void FileChanges::WriteOver(std::string path, std::string bytes, std::string step,
                            std::optional<std::string> standing, bool program) {
  steps_.push_back({Step::Kind::Write, std::move(path), std::move(bytes), std::move(step), program,
                    std::move(standing), {}});
}

void FileChanges::Remove(std::string path, std::string step, bool program) {
  Step planned{Step::Kind::Remove, std::move(path), {}, std::move(step), program, {}, {}};
  planned.before = ReadWhole(planned.path);
  steps_.push_back(std::move(planned));
}

bool FileChanges::Touches(const std::string& path) const {
  for (const Step& step : steps_)
    if (step.path == path) return true;
  return false;
}

bool FileChanges::Do(Step& step, Failure& failure) {
  failure.step = step.name;
  failure.path = step.path;
  if (step.kind == Step::Kind::Remove) {
    if (!platform::PathExists(step.path) || platform::RemoveFile(step.path)) return true;
    failure.reason = Reason(0, step.program);
    return false;
  }
  for (const std::string& folder : MissingFolders(step.path)) {
    if (!platform::CreateFolders(folder)) {
      failure.path = folder;
      failure.reason = "the folder cannot be made there";
      return false;
    }
    step.madeFolders.push_back(folder);
  }
  int error = 0;
  if (Replace(step.path, step.bytes, step.program, error)) return true;
  failure.reason = error != 0 || !platform::PathExists(step.path)
                       ? Reason(error, step.program)
                       : "it did not read back as written";
  return false;
}

bool FileChanges::Undo(const Step& step) {
  bool undone = true;
  int error = 0;
  if (step.before) {
    undone = ReadWhole(step.path) == *step.before || Replace(step.path, *step.before, step.program, error);
  } else if (platform::PathExists(step.path)) {
    undone = platform::RemoveFile(step.path);
  }
  for (size_t i = step.madeFolders.size(); i-- > 0;) platform::RemoveEmptyFolder(step.madeFolders[i]);
  return undone;
}

std::optional<FileChanges::Failure> FileChanges::Apply() {
  Failure failure;
  for (size_t i = 0; i < steps_.size(); ++i) {
    bool done = false;
    try {
      done = Do(steps_[i], failure);
    } catch (...) {
      failure.reason = "the system ran out of memory";
    }
    if (done) continue;
    // The failed step too: a file renamed in place that did not read back.
    for (size_t j = i + 1; j-- > 0;) {
      bool undone = false;
      try {
        undone = Undo(steps_[j]);
      } catch (...) {
      }
      if (!undone) failure.notUndone.push_back(steps_[j].path);
    }
    return failure;
  }
  return std::nullopt;
}

}  // namespace launch
