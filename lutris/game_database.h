#pragma once

// Lutris' list of games, pga.db, read with SQLite: what reads this machine,
// apart from the rules of lutris/lutris.h.

#include <optional>
#include <string>
#include <vector>

#include "lutris/lutris.h"

namespace lutris {

// The rows of pga.db's games table; nothing, with `why`, when there is no
// such database or it cannot be read. Opened read-only: Lutris' own.
std::optional<std::vector<DatabaseGame>> ReadGameDatabase(const std::string& path, std::string* why = nullptr);

}  // namespace lutris
