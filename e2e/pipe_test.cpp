// The built game driven through pipes, its clock stopped so that every card is the same, and held
// to the hand-written transcripts.

#include <fcntl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "console/posix/fd_io.h"
#include "testing/deadline.h"
#include "testing/launchers.h"
#include "testing/pseudo_terminal.h"
#include "testing/same_text.h"

namespace hilo::e2e {
namespace {

// A test played by each runner: through pipes, and hilo.exe under Wine from files.
class RunnerTest : public testing::TestWithParam<Runner> {};

INSTANTIATE_TEST_SUITE_P(Runners, RunnerTest, testing::ValuesIn(Runners()),
                         [](const auto& info) { return info.param.name; });

TEST_P(RunnerTest, EndOfInputAtAnyPromptEndsTheGameWithNothingMoreWritten) {
  // Under the clock stopped at its usual second, as in this transcript, every card is a 10.
  const std::string& game = Transcript("dialogues_during_play").output;
  const Runner& runner = GetParam();
  const struct {
    std::string_view input;
    std::size_t prompts;  // how many of the game's prompts come before the end
  } cases[] = {
      {"", 1},
      {"  \n\n", 1},
      {"hard", 2},
  };
  for (const auto& c : cases) {
    const Finished finished = runner.run(c.input, GameEnvironment("C.UTF-8"));
    EXPECT_PRED_FORMAT2(SameText, finished.output,
                        InForm(ThroughPrompt(game, c.prompts), runner.form))
        << testing::PrintToString(std::string(c.input));
    EXPECT_PRED_FORMAT2(EndedAs, finished.status, testing::ExitedWithCode(0));
  }
}

TEST(HiloThroughPipesTest, AnInputThatCannotBeReadEndsTheGameLikeItsEnd) {
  const struct {
    const char* name;
    const char* path;  // opened for reading as standard input; none for a closed one
  } cases[] = {
      {"closed", nullptr},
      {"/dev/null", "/dev/null"},
      {"a directory", "/"},
  };
  const std::string expected = ThroughPrompt(Transcript("quit_at_the_choice").output, 1);
  for (const auto& c : cases) {
    Fd input(c.path ? open(c.path, O_RDONLY | O_CLOEXEC) : -1);
    Pipe out = MakePipe();
    // No card is drawn here, and the clock faking would take the closed descriptor for itself.
    const pid_t pid = StartHilo({.environment = GameEnvironment("C.UTF-8", {}, false),
                                 .input = c.path ? input.get() : kClosed,
                                 .output = out.write.get()});
    out.write.Close();
    EXPECT_EQ(ReadToEnd(out.read.get()), expected) << c.name;
    EXPECT_PRED_FORMAT2(EndedAs, WaitForExit(pid), testing::ExitedWithCode(0)) << c.name;
  }
}

// The texts written as they are, in UTF-8, whatever the plain or UTF-8 locale.
TEST(HiloThroughPipesTest, UnicodeAndPlainLocalesGetTheTextsInUtf8) {
  const TranscriptCase c = Transcript("quit_at_the_choice");
  for (const std::string_view locale : {"C", "POSIX", "no_SUCH.locale"}) {
    const Finished finished = PipesRunner().run(c.Input(), GameEnvironment(locale));
    EXPECT_EQ(finished.output, c.output) << locale;
    EXPECT_PRED_FORMAT2(EndedAs, finished.status, testing::ExitedWithCode(0)) << locale;
  }
}

TEST(HiloThroughPipesTest, AShiftJisLocaleGetsTheCodePage932Bytes) {
  const TempFolder directory;
  if (!MakeLocale(directory.path(), "ja_JP", "SHIFT_JIS", "ja_JP.SJIS")) {
    GTEST_SKIP() << "no Shift_JIS locale can be made here (localedef and the ja_JP sources needed)";
  }
  const TranscriptCase c = Transcript("quit_at_the_choice");
  std::string expected = InForm(c.output, OutputForm::kCp932CrLf);
  // The conversion that every Windows transcript is held to, checked by hand: the second byte of
  // 予 and 表 is a backslash, the gap after the A an ideographic space, and every line ends in CR
  // LF.
  for (const std::string_view bytes : {
           "\x82\xb1\x82\xcc\x83\x51\x81\x5b\x83\x80\x82\xcd",          // このゲームは
           "\x97\x5c\x91\xaa",                                          // 予測
           "\x95\x5c\x8e\xa6",                                          // 表示
           "A\x81\x40\x82\xcc",                                         // A　の
           "\x82\xc8\x82\xe8\x82\xdc\x82\xb7\r\n\r\n\x95\x5c\x8e\xa6",  // なります\n\n表示
       }) {
    ASSERT_NE(expected.find(bytes), std::string::npos) << testing::PrintToString(bytes);
  }
  ASSERT_EQ(std::ranges::count(ThroughPrompt(expected, 1), '\x5c'), 2);
  ASSERT_EQ(std::ranges::count(expected, '\n'), std::ranges::count(expected, '\r'));
  std::erase(expected, '\r');  // a Shift_JIS locale keeps the line feeds alone

  const Finished finished = PipesRunner().run(
      c.Input(), GameEnvironment("ja_JP.SJIS", {"LOCPATH=" + directory.path().string()}));

  EXPECT_EQ(finished.output, expected);
  EXPECT_PRED_FORMAT2(EndedAs, finished.status, testing::ExitedWithCode(0));
}

// Runs the game on input given whole through a pipe, with its output on a pseudo-terminal that is
// its controlling terminal; returns the screen with the terminal's CR LF line ends read as LF.
std::string RunOnTerminal(std::string_view input, std::string_view locale,
                          const std::vector<std::string>& extra_environment) {
  const PseudoTerminal terminal;
  Pipe in = MakePipe();
  WriteAll(in.write.get(), input);
  in.write.Close();
  const pid_t pid = StartHilo({.environment = GameEnvironment(locale, extra_environment),
                               .input = in.read.get(),
                               .output = kControllingTerminal,
                               .errors = kControllingTerminal,
                               .terminal = terminal.path()});
  in.read.Close();
  EXPECT_PRED_FORMAT2(EndedAs, WaitForExit(pid), testing::ExitedWithCode(0));
  std::string screen;
  screen = terminal.ScreenUntilNow(screen);
  std::erase(screen, '\r');  // the game writes none; the terminal's line ends are CR LF
  return screen;
}

// The places in text of bytes 0x80 to 0x9F: C1 control codes to a terminal of an 8-bit
// character set, which may swallow the text around them.
std::vector<std::size_t> ControlCodesIn(std::string_view text) {
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x80 && byte <= 0x9F) found.push_back(i);
  }
  return found;
}

