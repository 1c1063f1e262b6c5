#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

using Bytes = std::vector<uint8_t>;

// "AA BB 01" -> {0xAA, 0xBB, 0x01}; spaces and line breaks are ignored.
Bytes Hex(std::string_view text);
Bytes Join(std::initializer_list<Bytes> parts);

// A fresh folder below $TMPDIR (or the system's temporary folder), removed
// with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(std::string_view name) const { return path_ + "/" + std::string(name); }

 private:
  std::string path_;
};

void MakeFolders(const std::string& path);
void WriteFile(const std::string& path, const Bytes& bytes);
void WriteFile(const std::string& path, std::string_view text);
// Empty when the file cannot be read; `exists` tells the two apart.
Bytes ReadFile(const std::string& path, bool* exists = nullptr);
bool FileExists(const std::string& path);
// Names in the folder, without "." and "..".
std::vector<std::string> ListNames(const std::string& folder);
// Takes the write permission away (Windows: the read-only attribute), or
// gives it back.
void SetReadOnly(const std::string& path, bool readOnly = true);
// Lets the owner run the file (POSIX; nothing to do on Windows).
void MakeExecutable(const std::string& path);
// Cuts or extends a file; extended bytes read as zeros.
void ResizeFile(const std::string& path, uint64_t size);
void RemoveTree(const std::string& path);

}  // namespace testing_support
