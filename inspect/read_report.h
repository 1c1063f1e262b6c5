#pragma once

// How reading a container went and what its walk met, for every command
// that reads one: as JSON, and as problems.

#include "extract/directory_walk.h"
#include "inspect/problems.h"
#include "iostore/toc_resource.h"

namespace inspect {

// The sections as far as they were read. An encrypted container's
// directory index is neither read nor skipped, so the sections after it
// are not shown: the index is given by the size its header states.
Json ReadJson(const IoStore::TocReadReport& report, bool encrypted, int64_t directoryIndexSize);
// What the walk met; an index that was not read (`indexRead` false), or
// read only in part, has no root to miss.
Json WalkJson(const modpaths::WalkAnomalies& walk, bool indexRead,
              const IoStore::TocReadReport& report);
// Neither encrypted nor packed without an index.
bool IndexWasRead(const IoStore::FIoStoreTocResource& toc);

// How reading ended and what the walk met, as problems. A header whose
// counts no file could hold is damaged; counts that merely reach past the
// end mean a file cut short.
void AddReadAndWalkProblems(const IoStore::TocReadReport& report,
                            const modpaths::WalkAnomalies& walk,
                            const IoStore::FIoStoreTocHeader& header, Problems& problems);

}  // namespace inspect
