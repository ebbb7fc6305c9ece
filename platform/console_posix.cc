// POSIX console. The keyboard is the terminal that controls the process
// (/dev/tty), never standard input, so redirected input neither feeds nor
// disables the abort key. While the keyboard is open that terminal hands
// over keys at once and does not echo them; its settings are put back on
// every way out: the keyboard's destruction, std::exit (at exit), and the
// signals that end or stop the process.
//
// Ctrl+C, SIGTERM and SIGHUP ask the pass to stop as Esc does: from the
// first such signal on the keyboard reports a waiting key that reads as 27,
// terminal or not; the second one ends the process at once. Ctrl+\ ends it
// at once too, and Ctrl+Z stops it, each with the terminal put back first.
// Without a terminal, or while the process is a background job, no key is
// ever waiting and the terminal is never touched, so the process is never
// stopped by SIGTTIN or SIGTTOU.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <iterator>

#include "platform/console.h"
#include "platform/key_decoder.h"

namespace repoint {
namespace {

constexpr int kEscCode = 27;

// How long a lone Esc waits for the rest of a sequence before it counts
// as the Esc key. Terminals send a whole sequence in one write, so a few
// milliseconds are plenty, and the pass is held up only after an Esc.
constexpr int kEscapeWaitMilliseconds = 10;

// Shared with the signal handlers and the exit handler, which touch them
// only with async-signal-safe calls. g_changed_terminal is the descriptor
// whose settings were changed, or -1 while they are as found.
volatile sig_atomic_t g_changed_terminal = -1;
termios g_saved_settings;
volatile sig_atomic_t g_stop_signals = 0;

// Runs fn with SIGTTIN and SIGTTOU blocked, so that touching the terminal
// from a background process fails or succeeds but never stops the process.
template <typename Fn>
auto WithJobControlSignalsBlocked(Fn fn) {
  sigset_t blocked, previous;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGTTIN);
  sigaddset(&blocked, SIGTTOU);
  sigprocmask(SIG_BLOCK, &blocked, &previous);
  auto result = fn();
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  return result;
}

void RestoreTerminal() {
  const int fd = g_changed_terminal;
  if (fd < 0) return;
  WithJobControlSignalsBlocked([fd] { return tcsetattr(fd, TCSANOW, &g_saved_settings); });
  g_changed_terminal = -1;
}

// Ends the process as the signal would have without us, terminal restored.
void EndBySignal(int signal_number) {
  RestoreTerminal();
  signal(signal_number, SIG_DFL);
  raise(signal_number);  // delivered, and fatal, once the handler returns
}

void OnStopSignal(int signal_number) {
  if (g_stop_signals == 0) {
    g_stop_signals = 1;
    return;
  }
  EndBySignal(signal_number);  // the user insists
}

// Ctrl+Z: while the process is stopped the terminal is as the shell left
// it; it is taken again at the first key-waiting test in the foreground.
void OnSuspend(int) {
  const int saved_errno = errno;
  RestoreTerminal();
  struct sigaction own, stop_now{};
  stop_now.sa_handler = SIG_DFL;
  sigemptyset(&stop_now.sa_mask);
  sigaction(SIGTSTP, &stop_now, &own);
  raise(SIGTSTP);  // held while this handler runs...
  sigset_t suspend;
  sigemptyset(&suspend);
  sigaddset(&suspend, SIGTSTP);
  sigprocmask(SIG_UNBLOCK, &suspend, nullptr);  // ...and stops the process here
  sigaction(SIGTSTP, &own, nullptr);
  errno = saved_errno;
}

// The signals the keyboard handles while it is open, and how.
struct HandledSignal {
  int number;
  void (*handler)(int);
};
constexpr HandledSignal kHandledSignals[] = {{SIGINT, OnStopSignal},
                                             {SIGTERM, OnStopSignal},
                                             {SIGHUP, OnStopSignal},
                                             {SIGQUIT, EndBySignal},
                                             {SIGTSTP, OnSuspend}};

void RestoreTerminalAtExit() { RestoreTerminal(); }

class TerminalKeyboard final : public ConsoleKeyboard {
 public:
  TerminalKeyboard();
  ~TerminalKeyboard() override;

