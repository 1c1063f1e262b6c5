// Any bytes as a game's settings of Lutris (YAML) and of Heroic (JSON):
// the splice must never step outside the text, and what it writes must
// read back with the wrapper in it and come out again.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "heroic/heroic.h"
#include "lutris/lutris.h"
#include "steam/launch_options.h"

namespace {

void Require(bool holds) {
  if (!holds) std::abort();
}

const std::string kCopy = "/home/deck/.local/share/modpaths/modpaths-launch";

void CheckLutris(std::string_view text) {
  const lutris::PrefixCommand before = lutris::PrefixCommandOf(text);
  if (!before.problem.empty()) {
    Require(!lutris::SetPrefixCommand(text, "x").problem.empty());
    return;
  }
  const steam::Splice splice = steam::PrefixWithWrapper(before.value.value_or(""), kCopy);
  if (!splice.problem.empty()) return;
  const lutris::Edit edit = lutris::SetPrefixCommand(text, splice.value);
  if (!edit.problem.empty()) return;
  Require(lutris::PrefixCommandOf(edit.text).value == splice.value);
  // Put back; where the splice cannot mark the value off again (YAML it
  // does not write, anchors, odd indentation), it refuses, which changes
  // nothing.
  const lutris::Edit back = lutris::SetPrefixCommand(edit.text, before.value);
  if (back.problem.empty()) Require(lutris::PrefixCommandOf(back.text).value == before.value);
}

void CheckHeroic(std::string_view text) {
  const heroic::Edit edit = heroic::WithWrapper(std::string(text), "Crab", kCopy);
  if (!edit.problem.empty()) return;
  const heroic::Wrappers now = heroic::WrappersOf(edit.text, "Crab");
  Require(now.problem.empty() && !now.list.empty() && now.list.front().exe == kCopy);
  const heroic::Edit back = heroic::WithoutWrapper(edit.text, "Crab", kCopy);
  Require(back.problem.empty());
  for (const heroic::Wrapper& wrapper : heroic::WrappersOf(back.text, "Crab").list) Require(wrapper.exe != kCopy);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckLutris(text);
  CheckHeroic(text);
  return 0;
}
