// The built game driven through pipes, its clock stopped so that every card is the same.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <iconv.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "e2e/e2e.h"
#include "e2e/transcript.h"
#include "game/texts.h"

namespace hilo::e2e {
namespace {

// How a game run on given input ended.
struct Finished {
  std::string output;
  std::string errors;
  int status;
};

// Runs the game on input given whole through a pipe that then ends.
Finished RunOnInput(std::string_view input, std::string_view locale = "C.UTF-8",
                    const std::vector<std::string>& extra_environment = {}) {
  Pipe in = MakePipe();
  Pipe out = MakePipe();
  Pipe err = MakePipe();
  const pid_t pid = StartHilo({.environment = GameEnvironment(locale, extra_environment),
                               .input = in.read.get(),
                               .output = out.write.get(),
                               .errors = err.write.get()});
  in.read.Close();
  out.write.Close();
  err.write.Close();
  WriteAll(in.write.get(), input);
  in.write.Close();
  Finished finished;
  finished.output = ReadToEnd(out.read.get());
  finished.errors = ReadToEnd(err.read.get());
  finished.status = WaitForExit(pid).value_or(-1);
  return finished;
}

TEST(HiloThroughPipesTest, PlaysAWholeScriptedGameByteForByte) {
  const std::string long_word(150, 'h');
  const std::string input =
      "Hard\n"
      "hard\n"
      "h\n"
      "H\n" +
      long_word +
      "\n"
      "l\r\n"
      "change\n"
      "maybe\n"
      "n\n"
      "finish\n"
      "n\n"
      "change\n"
      "y\n"
      "finish\n"
      "Y\n"
      "n\n"
      "  beginner\n"
      "\n"
      "h l\n"
      "finish\n"
      "yes\n"
      "y y\n";
  const std::string_view card = StoppedCard();
  Transcript expected;
  expected.Start()
      .Say(texts::kSelectDifficultyAgain)
      .Choose(Difficulty::kHard, card)
      .Say(texts::kNextCard, {card})
      .Say(texts::kEven, {0})
      .Say(texts::kCardPrompt, {card})
      .Say(texts::kAnswerAgain)  // "H"
      .Say(texts::kCardPrompt, {card})
      .Say(texts::kAnswerAgain)  // the long word
      .Say(texts::kCardPrompt, {card})
      .Say(texts::kNextCard, {card})
      .Say(texts::kEven, {0})
      .Say(texts::kCardPrompt, {card})
      .Say(texts::kChangeClearsPoints)
      .Say(texts::kAskChange)
      .Say(texts::kAskChangeAgain)
      .Say(texts::kCardPrompt, {card})
      .Say(texts::kAskQuit)
      .Say(texts::kCardPrompt, {card})
      .Say(texts::kChangeClearsPoints)
      .Say(texts::kAskChange)
      .Say(texts::kBackToChoice)
      .Say(texts::kSelectDifficulty)
      .Say(texts::kAskQuit)
      .Say(texts::kAskQuitAgain)
      .Say(texts::kBackToChoice)
      .Say(texts::kSelectDifficulty)
      .Choose(Difficulty::kBeginner, card)
      .Say(texts::kNextCard, {card})
      .Say(texts::kEven, {0})
      .Say(texts::kCardPrompt, {card})
      .Say(texts::kNextCard, {card})
      .Say(texts::kEven, {0})
      .Say(texts::kCardPrompt, {card})
      .Say(texts::kAskQuit)
      .Say(texts::kAskQuitAgain)
      .Say(texts::kFinalPointPressKeyToFinish, {0});

  const Finished finished = RunOnInput(input);

  EXPECT_EQ(finished.output, expected.text());
  EXPECT_EQ(finished.errors, "");
  EXPECT_TRUE(EndedNormally(finished.status)) << finished.status;
}

TEST(HiloThroughPipesTest, EachPromptArrivesBeforeTheGameNeedsItsAnswer) {
  Pipe in = MakePipe();
  Pipe out = MakePipe();
  const pid_t pid = StartHilo({.environment = GameEnvironment("C.UTF-8"),
                               .input = in.read.get(),
                               .output = out.write.get()});
  in.read.Close();
  out.write.Close();
  const std::string_view card = StoppedCard();
  Transcript expected;
  const struct {
    std::string_view answer;  // typed once everything before it, prompt included, has arrived
    std::string_view prompt;
    std::initializer_list<std::variant<int, std::string_view>> values;
  } steps[] = {
      {"", texts::kSelectDifficulty, {}},
      {"hard\n", texts::kCardPrompt, {card}},
      {"h\n", texts::kCardPrompt, {card}},
      {"finish\n", texts::kAskQuit, {}},
      {"n\n", texts::kCardPrompt, {card}},
      {"finish\n", texts::kAskQuit, {}},
      {"y\n", texts::kFinalPointPressKeyToFinish, {0}},
  };
  std::string output;
  for (const auto& step : steps) {
    WriteAll(in.write.get(), step.answer);
    if (step.answer.empty()) {
      expected.Start();
    } else if (step.answer == "hard\n") {
      expected.Choose(Difficulty::kHard, card);
    } else {
      if (step.answer == "h\n") expected.Say(texts::kNextCard, {card}).Say(texts::kEven, {0});
      expected.Say(step.prompt, step.values);
    }
    ASSERT_TRUE(ReadUntil(out.read.get(), output, expected.text()))
        << "waiting after " << testing::PrintToString(std::string(step.answer)) << " got:\n"
        << output;
    EXPECT_EQ(output, expected.text());
  }
  in.write.Close();
  EXPECT_EQ(ReadToEnd(out.read.get()), "");
  const auto status = WaitForExit(pid);
  ASSERT_TRUE(status);
  EXPECT_TRUE(EndedNormally(*status)) << *status;
}

TEST(HiloThroughPipesTest, EndOfInputAtAnyPromptEndsTheGameWithNothingMoreWritten) {
  const std::string_view card = StoppedCard();
  const struct {
    std::string_view input;
    Transcript expected;
  } cases[] = {
      {"", Transcript().Start()},
      {"  \n\n", Transcript().Start()},
      {"hard", Transcript().Start().Choose(Difficulty::kHard, card)},
      {"Hard\n", Transcript().Start().Say(texts::kSelectDifficultyAgain)},
      {"finish\n", Transcript().Start().Say(texts::kAskQuit)},
      {"finish\nmaybe\n", Transcript().Start().Say(texts::kAskQuit).Say(texts::kAskQuitAgain)},
      {"easy\nfinish\n", Transcript().Start().Choose(Difficulty::kEasy, card).Say(texts::kAskQuit)},
      {"nomal\nchange\n", Transcript()
                              .Start()
                              .Choose(Difficulty::kNormal, card)
                              .Say(texts::kChangeClearsPoints)
                              .Say(texts::kAskChange)},
      // Ctrl+Z ends the input wherever it comes, even inside a line.
      {"hard\x1ah\nh\n", Transcript().Start().Choose(Difficulty::kHard, card)},
  };
  for (const auto& c : cases) {
    const Finished finished = RunOnInput(c.input);
    EXPECT_EQ(finished.output, c.expected.text()) << testing::PrintToString(std::string(c.input));
    EXPECT_TRUE(EndedNormally(finished.status)) << finished.status;
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
  const std::string expected = Transcript().Start().text();
  for (const auto& c : cases) {
    Fd input(c.path ? open(c.path, O_RDONLY | O_CLOEXEC) : -1);
    Pipe out = MakePipe();
    // No card is drawn here, and the clock faking would take the closed descriptor for itself.
    const pid_t pid = StartHilo({.environment = GameEnvironment("C.UTF-8", {}, false),
                                 .input = c.path ? input.get() : kClosed,
                                 .output = out.write.get()});
    out.write.Close();
    EXPECT_EQ(ReadToEnd(out.read.get()), expected) << c.name;
    const auto status = WaitForExit(pid);
    ASSERT_TRUE(status) << c.name;
    EXPECT_TRUE(EndedNormally(*status)) << c.name << ": " << *status;
  }
}

// The texts written as they are, in UTF-8, whatever the plain or UTF-8 locale.
TEST(HiloThroughPipesTest, UnicodeAndPlainLocalesGetTheTextsInUtf8) {
  const std::string expected =
      Transcript().Start().Say(texts::kAskQuit).Say(texts::kPressKeyToFinish).text();
  for (const std::string_view locale : {"C.UTF-8", "C", "POSIX", "no_SUCH.locale"}) {
    const Finished finished = RunOnInput("finish\ny\n", locale);
    EXPECT_EQ(finished.output, expected) << locale;
    EXPECT_TRUE(EndedNormally(finished.status)) << locale;
  }
}

// The UTF-8 bytes of text in code page 932, converted here independently of the game's own code.
std::string InCodePage932(const std::string& text) {
  const iconv_t converter = iconv_open("CP932", "UTF-8");
  EXPECT_NE(converter, reinterpret_cast<iconv_t>(-1));
  std::string converted(text.size() * 2, '\0');
  char* in = const_cast<char*>(text.data());
  std::size_t in_left = text.size();
  char* out = converted.data();
  std::size_t out_left = converted.size();
  EXPECT_NE(iconv(converter, &in, &in_left, &out, &out_left), static_cast<std::size_t>(-1));
  iconv_close(converter);
  converted.resize(converted.size() - out_left);
  return converted;
}

// A Shift_JIS locale made here from the system's locale sources, or empty when it cannot be.
std::filesystem::path MakeShiftJisLocale(const std::filesystem::path& directory) {
  std::filesystem::path locale = directory / "ja_JP.SJIS";
  const std::string command =
      "localedef -c -f SHIFT_JIS -i ja_JP '" + locale.string() + "' >/dev/null 2>&1";
  // localedef warns that Shift_JIS is not ASCII-compatible and says so in its status, so its
  // success shows in the files it wrote; -1 says no shell could even be started.
  if (std::system(command.c_str()) == -1) return {};
  if (!std::filesystem::exists(locale / "LC_CTYPE")) return {};
  return locale;
}

TEST(HiloThroughPipesTest, AShiftJisLocaleGetsTheCodePage932Bytes) {
  const std::filesystem::path directory =
      std::filesystem::temp_directory_path() / ("hilo-locale-" + std::to_string(getpid()));
  std::filesystem::create_directories(directory);
  const std::filesystem::path locale = MakeShiftJisLocale(directory);
  if (locale.empty()) {
    std::filesystem::remove_all(directory);
    GTEST_SKIP() << "no Shift_JIS locale can be made here (localedef and the ja_JP sources needed)";
  }
  const std::string utf8 = Transcript()
                               .Start()
                               .Say(texts::kAskQuit)
                               .Say(texts::kAskQuitAgain)
                               .Say(texts::kPressKeyToFinish)
                               .text();
  const std::string expected = InCodePage932(utf8);
  // The second byte of 予 and 表 is a backslash, and the gap after the A an ideographic space.
  ASSERT_NE(expected.find("\x97\x5c"), std::string::npos);
  ASSERT_NE(expected.find("\x95\x5c"), std::string::npos);
  ASSERT_NE(expected.find("A\x81\x40"), std::string::npos);

  const Finished finished =
      RunOnInput("finish\nY\ny\n", "ja_JP.SJIS", {"LOCPATH=" + directory.string()});
  std::filesystem::remove_all(directory);

  EXPECT_EQ(finished.output, expected);
  EXPECT_TRUE(EndedNormally(finished.status)) << finished.status;
}

}  // namespace
}  // namespace hilo::e2e
