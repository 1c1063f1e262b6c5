#pragma once

#include <string>
#include <string_view>

namespace platform {

// Narrow strings hold UTF-8 throughout the tool; wide strings only appear at
// the Windows API boundary. An unpaired surrogate becomes U+FFFD.
std::string WideToNarrow(const char16_t* text);
std::string WideToNarrow(std::u16string_view text);

// The inverse, for handing narrow paths to wide APIs. Malformed UTF-8 bytes
// become U+FFFD each.
std::u16string NarrowToWide(std::string_view text);

}  // namespace platform
