// The console keyboard on a real pseudo-terminal: each test forks a child
// whose controlling terminal (or lack of one) is set up as a user's would
// be, drives its keyboard there, and hears back over a pipe.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "platform/console.h"

namespace repoint {
namespace {

// Guards against a hung child; never part of what a test checks.
constexpr int kReportWaitMilliseconds = 10000;

struct Settings {
  termios t;
  bool operator==(const Settings& o) const {
    return t.c_iflag == o.t.c_iflag && t.c_oflag == o.t.c_oflag && t.c_cflag == o.t.c_cflag &&
           t.c_lflag == o.t.c_lflag && std::equal(t.c_cc, t.c_cc + NCCS, o.t.c_cc);
  }
};

class TerminalChildTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(openpty(&master_, &slave_, nullptr, nullptr, nullptr), 0);
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    report_read_ = report[0];
    report_write_ = report[1];
    before_ = Current();
  }

  void TearDown() override {
    if (child_ > 0 && waitpid(child_, nullptr, WNOHANG) == 0) {
      kill(child_, SIGKILL);
      waitpid(child_, nullptr, 0);
    }
    close(master_);
    close(slave_);
    close(report_read_);
    close(report_write_);
  }

  // Runs body in a child in a session of its own, on the pseudo-terminal as
  // its controlling terminal when `on_terminal`, with standard input from
  // /dev/null. The child's exit status is body's result.
  void Start(std::function<int()> body, bool on_terminal = true) {
    child_ = fork();
    ASSERT_GE(child_, 0);
    if (child_ == 0) {
      setsid();
      if (on_terminal) ioctl(slave_, TIOCSCTTY, 0);
      const int null_input = open("/dev/null", O_RDONLY);
      dup2(null_input, STDIN_FILENO);
      _exit(body());
    }
  }

  // In the child: tells the test something, one line.
  void Report(const std::string& line) {
    const std::string text = line + "\n";
    (void)!write(report_write_, text.data(), text.size());
  }

  // In the test: the child's next report line.
  std::string NextReport() {
    std::string line;
    char c;
    pollfd readable{report_read_, POLLIN, 0};
    while (poll(&readable, 1, kReportWaitMilliseconds) == 1 && read(report_read_, &c, 1) == 1) {
      if (c == '\n') return line;
      line += c;
    }
    return line + "<no report>";
  }

  // In the child: waits for the keyboard's next code.
  static int NextCode(ConsoleKeyboard& keyboard) {
    while (!keyboard.KeyWaiting()) usleep(1000);
    return keyboard.ReadCode();
  }

  void Type(const std::string& keys) {
    ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }

  // What the terminal shows: everything written to it so far.
  std::string Screen() {
    std::string text;
    char buffer[256];
    pollfd readable{master_, POLLIN, 0};
    while (poll(&readable, 1, 0) == 1) {
      const ssize_t n = read(master_, buffer, sizeof buffer);
      if (n <= 0) break;
      text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
  }

  // The child's wait status (with WUNTRACED, also once it stops); a child
  // still running after the guard time is killed, which fails the test
  // rather than hanging it.
  int WaitForChild(int options = 0) {
    int status = 0;
    for (int waited = 0; waited < kReportWaitMilliseconds; ++waited) {
      if (waitpid(child_, &status, WNOHANG | options) == child_) return status;
      usleep(1000);
    }
    kill(child_, SIGKILL);
    waitpid(child_, &status, 0);
    return status;
  }

  Settings Current() {
    Settings s;
    tcgetattr(slave_, &s.t);
    return s;
  }

  int master_ = -1, slave_ = -1, report_read_ = -1, report_write_ = -1;
  pid_t child_ = -1;
  Settings before_;
};

TEST_F(TerminalChildTest, ReadsKeysWithoutEchoAndRestoresSettings) {
  Start([this] {
    auto keyboard = OpenConsoleKeyboard();
    Report("ready");
    std::string codes;
    for (int code = 0; code != 27;) codes += std::to_string(code = NextCode(*keyboard)) + " ";
    Report(codes);
    keyboard.reset();
    Report("closed");
    return 0;
  });
  ASSERT_EQ(NextReport(), "ready");
  EXPECT_FALSE(Current().t.c_lflag & ECHO);
  EXPECT_FALSE(Current().t.c_lflag & ICANON);
  Type("a\x1b[A\x1bOP\x1b");
  EXPECT_EQ(NextReport(), "97 224 72 0 59 27 ");
  EXPECT_EQ(NextReport(), "closed");
  EXPECT_TRUE(Current() == before_);
  EXPECT_EQ(Screen(), "");  // nothing echoed
  EXPECT_EQ(WaitForChild(), 0);
}

// Ctrl+C reads as Esc; a second one ends the process at once, by the
// signal, with the terminal put back.
TEST_F(TerminalChildTest, CtrlCReadsAsEscThenSecondEndsProcess) {
  Start([this]() -> int {
    auto keyboard = OpenConsoleKeyboard();
    Report("ready");
    Report(std::to_string(NextCode(*keyboard)));
    for (;;) pause();
  });
  ASSERT_EQ(NextReport(), "ready");
  Type("\x03");
  EXPECT_EQ(NextReport(), "27");
  EXPECT_FALSE(Current().t.c_lflag & ECHO);
  Type("\x03");
  const int status = WaitForChild();
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGINT);
  EXPECT_TRUE(Current() == before_);
}

