// The built game on a pseudo-terminal that is its controlling terminal: the key wait at the end.

#include <gtest/gtest.h>
#include <signal.h>
#include <string.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "console/posix/fd_io.h"
#include "testing/deadline.h"
#include "testing/game_process.h"
#include "testing/job_shell.h"
#include "testing/proc.h"
#include "testing/pseudo_terminal.h"
#include "testing/wait.h"

namespace hilo::e2e {
namespace {

// What the game writes last before its key wait, as the terminal shows it (line feeds as CR LF).
constexpr std::string_view kPressKeyPrompt = "Press key to finish.\r\n\r\n>";
constexpr std::string_view kSelectDifficultyPrompt = "\r\n\r\n\r\nSelect difficulty>";

// Answers that take the game from the start to its key wait.
constexpr std::string_view kToTheKeyWait = "hard\nfinish\ny\n";

// The game with every standard stream on the terminal, or with input from input_fd.
Launch OnTheTerminal(const PseudoTerminal& terminal, int input_fd = kControllingTerminal,
                     std::vector<int> ignored_signals = {}) {
  return {.environment = GameEnvironment("C.UTF-8"),
          .input = input_fd,
          .output = kControllingTerminal,
          .errors = kControllingTerminal,
          .terminal = terminal.path(),
          .ignored_signals = std::move(ignored_signals)};
}

TEST(HiloKeyWaitTest, AnyKeyEndsTheWaitUnechoedAndWholeAndTheTerminalIsPutBack) {
  const struct {
    const char* name;
    std::string_view key;
  } keys[] = {
      {"a letter", "x"},           {"Enter", "\r"},        {"Ctrl+C", "\x03"},
      {"Ctrl+S", "\x13"},          {"Esc", "\x1b"},        {"up arrow", "\x1b[A"},
      {"Ctrl+right", "\x1b[1;5C"}, {"F1", "\x1bOP"},       {"F5", "\x1b[15~"},
      {"é", "\xc3\xa9"},           {"予", "\xe4\xba\x88"}, {"a pasted word", "abc"},
  };
  for (const auto& key : keys) {
    SCOPED_TRACE(key.name);
    PseudoTerminal terminal;
    const termios before = terminal.Settings();
    const pid_t pid = StartHilo(OnTheTerminal(terminal));
    WriteAll(terminal.master(), kToTheKeyWait);
    std::string screen;
    ASSERT_TRUE(AwaitMarker(terminal.master(), pid, screen, kPressKeyPrompt));
    const auto raw = terminal.WaitUntilRaw();
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->c_lflag & (ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(raw->c_oflag, before.c_oflag);  // line feeds still go out as the terminal had them

    WriteAll(terminal.master(), key.key);

    EXPECT_PRED_FORMAT2(EndedAs, WaitForExit(pid), testing::ExitedWithCode(0));
    EXPECT_TRUE(screen.ends_with(kPressKeyPrompt));
    EXPECT_EQ(terminal.ScreenUntilNow(screen), "\r\n");  // the last line ended for the shell
    ExpectSameSettings(terminal.Settings(), before);
    EXPECT_EQ(terminal.UnreadInput(), "");
  }
}

TEST(HiloKeyWaitTest, ASignalIgnoredAtStartStaysIgnoredDuringTheWait) {
  PseudoTerminal terminal;
  const pid_t pid = StartHilo(OnTheTerminal(terminal, kControllingTerminal, {SIGHUP}));
  WriteAll(terminal.master(), kToTheKeyWait);
  std::string screen;
  ASSERT_TRUE(AwaitMarker(terminal.master(), pid, screen, kPressKeyPrompt));
  ASSERT_TRUE(terminal.WaitUntilRaw());

  kill(pid, SIGHUP);
  WriteAll(terminal.master(), "x");

  EXPECT_PRED_FORMAT2(EndedAs, WaitForExit(pid), testing::ExitedWithCode(0));
}

TEST(HiloKeyWaitTest, TheKeyComesFromTheTerminalWhenTheAnswersComeFromAFile) {
  // The words left in the file after the last answer must not stand in for the key.
  const TextFile answers("hard\nfinish\ny y\nmore words\n");
  const Fd input = answers.Open();
  PseudoTerminal terminal;
  const termios before = terminal.Settings();
  const pid_t pid = StartHilo(OnTheTerminal(terminal, input.get()));
  std::string screen;
  ASSERT_TRUE(AwaitMarker(terminal.master(), pid, screen, kPressKeyPrompt));
  ASSERT_TRUE(terminal.WaitUntilRaw());
  EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), 0) << "the game ended before a key was pressed";