TEST_P(RunnerTest, TheCardIsThatOfTheSecondTheClockIsStoppedAt) {
  const struct {
    const char* moment;
    std::string_view prompt;  // of the first card, drawn from the seconds modulo 100
  } cases[] = {
      // 2026-01-01 00:00:00 is second 1767225600, a multiple of 100.
      {"2026-01-01 00:00:01", "\nNumber is 10, H or L? >"},
      {"2026-01-01 00:00:02", "\nNumber is Q, H or L? >"},
      {"2026-01-01 00:00:03", "\nNumber is 7, H or L? >"},
      {"2026-01-01 00:00:07", "\nNumber is A, H or L? >"},
      {"2026-01-01 00:00:25", "\nNumber is 2, H or L? >"},
      {"2026-01-01 00:01:39", "\nNumber is 3, H or L? >"},
      // Past 2262-04-11 23:47:16 UTC the seconds since 1970 no longer fit in nanoseconds of 64
      // bits, nor past 2038 in a 32-bit time_t. libfaketime takes only a Linux game there.
      {"2262-04-11 23:48:21", "\nNumber is 10, H or L? >"},  // 9223372101 seconds
      {"2262-04-11 23:48:22", "\nNumber is Q, H or L? >"},   // 9223372102
      {"3000-01-01 00:00:07", "\nNumber is A, H or L? >"},   // 32503680007
      {"3000-01-01 00:00:25", "\nNumber is 2, H or L? >"},   // 32503680025
  };
  const Runner& runner = GetParam();
  for (const auto& c : cases) {
    if (runner.form != OutputForm::kUtf8Lf && !std::string_view(c.moment).starts_with("2026"))
      continue;
    const Finished finished =
        runner.run("hard\n", GameEnvironment("C.UTF-8", {std::string("FAKETIME=") + c.moment}));
    EXPECT_TRUE(finished.output.ends_with(InForm(c.prompt, runner.form))) << c.moment;
    EXPECT_PRED_FORMAT2(EndedAs, finished.status, testing::ExitedWithCode(0)) << c.moment;
  }
}

