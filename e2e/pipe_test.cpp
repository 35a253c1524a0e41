// The built game driven through pipes, its clock stopped so that every card is the same, and held
// to the hand-written transcripts.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <iconv.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/e2e.h"
#include "game/transcript_case.h"

namespace hilo::e2e {
namespace {

// How a game run on given input ended.
struct Finished {
  std::string output;
  std::string errors;
  int status;
};

// Runs the game on input given whole through a pipe that then ends.
Finished RunOnInput(std::string_view input, const std::vector<std::string>& environment) {
  Pipe in = MakePipe();
  Pipe out = MakePipe();
  Pipe err = MakePipe();
  const pid_t pid = StartHilo({.environment = environment,
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

// The transcript of that name.
TranscriptCase Transcript(std::string_view name) {
  return ReadTranscriptCase(std::filesystem::path(HILO_TRANSCRIPTS_DIR) /
                            (std::string(name) + ".transcript"));
}

// output up to and including its prompt-th prompt (counted from 1). Every question the game asks
// ends in ">", and no other text holds one.
std::string ThroughPrompt(const std::string& output, std::size_t prompt) {
  std::size_t at = 0;
  for (std::size_t seen = 0; seen < prompt; ++seen) {
    at = output.find('>', at);
    if (at == std::string::npos) return output;
    ++at;
  }
  return output.substr(0, at);
}

// The transcripts whose clock stands still, which the built game can play with its clock stopped.
std::vector<std::filesystem::path> StoppedClockTranscripts() {
  std::vector<std::filesystem::path> files = TranscriptFiles(HILO_TRANSCRIPTS_DIR);
  std::erase_if(files, [](const auto& file) { return !ReadTranscriptCase(file).StoppedClock(); });
  return files;
}

class StoppedClockTranscriptTest : public testing::TestWithParam<std::filesystem::path> {};

TEST_P(StoppedClockTranscriptTest, BuiltGamePlaysItByteForByte) {
  const TranscriptCase c = ReadTranscriptCase(GetParam());
  const Finished finished =
      RunOnInput(c.Input(), GameEnvironment("C.UTF-8", StoppedClockAt(c.seconds[0]), false));
  EXPECT_PRED_FORMAT2(SameText, finished.output, c.output);
  EXPECT_EQ(finished.errors, "");
  EXPECT_TRUE(EndedNormally(finished.status)) << finished.status;
}

INSTANTIATE_TEST_SUITE_P(Transcripts, StoppedClockTranscriptTest,
                         testing::ValuesIn(StoppedClockTranscripts()),
                         [](const auto& info) { return info.param.stem().string(); });

TEST(HiloThroughPipesTest, EachPromptArrivesBeforeTheGameNeedsItsAnswer) {
  const TranscriptCase c = Transcript("dialogues_during_play");
  ASSERT_TRUE(c.StoppedClock());
  Pipe in = MakePipe();
  Pipe out = MakePipe();
  const pid_t pid =
      StartHilo({.environment = GameEnvironment("C.UTF-8", StoppedClockAt(c.seconds[0]), false),
                 .input = in.read.get(),
                 .output = out.write.get()});
  in.read.Close();
  out.write.Close();
  std::string output;
  std::size_t words = 0;
  for (const std::string& line : c.lines) {
    // Each word is read after one prompt: the line's first word waits for the next one.
    const std::string expected = ThroughPrompt(c.output, words + 1);
    ASSERT_TRUE(ReadUntil(out.read.get(), output, expected))
        << "waiting to type " << testing::PrintToString(line) << " got:\n"
        << output;
    EXPECT_EQ(output, expected);
    WriteAll(in.write.get(), line);
    std::istringstream typed(line);
    for (std::string word; typed >> word;) ++words;
  }
  in.write.Close();
  output += ReadToEnd(out.read.get());
  EXPECT_PRED_FORMAT2(SameText, output, c.output);
  const auto status = WaitForExit(pid);
  ASSERT_TRUE(status);
  EXPECT_TRUE(EndedNormally(*status)) << *status;
}

TEST(HiloThroughPipesTest, EndOfInputAtAnyPromptEndsTheGameWithNothingMoreWritten) {
  // Under the clock stopped at its usual second, as in this transcript, every card is a 10.
  const std::string& game = Transcript("dialogues_during_play").output;
  const struct {
    std::string_view input;
    std::size_t prompts;  // how many of the game's prompts come before the end
  } cases[] = {
      {"", 1},
      {"  \n\n", 1},
      {"hard", 2},
      // Ctrl+Z ends the input wherever it comes, even inside a line.
      {"hard\x1ah\nh\n", 2},
  };
  for (const auto& c : cases) {
    const Finished finished = RunOnInput(c.input, GameEnvironment("C.UTF-8"));
    EXPECT_PRED_FORMAT2(SameText, finished.output, ThroughPrompt(game, c.prompts))
        << testing::PrintToString(std::string(c.input));
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
    const auto status = WaitForExit(pid);
    ASSERT_TRUE(status) << c.name;
    EXPECT_TRUE(EndedNormally(*status)) << c.name << ": " << *status;
  }
}

// The texts written as they are, in UTF-8, whatever the plain or UTF-8 locale.
TEST(HiloThroughPipesTest, UnicodeAndPlainLocalesGetTheTextsInUtf8) {
  const TranscriptCase c = Transcript("quit_at_the_choice");
  for (const std::string_view locale : {"C", "POSIX", "no_SUCH.locale"}) {
    const Finished finished = RunOnInput(c.Input(), GameEnvironment(locale));
    EXPECT_EQ(finished.output, c.output) << locale;
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
  // success shows in the files it wrote.
  std::system(command.c_str());
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
  const TranscriptCase c = Transcript("quit_at_the_choice");
  const std::string expected = InCodePage932(c.output);
  // The second byte of 予 and 表 is a backslash, and the gap after the A an ideographic space.
  ASSERT_NE(expected.find("\x97\x5c"), std::string::npos);
  ASSERT_NE(expected.find("\x95\x5c"), std::string::npos);
  ASSERT_NE(expected.find("A\x81\x40"), std::string::npos);

  const Finished finished =
      RunOnInput(c.Input(), GameEnvironment("ja_JP.SJIS", {"LOCPATH=" + directory.string()}));
  std::filesystem::remove_all(directory);

  EXPECT_EQ(finished.output, expected);
  EXPECT_TRUE(EndedNormally(finished.status)) << finished.status;
}

}  // namespace
}  // namespace hilo::e2e
