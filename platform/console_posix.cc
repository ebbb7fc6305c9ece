// POSIX console. For now no console keyboard is used: no key is ever
// waiting, and the pass runs to its end.
#include <cstdio>

#include "platform/console.h"

namespace repoint {
namespace {

class NoKeyboard final : public ConsoleKeyboard {
 public:
  bool KeyWaiting() override { return false; }
  int ReadCode() override { return -1; }
};

}  // namespace

std::unique_ptr<ConsoleKeyboard> OpenConsoleKeyboard() { return std::make_unique<NoKeyboard>(); }

void MakeStandardStreamsWriteThrough() {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  std::setvbuf(stderr, nullptr, _IONBF, 0);
}

}  // namespace repoint
