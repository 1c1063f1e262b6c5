#include "launch/record.h"

#include "platform/platform.h"

namespace launch {
namespace {

// A record is a few kilobytes; anything far larger is no record of ours,
// and only its end is read.
constexpr int64_t kMostRead = 256 * 1024;

std::string RecordPath(const std::string& folder) {
  return folder + platform::kNativePaths.separator + std::string(kRecordName);
}

std::string ReadTail(const std::string& path) {
  platform::File file;
  if (!file.Open(path, platform::FileMode::Read)) return {};
  const int64_t size = file.Size();
  if (size <= 0) return {};
  const int64_t from = size > kMostRead ? size - kMostRead : 0;
  if (!file.Seek(from)) return {};
  std::string text(static_cast<size_t>(size - from), '\0');
  size_t got = 0;
  while (got < text.size()) {
    const int64_t read = file.Read(text.data() + got, text.size() - got);
    if (read <= 0) break;
    got += static_cast<size_t>(read);
  }
  text.resize(got);
  return text;
}

// The line without tabs or line breaks, which would end its field or line.
std::string Flat(std::string_view text) {
  std::string flat(text);
  for (char& c : flat) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return flat;
}

}  // namespace

std::string RecordLine(const RecordEntry& entry) {
  return Flat(entry.time) + '\t' + Flat(entry.version) + '\t' +
         (entry.byHand ? "by hand" : "command") + '\t' + Flat(entry.code) + '\t' +
         Flat(entry.words);
}

std::optional<RecordEntry> ParseRecordLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::vector<std::string_view> fields;
  for (size_t start = 0; fields.size() < 4;) {
    const size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos) return std::nullopt;
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
    if (fields.size() == 4) fields.push_back(line.substr(start));
  }
  if (fields[2] != "command" && fields[2] != "by hand") return std::nullopt;
  if (fields[0].empty() || fields[3].empty()) return std::nullopt;
  return RecordEntry{std::string(fields[0]), std::string(fields[1]), fields[2] == "by hand",
                     std::string(fields[3]), std::string(fields[4])};
}

std::string AddToRecord(std::string_view record, const std::string& line) {
  std::vector<std::string_view> lines;
  for (size_t start = 0; start < record.size();) {
    size_t end = record.find('\n', start);
    if (end == std::string_view::npos) end = record.size();
    std::string_view kept = record.substr(start, end - start);
    if (!kept.empty() && kept.back() == '\r') kept.remove_suffix(1);
    if (!kept.empty()) lines.push_back(kept);
    start = end + 1;
  }
  // Notepad before Windows 10 shows a file of bare line feeds as one line.
  const std::string_view newline = platform::kNativePaths.separator == '\\' ? "\r\n" : "\n";
  const size_t keep = kRecordRuns - 1;
  std::string text;
  for (size_t i = lines.size() > keep ? lines.size() - keep : 0; i < lines.size(); ++i) {
    text += lines[i];
    text += newline;
  }
  return text + line + std::string(newline);
}

bool WriteRecord(const std::string& folder, const RecordEntry& entry) {
  const std::string path = RecordPath(folder);
  const std::string text = AddToRecord(ReadTail(path), RecordLine(entry));
  const std::string temporary = path + "." + std::to_string(platform::ProcessId()) + ".tmp";
  platform::File file;
  if (!file.Open(temporary, platform::FileMode::Write)) return false;
  const bool written = file.Write(text.data(), text.size()) && file.Close();
  if (written && platform::RenameOver(temporary, path)) return true;
  file.Close();
  platform::RemoveFile(temporary);
  return false;
}

std::vector<RecordEntry> ReadRecord(const std::string& folder) {
  const std::string text = ReadTail(RecordPath(folder));
  std::vector<RecordEntry> entries;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (auto entry = ParseRecordLine(std::string_view(text).substr(start, end - start)))
      entries.push_back(std::move(*entry));
    start = end + 1;
  }
  return entries;
}

}  // namespace launch
