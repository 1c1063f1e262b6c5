#pragma once

// The engine's mount order (Unreal Engine 4.26 and 4.27, which agree), which
// decides whose data the game loads when two containers hold the same
// package. The engine finds every .pak below Content/Paks, at any depth,
// and mounts each with the container of the same name beside it; a .utoc
// without its .pak is never mounted.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace inspect {

// The path the engine knows a pak by, relative to its executable:
// ../../../HollowVoyage/Content/Paks/ and the pak's path below the paks
// folder, with "/" between names. HollowVoyage is the game's project name,
// whatever its folder on disk is called.
std::string EnginePakPath(std::string_view belowPaks);

// The engine's path of the pak that mounts the container at
// `containerPath` (either separator): the container's name with ".pak" for
// its extension, below the last Content/Paks of the path (in any case).
// Nothing when the path holds no Content/Paks.
std::optional<std::string> EnginePakPathOf(std::string_view containerPath);

// A pak's order (GetPakOrderFromPakFilePath, then Mount): 4 for a path that
// starts with ../../../HollowVoyage/Content/Paks/HollowVoyage-, 3 for the
// rest of Content (both tests without case). A path that ends in "_P.pak",
// in any case, adds 100 x v: v is 1, unless the text between the path's
// last "_" and the "_" before it (sought from two characters before the
// last one on) is numeric, an optional sign, digits and at most one dot,
// and reads as a number N >= 1 (atoi: its leading digits, clamped to int32);
// then v is N + 1. The sum is taken as uint32 and handed on as int32.
// Mod_P gives 103, Mod_5_P 603, Mod_0_P and 03_Mod_P 103.
int32_t PakOrder(std::string_view enginePath);

// The ending that raised a pak's order, as its name spells it: "_2_P" for
// Mod_2_P.pak, "_P" for Mod_P.pak (and Mod_0_P.pak, whose number counts for
// nothing), empty when there is none.
std::string PatchEnding(std::string_view enginePath);

// The engine's comparison of paths, negative, zero or positive as for
// strcmp: UTF-16 unit by unit, ASCII letters folded to lower case, as
// Windows' _wcsicmp does.
int ComparePaths(std::string_view a, std::string_view b);

// Whether the engine takes a chunk from the container with order `order`
// at `path` rather than from the other: readers are kept highest order
// first, and among equal orders the one mounted later, which is the one
// whose path sorts lower, since paks are mounted in descending order.
bool TakesPriority(int32_t order, std::string_view path, int32_t otherOrder,
                   std::string_view otherPath);

}  // namespace inspect