  WriteAll(terminal.master(), "\x1b[B");

  EXPECT_PRED_FORMAT2(EndedAs, WaitForExit(pid), testing::ExitedWithCode(0));
  EXPECT_EQ(terminal.ScreenUntilNow(screen), "\r\n");
  ExpectSameSettings(terminal.Settings(), before);
  EXPECT_EQ(terminal.UnreadInput(), "");
}

TEST(HiloKeyWaitTest, AKeyTypedBeforeTheWaitEndsItAtOnce) {
  const TextFile answers("finish\ny\n");
  const Fd input = answers.Open();
  PseudoTerminal terminal;
  const termios before = terminal.Settings();
  // Typed at once, long before the game reaches its key wait.
  WriteAll(terminal.master(), "k");
  const pid_t pid = StartHilo(OnTheTerminal(terminal, input.get()));

  EXPECT_PRED_FORMAT2(EndedAs, WaitForExit(pid), testing::ExitedWithCode(0))
      << "was the key typed early lost?";
  ExpectSameSettings(terminal.Settings(), before);
  EXPECT_EQ(terminal.UnreadInput(), "");
}

TEST(HiloTerminalTest, TheTerminalIsLeftAsItWasAndCtrlCAtAPromptEndsTheGame) {
  PseudoTerminal terminal;
  const termios before = terminal.Settings();
  const pid_t pid = StartHilo(OnTheTerminal(terminal));
  std::string screen;
  ASSERT_TRUE(AwaitMarker(terminal.master(), pid, screen, kSelectDifficultyPrompt));
  ExpectSameSettings(terminal.Settings(), before);

  WriteAll(terminal.master(), "\x03");

  EXPECT_PRED_FORMAT2(EndedAs, WaitForExit(pid), testing::KilledBySignal(SIGINT));
}

// Waits until the game has stopped and its shell holds the terminal, as at the prompt after
// Ctrl+Z.
bool WaitUntilStopped(const PseudoTerminal& terminal, const JobProcesses& job) {
  return WaitUntil([&] {
    const auto game = ReadProcessStat(job.game);
    return game && game->state == 'T' && tcgetpgrp(terminal.master()) == job.shell;
  });
}

// The ending by signal, or, with signal 0, by the game itself with status 0.
std::function<bool(int)> EndingBy(int signal) {
  if (signal == 0) return testing::ExitedWithCode(0);
  return testing::KilledBySignal(signal);
}

// Modes a shell may set at its prompt: stty intr ^K -ixon.
termios ShellModes(termios settings) {
  settings.c_cc[VINTR] = 0x0B;
  settings.c_iflag &= ~static_cast<tcflag_t>(IXON);
  return settings;
}

// Modes a full-screen program sets: stty -icanon -echo -isig -iexten -ixon.
termios FullScreenModes(termios settings) {
  settings.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
  settings.c_iflag &= ~static_cast<tcflag_t>(IXON);
  return settings;
}

// Starts the game as a job on the terminal: in the foreground, everything on the terminal; in
// the background, with the answers from answers, as "hilo < answers &" does.
JobProcesses StartJob(const PseudoTerminal& terminal, Job job, int answers,
                      std::vector<int> ignored_signals = {}) {
  const int input = job == Job::kForeground ? kControllingTerminal : answers;
  return StartHiloAsJob(OnTheTerminal(terminal, input, std::move(ignored_signals)), job);
}

TEST(HiloJobControlTest, EveryEndingSignalPutsTheTerminalBackAndEndsTheGameByThatSignal) {
  const struct {
    int signal;  // 0: none, the game ends by itself
    Job job;
    std::vector<int> ignored = {};
  } cases[] = {
      {SIGTERM, Job::kForeground},
      {SIGHUP, Job::kForeground},
      {SIGQUIT, Job::kForeground},
      {SIGINT, Job::kForeground},
      {SIGUSR1, Job::kForeground},
      {SIGALRM, Job::kForeground},
      {SIGRTMIN, Job::kForeground},
      {SIGTERM, Job::kBackground},
      {SIGHUP, Job::kBackground},
      // The terminal is left alone in the background even where changing it would not stop the
      // game, and a game that its read cannot stop gives up the wait.
      {SIGTERM, Job::kBackground, {SIGTTOU}},
      {0, Job::kBackground, {SIGTTIN}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.signal == 0 ? "no signal" : strsignal(c.signal));
    SCOPED_TRACE(c.job == Job::kForeground ? "in the foreground" : "in the background");
    SCOPED_TRACE(c.ignored.empty() ? "" : strsignal(c.ignored[0]));
    const TextFile answers(kToTheKeyWait);
    const Fd input = answers.Open();
    PseudoTerminal terminal;
    const termios before = terminal.Settings();
    const JobProcesses job = StartJob(terminal, c.job, input.get(), c.ignored);
    if (c.job == Job::kForeground) WriteAll(terminal.master(), kToTheKeyWait);
    std::string screen;
    ASSERT_TRUE(AwaitMarker(terminal.master(), job.game, screen, kPressKeyPrompt));
    if (c.job == Job::kForeground) {
      ASSERT_TRUE(terminal.WaitUntilRaw());
    } else if (c.signal != 0) {
      // A background job that reads its terminal is stopped until it is brought to the
      // foreground; the terminal stays as its shell has it.
      ASSERT_TRUE(WaitUntilStopped(terminal, job)) << "the game in the background did not stop";
      ExpectSameSettings(terminal.Settings(), before);
    }

    if (c.signal != 0) {
      kill(job.game, c.signal);
      // As a shell's kill does for a stopped job, so that it gets to act on the signal.
      kill(job.game, SIGCONT);
    }

    EXPECT_PRED_FORMAT2(EndedAs, WaitForExit(job.shell), EndingBy(c.signal));
    ExpectSameSettings(terminal.Settings(), before);
    EXPECT_EQ(SharedMemoryLeftBy(job.game), std::vector<std::string>{});
  }
}

TEST(HiloJobControlTest, AStoppedGameGivesTheTerminalBackAndTakesItAgainOnlyInTheForeground) {
  const termios cooked = PseudoTerminal().Settings();
  const struct {
    const char* name;
    int stop;               // SIGTTIN: started in the background, stopped by its read
    termios at_start;       // while the game reaches its key wait
    termios while_stopped;  // what the shell or another program sets meanwhile
    int ending;             // 0: brought to the foreground, then a key; else this and SIGCONT
  } cases[] = {
      {"Ctrl+Z, then new modes at the prompt", SIGTSTP, cooked, ShellModes(cooked), 0},
      // A stop that cannot be caught leaves the terminal raw while the game is stopped.
      {"SIGSTOP, then new modes at the prompt", SIGSTOP, cooked, ShellModes(cooked), 0},
      {"started while another program had the terminal", SIGTTIN, FullScreenModes(cooked), cooked,
       0},
      {"ended while another program has the terminal", SIGTSTP, cooked, FullScreenModes(cooked),
       SIGTERM},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TextFile answers(kToTheKeyWait);
    const Fd input = answers.Open();
    PseudoTerminal terminal;
    ASSERT_EQ(tcsetattr(terminal.master(), TCSANOW, &c.at_start), 0);
    const bool background = c.stop == SIGTTIN;
    const JobProcesses job =
        StartJob(terminal, background ? Job::kBackground : Job::kForeground, input.get());
    if (!background) WriteAll(terminal.master(), kToTheKeyWait);
    std::string screen;
    ASSERT_TRUE(AwaitMarker(terminal.master(), job.game, screen, kPressKeyPrompt));
    if (!background) {
      ASSERT_TRUE(terminal.WaitUntilRaw());
      kill(job.game, c.stop);
    }
    ASSERT_TRUE(WaitUntilStopped(terminal, job)) << "the game did not stop";
    if (c.stop == SIGSTOP) {
      EXPECT_EQ(terminal.Settings().c_lflag & (ICANON | ECHO), 0u);
    } else {
      ExpectSameSettings(terminal.Settings(), c.at_start);
    }
    ASSERT_EQ(tcsetattr(terminal.master(), TCSANOW, &c.while_stopped), 0);
    if (c.ending == 0) {
      BringToForeground(job);
      ASSERT_TRUE(terminal.WaitUntilRaw()) << "the game did not take the terminal again";
      WriteAll(terminal.master(), "x");
    } else {
      kill(job.game, c.ending);
      kill(job.game, SIGCONT);
    }

    EXPECT_PRED_FORMAT2(EndedAs, WaitForExit(job.shell), EndingBy(c.ending));
    EXPECT_EQ(terminal.ScreenUntilNow(screen), c.ending == 0 ? "\r\n" : "");
    // What the game puts back is what it found when it last took the terminal.
    ExpectSameSettings(terminal.Settings(), c.while_stopped);
    EXPECT_EQ(terminal.UnreadInput(), "");
  }
}

}  // namespace
}  // namespace hilo::e2e