  TerminalKeyboard(const TerminalKeyboard&) = delete;
  TerminalKeyboard& operator=(const TerminalKeyboard&) = delete;

  bool KeyWaiting() override;
  int ReadCode() override;

 private:
  bool InForeground() const { return tcgetpgrp(fd_) == process_group_; }

  // Switches echo and line editing off, once, when the process is in the
  // foreground; settings are saved first so they can be put back exactly.
  void TakeTerminal();

  // Feeds the decoder every byte waiting on the terminal, after at most
  // `wait_milliseconds` for the first one. True when bytes came.
  bool ReadWaitingBytes(int wait_milliseconds);

  int fd_ = -1;
  const pid_t process_group_ = getpgrp();  // the tool never changes it
  KeyDecoder decoder_;
  struct sigaction previous_actions_[std::size(kHandledSignals)];
};

TerminalKeyboard::TerminalKeyboard() {
  static const bool exit_handler_registered = std::atexit(RestoreTerminalAtExit) == 0;
  (void)exit_handler_registered;

  g_stop_signals = 0;
  struct sigaction action {};
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (const HandledSignal& s : kHandledSignals) sigaddset(&action.sa_mask, s.number);
  for (std::size_t i = 0; i < std::size(kHandledSignals); ++i) {
    sigaction(kHandledSignals[i].number, nullptr, &previous_actions_[i]);
    // An ignored signal stays ignored: nohup's hang-up, or Ctrl+C for a
    // job that a shell started in the background.
    if (previous_actions_[i].sa_handler == SIG_IGN) continue;
    action.sa_handler = kHandledSignals[i].handler;
    sigaction(kHandledSignals[i].number, &action, nullptr);
  }

  fd_ = open("/dev/tty", O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ >= 0) TakeTerminal();
}

TerminalKeyboard::~TerminalKeyboard() {
  RestoreTerminal();
  for (std::size_t i = 0; i < std::size(kHandledSignals); ++i) {
    sigaction(kHandledSignals[i].number, &previous_actions_[i], nullptr);
  }
  if (fd_ >= 0) close(fd_);
}

void TerminalKeyboard::TakeTerminal() {
  if (g_changed_terminal >= 0 || !InForeground()) return;
  termios settings;
  if (tcgetattr(fd_, &settings) != 0) return;
  g_saved_settings = settings;
  settings.c_lflag &= ~(ICANON | ECHO);
  settings.c_cc[VMIN] = 1;
  settings.c_cc[VTIME] = 0;
  // Marked changed before the change, so a signal arriving in between
  // still puts the saved settings back.
  g_changed_terminal = fd_;
  if (WithJobControlSignalsBlocked([&] { return tcsetattr(fd_, TCSANOW, &settings); }) != 0) {
    g_changed_terminal = -1;
  }
}

bool TerminalKeyboard::ReadWaitingBytes(int wait_milliseconds) {
  pollfd waiting{fd_, POLLIN, 0};
  if (poll(&waiting, 1, wait_milliseconds) <= 0 || !(waiting.revents & POLLIN)) return false;
  char bytes[256];
  const ssize_t count =
      WithJobControlSignalsBlocked([&] { return read(fd_, bytes, sizeof bytes); });
  if (count <= 0) return false;
  decoder_.Feed(std::string_view(bytes, static_cast<std::size_t>(count)));
  return true;
}

bool TerminalKeyboard::KeyWaiting() {
  if (g_stop_signals != 0 || decoder_.CodeWaiting()) return true;
  if (fd_ < 0 || !InForeground()) return false;
  TakeTerminal();  // brought to the foreground since the keyboard opened
  ReadWaitingBytes(0);
  if (decoder_.Incomplete()) {
    while (decoder_.Incomplete() && ReadWaitingBytes(kEscapeWaitMilliseconds)) {
    }
    decoder_.Flush();
  }
  return decoder_.CodeWaiting();
}

int TerminalKeyboard::ReadCode() {
  if (g_stop_signals != 0) return kEscCode;
  if (!decoder_.CodeWaiting()) return -1;
  return decoder_.NextCode();
}

}  // namespace

std::unique_ptr<ConsoleKeyboard> OpenConsoleKeyboard() {
  return std::make_unique<TerminalKeyboard>();
}

}  // namespace repoint
