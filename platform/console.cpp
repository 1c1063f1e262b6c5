#include "platform/console.h"

namespace platform {

bool WaitsForEnter(const ConsoleFacts& console) {
  return console.processes == 1 && console.inputIsConsole &&
         (!console.wine || console.windowVisible);
}

bool IsWineTerminal(const ConsoleFacts& console) {
  return console.wine && console.processes > 0 && !console.windowVisible;
}

}  // namespace platform
