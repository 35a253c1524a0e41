#include "testing/launchers.h"

#include <gtest/gtest.h>

#include "console/posix/fd_io.h"
#include "testing/deadline.h"
#include "testing/pseudo_terminal.h"
#include "testing/same_text.h"
#include "testing/wait.h"

namespace hilo::e2e {
namespace {

Finished RunThroughPipes(std::string_view input, const std::vector<std::string>& environment) {
  GameOnPipes game = StartOnPipes(environment, GameCommand());
  WriteAll(game.input.get(), input);
  return game.Finish();
}

// text as it arrives through a pipe.
std::string AsItIs(std::string_view text) { return std::string(text); }

// Types each line of plan into to once from has shown its screen exactly (as shown gives it), then
// reads from until the plan's last screen: each prompt must arrive before the game needs its
// answer. The game is process pid.
void TypeAsPlanned(const TypingPlan& plan, pid_t pid, int from, int to, std::string& screen,
                   std::string (*shown)(std::string_view)) {
  for (const TypedLine& typed : plan.lines) {
    ASSERT_TRUE(AwaitScreen(from, pid, screen, shown(typed.screen)))
        << "waiting to type " << testing::PrintToString(typed.line);
    WriteAll(to, typed.line + "\n");
  }
  ASSERT_TRUE(AwaitScreen(from, pid, screen, shown(plan.screen)));
}

void PlayThroughPipes(const TranscriptCase& c) {
  GameOnPipes game =
      StartOnPipes(GameEnvironment("C.UTF-8", StoppedClockAt(c.seconds[0])), GameCommand());
  // Nothing is echoed: what arrives is the game's alone.
  const TypingPlan plan = PlanTyping(c, [](std::string_view) { return std::string(); });
  std::string output;
  TypeAsPlanned(plan, game.pid, game.output.get(), game.input.get(), output, AsItIs);
  if (testing::Test::HasFatalFailure()) return;
  const Finished rest = game.Finish();
  EXPECT_PRED_FORMAT2(SameText, output + rest.output, c.output);
  EXPECT_EQ(rest.errors, "");
  EXPECT_PRED_FORMAT2(EndedAs, rest.status, testing::ExitedWithCode(0));
}

void PlayOnTerminal(const TranscriptCase& c) {
  using Ending = TranscriptCase::Ending;
  // The terminal echoes a typed line as it is.
  const TypingPlan plan =
      PlanTyping(c, [](std::string_view line) { return std::string(line) + "\n"; });
  PseudoTerminal terminal;
  const termios before = terminal.Settings();
  const pid_t pid =
      StartHilo({.environment = GameEnvironment("C.UTF-8", StoppedClockAt(c.seconds[0])),
                 .input = kControllingTerminal,
                 .output = kControllingTerminal,
                 .errors = kControllingTerminal,
                 .terminal = terminal.path()});
  std::string screen;
  TypeAsPlanned(plan, pid, terminal.master(), terminal.master(), screen, WithCrLf);
  if (testing::Test::HasFatalFailure()) return;
  const std::string expected = WithCrLf(plan.screen);
  if (c.ending == Ending::kKey) {
    ASSERT_TRUE(terminal.WaitUntilRaw()) << "no key wait";
    WriteAll(terminal.master(), "x");
  } else if (c.ending == Ending::kInput) {
    WriteAll(terminal.master(), "\x04");  // the end of the input, typed at a terminal
  }
  EXPECT_PRED_FORMAT2(EndedAs, WaitForExit(pid), testing::ExitedWithCode(0));
  // The game ends its last line for the shell.
  const std::size_t read = screen.size();
  const std::string rest = terminal.ScreenUntilNow(screen);
  EXPECT_PRED_FORMAT2(SameText, screen.substr(0, read) + rest, expected + "\r\n");
  ExpectSameSettings(terminal.Settings(), before);
  EXPECT_EQ(terminal.UnreadInput(), "");
}

}  // namespace

Runner PipesRunner() {
  return {.name = "pipes", .form = OutputForm::kUtf8Lf, .run = RunThroughPipes};
}

std::vector<Runner> Runners() {
  std::vector<Runner> runners = {PipesRunner()};
  if (WineConfigured()) runners.push_back(WineFromFiles());
  return runners;
}

Launcher FromFiles(const Runner& runner) {
  return {.name = runner.name, .play = [runner](const TranscriptCase& c) {
            const Finished finished =
                runner.run(c.Input(), GameEnvironment("C.UTF-8", StoppedClockAt(c.seconds[0])));
            EXPECT_PRED_FORMAT2(SameText, finished.output, InForm(c.output, runner.form));
            EXPECT_EQ(finished.errors, "");
            EXPECT_PRED_FORMAT2(EndedAs, finished.status, testing::ExitedWithCode(0));
          }};
}

Launcher ThroughPipes() { return {.name = "pipes", .play = PlayThroughPipes}; }

Launcher OnTerminal() { return {.name = "terminal", .play = PlayOnTerminal}; }

}  // namespace hilo::e2e
