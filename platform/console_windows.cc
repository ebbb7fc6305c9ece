// Windows console. The C runtime's console functions already read the
// console's own keyboard, not standard input, without echo and with the
// lead codes of a PC keyboard, so the keyboard is a thin layer over
// _kbhit and _getch. Without a console, _kbhit never reports a key.
//
// Ctrl+C and Ctrl+Break ask the pass to stop as Esc does: from the first
// one on a key is reported waiting and reads as 27. A second one goes to
// the system's handler, which ends the process at once. The console's
// modes are never changed, so there is nothing to restore.
#include <conio.h>
#include <windows.h>

#include "platform/console.h"

namespace repoint {
namespace {

constexpr int kEscCode = 27;

// Raised on the system's handler thread, read on the pass's.
volatile LONG g_stop_requests = 0;

BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  return InterlockedIncrement(&g_stop_requests) == 1 ? TRUE : FALSE;
}

bool StopRequested() { return InterlockedCompareExchange(&g_stop_requests, 0, 0) != 0; }

class ConioKeyboard final : public ConsoleKeyboard {
 public:
  ConioKeyboard() {
    InterlockedExchange(&g_stop_requests, 0);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
  }
  ~ConioKeyboard() override { SetConsoleCtrlHandler(OnConsoleControl, FALSE); }

  ConioKeyboard(const ConioKeyboard&) = delete;
  ConioKeyboard& operator=(const ConioKeyboard&) = delete;

  bool KeyWaiting() override { return StopRequested() || _kbhit() != 0; }
  int ReadCode() override { return StopRequested() ? kEscCode : _getch(); }
};

}  // namespace

std::unique_ptr<ConsoleKeyboard> OpenConsoleKeyboard() { return std::make_unique<ConioKeyboard>(); }

}  // namespace repoint
