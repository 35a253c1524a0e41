#include "testing/launchers.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

#include "testing/same_text.h"

namespace hilo::e2e {
namespace {

Finished RunThroughPipes(std::string_view input, const std::vector<std::string>& environment) {
  Pipe in = MakePipe();
  Pipe out = MakePipe();
  Pipe err = MakePipe();
  const pid_t pid = StartHilo({.environment = environment,
                               .input = in.read.get(),
                               .output = out.write.get(),
                               .errors = err.write.get(),
                               .command = GameCommand()});
  in.read.Close();
  out.write.Close();
  err.write.Close();
  WriteAll(in.write.get(), input);
  in.write.Close();
  Finished finished;
  finished.output = ReadToEnd(out.read.get());
  finished.errors = ReadToEnd(err.read.get());
  finished.status = WaitForExit(pid);
  return finished;
}

// text as a terminal shows it: its line feeds go out as CR LF.
std::string OnScreen(std::string_view text) {
  std::string screen;
  for (const char byte : text) {
    if (byte == '\n') screen += '\r';
    screen += byte;
  }
  return screen;
}

void PlayThroughPipes(const TranscriptCase& c) {
  // Nothing is echoed: what arrives is the game's alone.
  const TypingPlan plan = PlanTyping(c, [](std::string_view) { return std::string(); });
  Pipe in = MakePipe();
  Pipe out = MakePipe();
  Pipe err = MakePipe();
  const pid_t pid =
      StartHilo({.environment = GameEnvironment("C.UTF-8", StoppedClockAt(c.seconds[0])),
                 .input = in.read.get(),
                 .output = out.write.get(),
                 .errors = err.write.get(),
                 .command = GameCommand()});
  in.read.Close();
  out.write.Close();
  err.write.Close();
  std::string output;
  for (const TypedLine& typed : plan.lines) {
    // Each prompt must arrive before the game needs its answer.
    ASSERT_TRUE(ReadUntil(out.read.get(), output, typed.screen))
        << "waiting to type " << testing::PrintToString(typed.line) << ", got\n"
        << output;
    ASSERT_PRED_FORMAT2(SameText, output, typed.screen);
    WriteAll(in.write.get(), typed.line + "\n");
  }
  in.write.Close();
  output += ReadToEnd(out.read.get());
  EXPECT_PRED_FORMAT2(SameText, output, c.output);
  EXPECT_EQ(ReadToEnd(err.read.get()), "");
  const auto status = WaitForExit(pid);
  ASSERT_TRUE(status);
  EXPECT_TRUE(EndedNormally(*status)) << *status;
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
  for (const TypedLine& typed : plan.lines) {
    const std::string expected = OnScreen(typed.screen);
    ASSERT_TRUE(ReadUntil(terminal.master(), screen, expected))
        << "waiting to type " << testing::PrintToString(typed.line) << ", the screen shows\n"
        << screen;
    ASSERT_PRED_FORMAT2(SameText, screen, expected);
    WriteAll(terminal.master(), typed.line + "\n");
  }
  const std::string expected = OnScreen(plan.screen);
  ASSERT_TRUE(ReadUntil(terminal.master(), screen, expected)) << screen;
  if (c.ending == Ending::kKey) {
    ASSERT_TRUE(terminal.WaitUntilRaw()) << "no key wait";
    WriteAll(terminal.master(), "x");
  } else if (c.ending == Ending::kInput) {
    WriteAll(terminal.master(), "\x04");  // the end of the input, typed at a terminal
  }
  const auto status = WaitForExit(pid);
  ASSERT_TRUE(status);
  EXPECT_TRUE(EndedNormally(*status)) << *status;
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
            ASSERT_TRUE(finished.status);
            EXPECT_TRUE(EndedNormally(*finished.status)) << *finished.status;
          }};
}

Launcher ThroughPipes() { return {.name = "pipes", .play = PlayThroughPipes}; }

Launcher OnTerminal() { return {.name = "terminal", .play = PlayOnTerminal}; }

}  // namespace hilo::e2e
