#pragma once

// What the save commands say of a save, shared by save and check.

#include <cstdint>
#include <string>

#include "app/save_file.h"

namespace inspect {

// Paths of a save stored the way modpaths 1.0.0 stored them, explained.
std::string EightBitPathsMessage(const modpaths::DecodedSave& decoded);

// A save that does not start with the template it was made from: the
// template has changed since (a game update), at `offset` first.
std::string TemplateChangedMessage(uint64_t offset);

}  // namespace inspect
