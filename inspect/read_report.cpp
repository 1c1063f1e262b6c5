// How reading a container went and what its walk met, for every command
// that reads one: as JSON, and as problems.

#include "inspect/read_report.h"

#include <string>
#include <utility>

namespace inspect {
namespace {

std::string FailureKindName(Tessel::FailureKind kind) {
  switch (kind) {
    case Tessel::FailureKind::None:
      return "none";
    case Tessel::FailureKind::NotOpened:
      return "cannot open";
    case Tessel::FailureKind::EndOfFile:
      return "ran out of bytes";
    case Tessel::FailureKind::Refused:
      return "refused";
    case Tessel::FailureKind::WriteFailed:
      return "write failed";
    case Tessel::FailureKind::CloseFailed:
      return "close failed";
  }
  return "unknown";
}

std::string Text(std::string_view bytes) { return std::string(bytes); }

// The section the failure happened in: the last one begun at or before it.
std::string FailureSection(const IoStore::TocReadReport& report) {
  std::string section;
  for (const auto& mark : report.sections) {
    if (mark.offset >= 0 && mark.offset <= report.failure.offset) section = std::string(mark.name);
  }
  return section;
}

int64_t BytesLeft(const IoStore::TocReadReport& report) {
  return report.fileSize >= report.failure.offset ? report.fileSize - report.failure.offset : 0;
}

// A download or copy that stopped early leaves part of a real table of
// contents; a count asking for this much more than the file holds is no
// such thing, since no real table of contents comes near a gigabyte.
constexpr int64_t kDamagedMargin = int64_t{1} << 30;

// The header count that asks for the most bytes of tables, and its value.
std::pair<const char*, int64_t> LargestCount(const IoStore::FIoStoreTocHeader& header) {
  const int64_t chunks = header.TocEntryCount;
  const int64_t blocks = header.TocCompressedBlockEntryCount;
  if (chunks >= 0 && (blocks < 0 || 55 * chunks < 12 * blocks))
    return {"TocCompressedBlockEntryCount", blocks};
  return {"TocEntryCount", chunks};
}

}  // namespace

Json ReadJson(const IoStore::TocReadReport& report, bool encrypted, int64_t directoryIndexSize) {
  Json sections = Json::array();
  const auto& marks = report.sections;
  for (size_t i = 0; i < marks.size(); ++i) {
    if (marks[i].offset < 0 || marks[i].name == "end") continue;
    if (encrypted && marks[i].name == "ChunkMetas") {
      // As large as the header says, unless the file ends first.
      const int64_t start = marks[i].offset;
      const int64_t end = start + directoryIndexSize;
      sections.push_back(Fields({{"name", "DirectoryIndex"},
                                 {"start", start},
                                 {"end", end <= report.fileSize ? Json(end) : Json(nullptr)},
                                 {"read", false}}));
      break;
    }
    int64_t end = -1;
    for (size_t j = i + 1; j < marks.size() && end < 0; ++j) end = marks[j].offset;
    sections.push_back(Fields({{"name", marks[i].name},
                               {"start", marks[i].offset},
                               {"end", end >= 0 ? Json(end) : Json(nullptr)}}));
  }
  const Tessel::StreamFailure& failure = report.failure;
  const bool complete = failure.kind == Tessel::FailureKind::None;
  Json read = Fields({{"fileSize", report.fileSize},
                      {"sections", nullptr},
                      {"complete", complete},
                      {"failure", nullptr}});
  read["sections"] = std::move(sections);
  if (!complete) {
    Json described = Fields({{"kind", FailureKindName(failure.kind)},
                             {"offset", failure.offset},
                             {"section", FailureSection(report)}});
    if (failure.kind == Tessel::FailureKind::Refused) {
      described["field"] = Text(failure.what);
      described["value"] = failure.value;
      described["bytesLeft"] = BytesLeft(report);
    }
    read["failure"] = std::move(described);
  }
  return read;
}

bool IndexWasRead(const IoStore::FIoStoreTocResource& toc) {
  return !(toc.Header.ContainerFlags & IoStore::ContainerFlags::Encrypted) && !toc.NoDirectoryIndex;
}

Json WalkJson(const modpaths::WalkAnomalies& walk, bool indexRead,
              const IoStore::TocReadReport& report) {
  return Fields({{"linksOutOfRange", walk.linksOutOfRange},
                 {"namesOutOfRange", walk.namesOutOfRange},
                 {"entriesMetTwice", walk.entriesMetTwice},
                 {"noRootDirectory",
                  walk.noRoot && indexRead && report.failure.kind == Tessel::FailureKind::None},
                 {"outputLimitReached", walk.outputLimitReached}});
}

void AddReadAndWalkProblems(const IoStore::TocReadReport& report,
                            const modpaths::WalkAnomalies& walk,
                            const IoStore::FIoStoreTocHeader& header, Problems& problems) {
  const Tessel::StreamFailure& failure = report.failure;
  const std::string at =
      "offset " + std::to_string(failure.offset) + " in " + FailureSection(report);
  // A count the file cannot hold, but one slightly larger could, is what a
  // file cut short looks like; anything further off is damage.
  const bool refused = failure.kind == Tessel::FailureKind::Refused;
  const bool damaged =
      refused && (failure.value < 0 || failure.needed < 0 ||
                  failure.needed - report.fileSize > kDamagedMargin);
  const bool headerCounts = failure.what == IoStore::FIoStoreTocResource::kTableCounts;
  switch (failure.kind) {
    case Tessel::FailureKind::None:
      break;
    case Tessel::FailureKind::NotOpened:
      problems.Add("cannot-open", "the file cannot be opened");
      break;
    case Tessel::FailureKind::Refused:
      if (damaged && headerCounts) {
        const auto [field, value] = LargestCount(header);
        problems.Add(
            "damaged-header",
            "the header is damaged: its " + std::string(field) + " of " + std::to_string(value) +
                (value < 0 ? " is negative"
                           : " asks for " + Size(failure.needed) + " of tables, where the file has " +
                                 Size(report.fileSize) + " and no table of contents comes near that") +
                ". This is no download cut short: another download helps only if the author's own "
                "file is fine; otherwise tell the mod's author");
        break;
      }
      if (damaged) {
        problems.Add("refused-count", "refused " + Text(failure.what) + " = " +
                                          std::to_string(failure.value) + " at " + at + ": only " +
                                          std::to_string(BytesLeft(report)) +
                                          " bytes are left; the file is damaged");
        break;
      }
      [[fallthrough]];
    default:
      problems.Add(
          "truncated",
          "the file is cut short (" + std::to_string(report.fileSize) + " bytes; its tables need " +
              (failure.needed > 0 ? (refused && headerCounts ? "" : "at least ") + std::to_string(failure.needed)
                                  : std::string("more")) +
              ", and it runs out in " + FailureSection(report) + "): download or copy it again");
      break;
  }
  if (walk.linksOutOfRange != 0) {
    problems.Add("links-out-of-range", std::to_string(walk.linksOutOfRange) +
                                           " directory or file links point outside their tables");
  }
  if (walk.namesOutOfRange != 0) {
    problems.Add("names-out-of-range",
                 std::to_string(walk.namesOutOfRange) + " names point outside the string table");
  }
  if (walk.entriesMetTwice != 0) {
    problems.Add("entries-met-twice",
                 std::to_string(walk.entriesMetTwice) +
                     " links lead back to entries already visited (loops or shared entries)");
  }
  if (walk.outputLimitReached) {
    problems.Add("walk-limit",
                 "the walk stopped: its paths grew far beyond the size of the tables");
  }
}

}  // namespace inspect
