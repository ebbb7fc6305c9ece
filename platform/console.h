// The console as the repair pass needs it: a keyboard that can be asked,
// without blocking, whether a key is waiting, and read one code at a time
// without echo; and standard streams written through.
//
// console_posix.cc and console_windows.cc hold the two platforms' versions.
#ifndef REPOINT_PLATFORM_CONSOLE_H_
#define REPOINT_PLATFORM_CONSOLE_H_

#include <memory>

namespace repoint {

// Codes of the console keyboard, as a PC keyboard gives them: a key that
// yields a character reads as its code (Esc as 27); a key that yields none
// (cursor, editing and function keys) reads as a lead code, 0 or 224, then
// at the next read its second code.
class ConsoleKeyboard {
 public:
  virtual ~ConsoleKeyboard() = default;

  // True when a code is waiting to be read, the second code of a two-code
  // key included. Never blocks. Always false without a console keyboard.
  virtual bool KeyWaiting() = 0;

  // The next code, 0 to 255, without echo; a value outside 0 to 255 when
  // the read fails. Called only after KeyWaiting() said yes, so it returns
  // at once.
  virtual int ReadCode() = 0;
};

// The keyboard of the console that controls this process; a keyboard on
// which no key is ever waiting when there is none. While the returned
// object lives the console hands over keys at once and does not echo them;
// its settings are restored when the object is destroyed, and also when
// the process ends through std::exit or a signal while it lives. While it
// lives the user's interrupt (Ctrl+C; on POSIX also SIGTERM and SIGHUP)
// reads as a waiting Esc, so the pass stops as on Esc; a second interrupt
// ends the process at once. One keyboard at a time.
std::unique_ptr<ConsoleKeyboard> OpenConsoleKeyboard();

// Makes standard output and standard error written through: each print is
// out before it returns, so text of the two streams lands in the order
// printed.
void MakeStandardStreamsWriteThrough();

}  // namespace repoint

#endif  // REPOINT_PLATFORM_CONSOLE_H_
