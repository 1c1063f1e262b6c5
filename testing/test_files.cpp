#include "testing/test_files.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <system_error>

namespace testing_support {
namespace fs = std::filesystem;

namespace {

// Paths in the tests are UTF-8, as in the tool; on Windows a plain
// std::string would go through the ANSI code page instead.
fs::path Native(const std::string& path) { return fs::u8path(path); }

std::string Utf8(const fs::path& path) {
  const auto text = path.generic_u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace

Bytes Hex(std::string_view text) {
  Bytes bytes;
  int high = -1;
  for (char c : text) {
    int value;
    if (c >= '0' && c <= '9')
      value = c - '0';
    else if (c >= 'a' && c <= 'f')
      value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      value = c - 'A' + 10;
    else
      continue;
    if (high < 0) {
      high = value;
    } else {
      bytes.push_back(static_cast<uint8_t>(high * 16 + value));
      high = -1;
    }
  }
  if (high >= 0) throw std::invalid_argument("odd number of hex digits");
  return bytes;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes joined;
  for (const Bytes& part : parts) joined.insert(joined.end(), part.begin(), part.end());
  return joined;
}

TempDir::TempDir() {
  // $TMPDIR first, as mkdtemp would; the system's temporary folder else
  // (GetTempPath on Windows).
  const char* base = std::getenv("TMPDIR");
  const fs::path folder = base && *base ? Native(base) : fs::temp_directory_path();
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate =
        folder / ("modpaths-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      path_ = Utf8(candidate);
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary folder in " + Utf8(folder));
}

TempDir::~TempDir() { RemoveTree(path_); }

void MakeFolders(const std::string& path) {
  std::error_code error;
  fs::create_directories(Native(path), error);
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(Native(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

void WriteFile(const std::string& path, std::string_view text) {
  WriteFile(path, Bytes(text.begin(), text.end()));
}

Bytes ReadFile(const std::string& path, bool* exists) {
  std::ifstream in(Native(path), std::ios::binary);
  if (exists) *exists = static_cast<bool>(in);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) {
  std::error_code error;
  return fs::exists(Native(path), error);
}

std::vector<std::string> ListNames(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(Native(folder), error), end; !error && it != end;
       it.increment(error)) {
    names.push_back(Utf8(it->path().filename()));
  }
  return names;
}

void SetReadOnly(const std::string& path, bool readOnly) {
  std::error_code error;
  fs::permissions(Native(path),
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  readOnly ? fs::perm_options::remove : fs::perm_options::add, error);
}

void MakeExecutable(const std::string& path) {
  std::error_code error;
  fs::permissions(Native(path), fs::perms::owner_exec, fs::perm_options::add, error);
}

void ResizeFile(const std::string& path, uint64_t size) {
  std::error_code error;
  fs::resize_file(Native(path), size, error);
  if (error) throw std::runtime_error("cannot resize " + path + ": " + error.message());
}

void RemoveTree(const std::string& path) {
  const fs::path root = Native(path);
  std::error_code error;
  // Read-only files and folders (left so by a test) must not stop the
  // clean-up; Windows refuses to delete read-only files.
  if (fs::is_directory(fs::symlink_status(root, error))) {
    SetReadOnly(path, false);
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end;
         it.increment(error)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
      error.clear();
    }
  } else {
    SetReadOnly(path, false);
  }
  fs::remove_all(root, error);
}

}  // namespace testing_support
