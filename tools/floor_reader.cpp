// The floor that ./dev bench measures modpaths against: the same save, made
// as plainly as the job allows. Each container is read once into a reused
// buffer, names stay views into it, each package path is composed straight
// into the output buffer, and the save is written in one write (to a
// temporary file, made to reach the disk and renamed, as a save must be).
// Only well-formed containers are its business: it checks nothing.
//   modpaths-floor <paks folder> <template> <save>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "app/discovery.h"
#include "platform/unicode.h"

namespace {

std::vector<char> buffer;  // one container at a time
std::string save;          // the save, as it grows
int32_t paths = 0;         // in it

bool ReadWhole(const std::string& path, std::vector<char>& into) {
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) return false;
  struct stat info {};
  fstat(fd, &info);
  into.resize(static_cast<size_t>(info.st_size));
  size_t got = 0;
  while (got < into.size()) {
    const ssize_t n = read(fd, into.data() + got, into.size() - got);
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  close(fd);
  return got == into.size();
}

uint32_t U32(size_t at) {
  uint32_t value;
  std::memcpy(&value, buffer.data() + at, 4);
  return value;
}

// A length-prefixed string at `at`: a view into the buffer, or for the
// UTF-16 form its UTF-8 text in `wide`.
std::string_view String(size_t& at, std::vector<std::string>& wide) {
  const auto count = static_cast<int32_t>(U32(at));
  at += 4;
  if (count >= 0) {
    std::string_view text(buffer.data() + at, static_cast<size_t>(count));
    at += static_cast<size_t>(count);
    return text.substr(0, text.find('\0'));
  }
  std::u16string units(static_cast<size_t>(-count), u'\0');
  std::memcpy(units.data(), buffer.data() + at, units.size() * 2);
  at += units.size() * 2;
  wide.push_back(platform::WideToNarrow(units.c_str()));
  return wide.back();
}

// The package path of `file`, composed in place at the end of the save.
void AddPackagePath(std::string_view file) {
  if (file.find(".uasset") == std::string_view::npos) return;
  const size_t record = save.size();
  save.append(4, '\0');  // the length, once it is known
  const size_t start = save.size();
  save += file;
  auto tail = [&] { return std::string_view(save).substr(start); };
  if (const size_t doubled = tail().find("//"); doubled != std::string_view::npos)
    save.erase(start + doubled, 1);
  if (const size_t content = tail().find("Content"); content != std::string_view::npos) {
    size_t end = start + content + 7;
    if (end < save.size()) {
      const auto lead = static_cast<uint8_t>(save[end]);
      const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
      for (size_t i = 1; ++end < save.size() && i < length &&
                         (static_cast<uint8_t>(save[end]) & 0xC0) == 0x80;
           ++i) {
      }
    }
    save.replace(start, end - start, "/Game/");
  }
  const size_t extension = tail().rfind(".uasset");
  if (extension == std::string_view::npos) {
    save.resize(record);
    return;
  }
  save.resize(start + extension);
  const size_t asset = tail().rfind('/') + 1;
  save += '.';
  save.append(save, start + asset, extension - asset);
  ++paths;
  int32_t length;
  bool sevenBit = true;
  for (const char c : tail()) sevenBit = sevenBit && static_cast<uint8_t>(c) < 0x80;
  if (sevenBit) {
    save += '\0';
    length = static_cast<int32_t>(save.size() - start);
  } else {
    const std::u16string units = platform::NarrowToWide(tail()) + u'\0';
    save.resize(start);
    save.append(reinterpret_cast<const char*>(units.data()), units.size() * 2);
    length = -static_cast<int32_t>(units.size());
  }
  std::memcpy(save.data() + record, &length, 4);
}

struct Index {
  size_t directories, files;  // where their entries start
  std::vector<std::string_view> names;
};

// The files below a directory after its subdirectories', in chain order.
void Walk(const Index& index, uint32_t directory, std::string& path) {
  const size_t length = path.size();
  for (uint32_t child = U32(index.directories + 16 * directory + 4); child != 0xFFFFFFFF;
       child = U32(index.directories + 16 * child + 8)) {
    path += '/';
    path += index.names[U32(index.directories + 16 * child)];
    Walk(index, child, path);
    path.resize(length);
  }
  for (uint32_t file = U32(index.directories + 16 * directory + 12); file != 0xFFFFFFFF;
       file = U32(index.files + 12 * file + 4)) {
    path += '/';
    path += index.names[U32(index.files + 12 * file)];
    AddPackagePath(path);
    path.resize(length);
  }
}

void ReadContainer(const std::string& file) {
  if (!ReadWhole(file, buffer) || buffer.size() < 144) return;
  const uint32_t chunks = U32(24), blocks = U32(28), methods = U32(36), indexSize = U32(48);
  const auto flags = static_cast<uint8_t>(buffer[80]);
  size_t at = 144 + 22 * size_t{chunks} + 12 * size_t{blocks};
  if (flags & 1) at += 32 * size_t{methods > 1 ? methods : 1};
  if (flags & 4) at += 4 + 2 * size_t{U32(at)} + 20 * size_t{blocks};
  if ((flags & 2) || (indexSize == 0 && buffer.size() - at == 33 * size_t{chunks})) return;
  std::vector<std::string> wide;
  std::string path(String(at, wide));
  Index index;
  index.directories = at + 4;
  at = index.directories + 16 * size_t{U32(at)};
  index.files = at + 4;
  at = index.files + 12 * size_t{U32(at)};
  const uint32_t names = U32(at);
  at += 4;
  // The UTF-16 names' text must not move while views point into it.
  wide.reserve(wide.size() + names);
  for (uint32_t i = 0; i < names; ++i) index.names.push_back(String(at, wide));
  Walk(index, 0, path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s <paks folder> <template> <save>\n", argv[0]);
    return 2;
  }
  std::vector<char> templateBytes;
  if (!ReadWhole(argv[2], templateBytes)) return 1;
  save.assign(templateBytes.begin(), templateBytes.end());
  const size_t countAt = save.size();
  save.append(4, '\0');

  // The paks folder and its immediate subfolders, in listing order.
  std::vector<std::string> containers;
  auto list = [&](const std::string& folder, bool recurse, auto& self) -> void {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "/" + name;
      if (entry->d_type == DT_DIR) {
        if (recurse) self(path, false, self);
        continue;
      }
      if (name.size() < 5 || name.compare(name.size() - 5, 5, ".utoc") != 0) continue;
      bool base = false;
      for (std::string_view game : modpaths::BaseGameContainers) base = base || name == game;
      if (!base) containers.push_back(path);
    }
    closedir(dir);
  };
  list(argv[1], true, list);

  for (const std::string& container : containers) ReadContainer(container);
  std::memcpy(save.data() + countAt, &paths, 4);
  save.append("\x05\x00\x00\x00None\x00\x00\x00\x00\x00", 13);

  const std::string temporary = std::string(argv[3]) + ".floor.tmp";
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (fd < 0) return 1;
  const bool written = write(fd, save.data(), save.size()) == static_cast<ssize_t>(save.size()) &&
                       fsync(fd) == 0;
  close(fd);
  return written && std::rename(temporary.c_str(), argv[3]) == 0 ? 0 : 1;
}