TEST(HiloThroughPipesTest, An8BitLocaleShowsEveryAsciiTextAndTheSameBytesOnATerminal) {
  // The game's texts that are ASCII, in the order this game writes them; the card of the stopped
  // clock (second 1) is 10, and an answer in the same second meets an equal card.
  constexpr std::string_view kInput = "Hard\nhard\nH\nh\nfinish\nn\nchange\nn\n";
  constexpr std::string_view kAsciiTexts[] = {
      "\"Hard\", \"Nomal\", \"Easy\", \"Beginner\"\n",
      "\n\n\nSelect difficulty>",
      "\n\n\"hard\", \"nomal\", \"easy\" or \"beginner\"\n\nSelect dificulty>",
      "\n\n\n\n\n\"Hard\"",
      "!!\n\nGood Luck!!\n\n\n\nNumber is 10, H or L? >",
      "\n\nInput \"h\" or \"l\" and press Enter\nNumber is 10, H or L? >",
      "\n10\n\n\nEven\n\nYour point is: 0\n\n\nNumber is 10, H or L? >",
      "\n\nWill you quit the game?>\nNumber is 10, H or L? >",
      "\n\nWill you change difficulty?>\nNumber is 10, H or L? >",
  };
  const struct {
    std::string_view source;
    std::string_view charset;
    std::string_view name;
    bool only_ascii;  // none of the game's other characters is in the character set
  } cases[] = {
      {"en_US", "ISO-8859-1", "en_US.ISO-8859-1", true},
      {"ko_KR", "EUC-KR", "ko_KR.EUC-KR", false},
  };
  const TempFolder directory;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (!MakeLocale(directory.path(), c.source, c.charset, c.name)) {
      ADD_FAILURE() << "localedef could not make " << c.name;
      continue;
    }
    const std::vector<std::string> environment = {"LOCPATH=" + directory.path().string()};
    const Finished piped = PipesRunner().run(kInput, GameEnvironment(c.name, environment));
    const std::string on_terminal = RunOnTerminal(kInput, c.name, environment);

    EXPECT_PRED_FORMAT2(EndedAs, piped.status, testing::ExitedWithCode(0));
    EXPECT_EQ(ControlCodesIn(piped.output), std::vector<std::size_t>{});
    std::size_t at = 0;
    for (const std::string_view text : kAsciiTexts) {
      const std::size_t found = piped.output.find(text, at);
      EXPECT_NE(found, std::string::npos) << testing::PrintToString(std::string(text));
      if (found != std::string::npos) at = found + text.size();
    }
    EXPECT_TRUE(piped.output.ends_with(kAsciiTexts[std::size(kAsciiTexts) - 1]));
    if (c.only_ascii) {
      EXPECT_TRUE(std::ranges::all_of(piped.output, [](char byte) { return byte >= 0; }));
    }
    // The same bytes, but for the line feed that ends the game's last line on a terminal.
    EXPECT_EQ(on_terminal, piped.output + "\n");
  }
}

}  // namespace
}  // namespace hilo::e2e
