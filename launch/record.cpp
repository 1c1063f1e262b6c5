#include "launch/record.h"

#include <array>

#include "platform/file_system.h"
#include "platform/replacing_file.h"

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

constexpr std::array<std::pair<RunCode, std::string_view>, 11> kCodeNames{{
    {RunCode::Written, "written"},
    {RunCode::NoTemplate, "no-template"},
    {RunCode::TemplateUnreadable, "template-unreadable"},
    {RunCode::NoSavedGames, "no-saved-games"},
    {RunCode::SaveLocked, "save-locked"},
    {RunCode::DiskFull, "disk-full"},
    {RunCode::WriteFailed, "write-failed"},
    {RunCode::ReadFailed, "read-failed"},
    {RunCode::NoGame, "no-game"},
    {RunCode::NestedFolder, "nested-folder"},
    {RunCode::WrapperFailed, "wrapper-failed"},
}};

// How long a run waits for another's record to be written; a few
// milliseconds each, at most some dozens of runs at once.
constexpr double kRecordLockSeconds = 5;

}  // namespace

std::string_view CodeName(RunCode code) {
  for (const auto& [known, name] : kCodeNames)
    if (known == code) return name;
  return "other";
}

RunCode CodeOfName(std::string_view name) {
  for (const auto& [code, known] : kCodeNames)
    if (known == name) return code;
  return RunCode::Other;
}

std::optional<int64_t> RecordSeconds(std::string_view time) {
  // YYYY-MM-DDThh:mm:ss+hh:mm
  if (time.size() != 25) return std::nullopt;
  auto number = [&](size_t at, size_t digits) -> std::optional<int64_t> {
    int64_t value = 0;
    for (size_t i = at; i < at + digits; ++i) {
      if (time[i] < '0' || time[i] > '9') return std::nullopt;
      value = value * 10 + (time[i] - '0');
    }
    return value;
  };
  const auto year = number(0, 4), month = number(5, 2), day = number(8, 2), hour = number(11, 2),
             minute = number(14, 2), second = number(17, 2), offsetHours = number(20, 2),
             offsetMinutes = number(23, 2);
  if (!year || !month || !day || !hour || !minute || !second || !offsetHours || !offsetMinutes ||
      *month < 1 || *month > 12 || *day < 1 || *day > 31 || (time[19] != '+' && time[19] != '-')) {
    return std::nullopt;
  }
  // Days from 1970-01-01 of the proleptic Gregorian calendar.
  const int64_t y = *year - (*month <= 2 ? 1 : 0);
  const int64_t era = y / 400;
  const int64_t yearOfEra = y - era * 400;
  const int64_t dayOfYear = (153 * (*month + (*month > 2 ? -3 : 9)) + 2) / 5 + *day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const int64_t days = era * 146097 + dayOfEra - 719468;
  const int64_t offset = (*offsetHours * 60 + *offsetMinutes) * 60 * (time[19] == '-' ? -1 : 1);
  return days * 86400 + *hour * 3600 + *minute * 60 + *second - offset;
}

std::string RecordLine(const RecordEntry& entry) {
  return Flat(entry.time) + '\t' + Flat(entry.version) + '\t' +
         (entry.byHand ? "by hand" : "command") + '\t' + std::string(CodeName(entry.code)) + '\t' +
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
                     CodeOfName(fields[3]), std::string(fields[4])};
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
  // Not taken in time, the line is added all the same: at worst another
  // run's is lost.
  const platform::ExclusiveLock lock(folder, kRecordLockSeconds);
  platform::RemoveLeftoverTemporaries(path);
  const std::string text = AddToRecord(ReadTail(path), RecordLine(entry));
  platform::ReplacingFile replacing;
  return replacing.Create(path) && replacing.file().Write(text.data(), text.size()) &&
         replacing.file().Sync() && replacing.Commit();
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