// Ctrl+\ ends the process at once, by its signal, terminal put back.
TEST_F(TerminalChildTest, CtrlBackslashEndsProcess) {
  Start([this]() -> int {
    const rlimit no_core{0, 0};
    setrlimit(RLIMIT_CORE, &no_core);
    auto keyboard = OpenConsoleKeyboard();
    Report("ready");
    for (;;) pause();
  });
  ASSERT_EQ(NextReport(), "ready");
  EXPECT_FALSE(Current().t.c_lflag & ECHO);
  Type("\x1c");
  const int status = WaitForChild();
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGQUIT);
  EXPECT_TRUE(Current() == before_);
}

// Ctrl+Z stops the process with the terminal as found; back in the
// foreground the keyboard takes it again. The child plays the shell, so
// that the job's process group is not orphaned and can be stopped.
TEST_F(TerminalChildTest, CtrlZHandsTerminalBackWhileStopped) {
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  Start([this, &go] {
    signal(SIGTSTP, SIG_IGN);
    signal(SIGTTOU, SIG_IGN);
    const pid_t job = fork();
    if (job == 0) {
      setpgid(0, 0);
      tcsetpgrp(slave_, getpid());
      signal(SIGTSTP, SIG_DFL);
      signal(SIGTTOU, SIG_DFL);
      auto keyboard = OpenConsoleKeyboard();
      Report("ready");
      const int code = NextCode(*keyboard);
      Settings during;
      tcgetattr(slave_, &during.t);
      Report(std::to_string(code) + ((during.t.c_lflag & ECHO) ? " echo" : " no echo"));
      keyboard.reset();
      _exit(0);
    }
    setpgid(job, job);
    int status = 0;
    waitpid(job, &status, WUNTRACED);
    if (!WIFSTOPPED(status)) return 1;
    tcsetpgrp(slave_, getpgrp());
    Report("stopped");
    char byte;
    if (read(go[0], &byte, 1) != 1) return 1;
    tcsetpgrp(slave_, job);  // fg
    kill(-job, SIGCONT);
    waitpid(job, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
  });
  ASSERT_EQ(NextReport(), "ready");
  EXPECT_FALSE(Current().t.c_lflag & ECHO);
  Type("\x1a");
  ASSERT_EQ(NextReport(), "stopped");
  EXPECT_TRUE(Current() == before_);
  Type("\x1b");  // waits in the terminal until the job is back
  ASSERT_EQ(write(go[1], "g", 1), 1);
  EXPECT_EQ(NextReport(), "27 no echo");
  EXPECT_EQ(WaitForChild(), 0);
  EXPECT_TRUE(Current() == before_);
  close(go[0]);
  close(go[1]);
}

// Reachable to the end, so a leak checker does not count it as lost.
ConsoleKeyboard* g_left_open = nullptr;

// The process ends through std::exit while the keyboard is still open, as
// the guarded call does on status 20.
TEST_F(TerminalChildTest, RestoresSettingsAtExit) {
  Start([this]() -> int {
    g_left_open = OpenConsoleKeyboard().release();
    Report("ready");
    NextCode(*g_left_open);
    std::exit(3);
  });
  ASSERT_EQ(NextReport(), "ready");
  EXPECT_FALSE(Current().t.c_lflag & ECHO);
  Type("q");
  const int status = WaitForChild();
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
  EXPECT_TRUE(Current() == before_);
}

// No controlling terminal (cron, nohup, CI): no key is ever waiting, a
// hang-up that nohup ignores stays ignored, and SIGTERM still stops the
// pass as Esc does.
TEST_F(TerminalChildTest, WithoutTerminalOnlySignalsStop) {
  Start(
      [this] {
        signal(SIGHUP, SIG_IGN);
        auto keyboard = OpenConsoleKeyboard();
        kill(getpid(), SIGHUP);
        Report(keyboard->KeyWaiting() ? "key" : "no key");
        kill(getpid(), SIGTERM);
        Report(std::to_string(NextCode(*keyboard)));
        return 0;
      },
      /*on_terminal=*/false);
  EXPECT_EQ(NextReport(), "no key");
  EXPECT_EQ(NextReport(), "27");
  EXPECT_EQ(WaitForChild(), 0);
}

// A background job leaves the terminal alone, reads no key and is never
// stopped for touching the terminal.
TEST_F(TerminalChildTest, BackgroundJobLeavesTerminalAlone) {
  Type("x\n");
  Start([this] {
    const pid_t job = fork();
    if (job == 0) {
      setpgid(0, 0);  // a process group that is not the foreground one
      auto keyboard = OpenConsoleKeyboard();
      Settings during;
      tcgetattr(slave_, &during.t);
      bool waiting = false;
      for (int i = 0; i < 20; ++i) waiting = waiting || keyboard->KeyWaiting();
      Report(std::string(waiting ? "key" : "no key") + (during == before_ ? "" : ", changed"));
      _exit(0);
    }
    int status = 0;
    waitpid(job, &status, WUNTRACED);
    if (WIFSTOPPED(status)) {
      kill(job, SIGKILL);
      Report("stopped");
      return 1;
    }
    Report("ended");
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
  });
  EXPECT_EQ(NextReport(), "no key");
  EXPECT_EQ(NextReport(), "ended");
  EXPECT_EQ(WaitForChild(), 0);
  EXPECT_TRUE(Current() == before_);
}

}  // namespace
}  // namespace repoint
