#include "platform/console.h"

namespace platform {

bool WaitsForEnter(const ConsoleFacts& console) {
  return console.processes == 1 && console.inputIsConsole &&
         (!console.wine || console.windowVisible);
}

bool IsWineTerminal(const ConsoleFacts& console) {
  return console.wine && console.processes > 0 && !console.windowVisible;
}

std::optional<uint32_t> WidthToShow(std::string_view text, uint32_t width,
                                    const ConsoleFacts& console) {
  if (!IsWineTerminal(console)) return std::nullopt;
  // Characters, as the console counts them: UTF-8 bytes that start one.
  uint32_t longest = 0, line = 0;
  for (const char c : text) {
    if (c == '\n') {
      line = 0;
    } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80 && ++line > longest) {
      longest = line;
    }
  }
  if (longest < width || longest >= 32000) return std::nullopt;
  return longest + 1;
}

}  // namespace platform
