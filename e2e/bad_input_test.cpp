// The built game fed input nobody should type: every case ends in a clear outcome (one re-ask per
// word the game cannot use, or a clean end with status 0), and nothing typed after it is lost.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "console/posix/fd_io.h"
#include "testing/launchers.h"
#include "testing/proc.h"
#include "testing/same_text.h"
#include "testing/wait.h"

namespace hilo::e2e {
namespace {

// String literals whose NULs count.
using namespace std::string_literals;

// The texts these cases meet, as the player sees them.
constexpr std::string_view kSelectAgain =
    "\n\n\"hard\", \"nomal\", \"easy\" or \"beginner\"\n\nSelect dificulty>";
constexpr std::string_view kQuit = "\n\nWill you quit the game?>";
constexpr std::string_view kQuitAgain = "\n\nWill you quit the game? Y or N>";
constexpr std::string_view kPressKey = "\n\n\nPress key to finish.\n\n>";
constexpr std::string_view kBackToChoice =
    "\n\n\n難易度を \"Hard\", \"Nomal\", \"Easy\", \"Beginner\"\nの中から選択してください"
    "\n\n\nSelect difficulty>";

// The introduction up to the first difficulty prompt, as a transcript has it, followed by texts.
std::string AfterIntroduction(std::initializer_list<std::string_view> texts) {
  std::string text = ThroughPrompt(Transcript("quit_at_the_choice").output, 1);
  for (const std::string_view more : texts) text += more;
  return text;
}

// A test played by each runner: through pipes, and hilo.exe under Wine from files.
class BadInputTest : public testing::TestWithParam<Runner> {};

INSTANTIATE_TEST_SUITE_P(Runners, BadInputTest, testing::ValuesIn(Runners()),
                         [](const auto& info) { return info.param.name; });

TEST_P(BadInputTest, StrangeBytesAreWordsLikeAnyOtherAndTheGameGoesOn) {
  const struct {
    const char* name;
    std::string input;
    std::string expected;
  } cases[] = {
      {"NUL bytes are part of a word, so no NUL-spoiled word is a keyword",
       "\0\nhard\0\n\0hard\nha\0rd\nfinish\0\nfinish\ny\n"s,
       AfterIntroduction({kSelectAgain, kSelectAgain, kSelectAgain, kSelectAgain, kSelectAgain,
                          kQuit, kPressKey})},
      {"invalid UTF-8 and Shift_JIS bytes are one re-ask each",
       // A lone byte, a lead byte without its trail, "予" in Shift_JIS (its trail is a backslash),
       // a cut UTF-8 character, an overlong slash, a surrogate, and a y with a stray byte.
       "finish\n\xff\xfe \x81 \x97\x5c \xe3\x81 \xc0\xaf \xed\xa0\x80 y\x80 n\nfinish\ny\n",
       AfterIntroduction({kQuit, kQuitAgain, kQuitAgain, kQuitAgain, kQuitAgain, kQuitAgain,
                          kQuitAgain, kQuitAgain, kBackToChoice, kQuit, kPressKey})},
      {"Ctrl+Z in the middle of a line ends the input right there", "finish\nn\x1a y\n",
       AfterIntroduction({kQuit, kBackToChoice})},
      {"Ctrl+Z in the middle of a word leaves its first part as a word", "finish\nfin\x1aish\ny\n",
       AfterIntroduction({kQuit, kQuitAgain})},
      {"CR LF line ends read as LF", "\r\n\r\nfinish\r\n\r\ny\r\n",
       AfterIntroduction({kQuit, kPressKey})},
      {"lines ended by CR alone run together, since CRs are dropped", "finish\ry\r",
       AfterIntroduction({kSelectAgain})},
      {"a CR inside a word is dropped", "fin\rish\ny\n", AfterIntroduction({kQuit, kPressKey})},
      {"no input at all", "", AfterIntroduction({})},
      {"a keyword heading a long word is no keyword",
       "finish" + std::string(200, 'x') + "\nfinish\ny\n",
       AfterIntroduction({kSelectAgain, kQuit, kPressKey})},
      // はい　いいえ in Shift_JIS: an ideographic space parts no words.
      {"an ideographic space inside a word",
       "\x82\xcd\x82\xa2\x81\x40\x82\xa2\x82\xa2\x82\xa6\nfinish\ny\n",
       AfterIntroduction({kSelectAgain, kQuit, kPressKey})},
      {"a word after more blanks than one read takes", std::string(65534, ' ') + "finish\ny\n",
       AfterIntroduction({kQuit, kPressKey})},
  };
  const Runner& runner = GetParam();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Finished finished = runner.run(c.input, GameEnvironment("C.UTF-8"));
    EXPECT_PRED_FORMAT2(SameText, finished.output, InForm(c.expected, runner.form));
    EXPECT_PRED_FORMAT2(EndedAs, finished.status, testing::ExitedWithCode(0));
  }
}

TEST(HiloBadInputTest, AMillionWordsOnOneLineAreAMillionReasksAndTheNextWordStillCounts) {
  constexpr std::size_t kWords = 1'000'000;
  GameOnPipes game = StartOnPipes(GameEnvironment("C.UTF-8"));
  // Typed on another thread: the game answers every word while the line is still coming.
  std::thread typist([input = Fd(game.input.Release())] {
    WriteAll(input.get(), "finish\n");
    std::string line;
    for (std::size_t i = 0; i < kWords; ++i) line += "Y ";
    WriteAll(input.get(), line + "y\n");
  });
  const Finished finished = game.Finish();
  typist.join();

  std::string expected = AfterIntroduction({kQuit});
  for (std::size_t i = 0; i < kWords; ++i) expected += kQuitAgain;
  expected += kPressKey;
  EXPECT_PRED_FORMAT2(SameText, finished.output, expected);
  EXPECT_PRED_FORMAT2(EndedAs, finished.status, testing::ExitedWithCode(0));
}

// Types word at the difficulty prompt, streaming it in slices so the test never holds it whole,
// and returns the game's peak memory once it has answered with its re-ask. Then the game must
// still take "finish" and "y".
std::optional<long> PeakMemoryAfterOneWord(std::size_t length) {
  GameOnPipes game = StartOnPipes(GameEnvironment("C.UTF-8"));
  const std::string slice(std::min<std::size_t>(length, 1 << 20), 'x');
  for (std::size_t typed = 0; typed < length; typed += slice.size()) {
    WriteAll(game.input.get(), std::string_view(slice).substr(0, length - typed));
  }
  WriteAll(game.input.get(), "\n");
  std::string screen;
  EXPECT_TRUE(AwaitScreen(game.output.get(), game.pid, screen, AfterIntroduction({kSelectAgain})));
  // The game now waits for its next word, so its peak, the most memory it has held at once, can be
  // read before it goes.
  const auto peak = StatusKiB(game.pid, "VmHWM");
  WriteAll(game.input.get(), "finish\ny\n");
  const Finished finished = game.Finish();
  EXPECT_PRED_FORMAT2(SameText, screen + finished.output,
                      AfterIntroduction({kSelectAgain, kQuit, kPressKey}));
  EXPECT_PRED_FORMAT2(EndedAs, finished.status, testing::ExitedWithCode(0));
  return peak;
}

TEST(HiloBadInputTest, AHundredMegabyteWordIsOneReaskAndTakesNoMoreMemoryThanAShortOne) {
  // The game's peak is read from /proc: the wait4 figure would also count the test process it
  // was forked from.
  const auto short_word = PeakMemoryAfterOneWord(1);
  const auto long_word = PeakMemoryAfterOneWord(std::size_t{100} << 20);
  ASSERT_TRUE(short_word && long_word);
  RecordProperty("peak_kib_short_word", std::to_string(*short_word));
  RecordProperty("peak_kib_100mb_word", std::to_string(*long_word));
  // The word streams through a fixed block: a few pages of slack, never a share of its size.
  EXPECT_LE(static_cast<double>(*long_word), 1.1 * static_cast<double>(*short_word))
      << *long_word << " KiB against " << *short_word << " KiB for a one-letter word";
}

// True when this test, and so the game built alongside it, runs under AddressSanitizer, whose
// allocator reports running out of memory itself.
constexpr bool kUnderAddressSanitizer =
#if defined(__SANITIZE_ADDRESS__)
    true;
#elif defined(__has_feature)
    __has_feature(address_sanitizer);
#else
    false;
#endif

TEST(HiloBadInputTest, OutOfMemoryTheGameHandsOnItsOutputSaysSoOnceAndExitsWithStatus1) {
  if (kUnderAddressSanitizer) GTEST_SKIP() << "the sanitizer's allocator reports it instead";
  constexpr std::string_view kPrompt = "\n\n\nSelect difficulty>";
  GameOnPipes game = StartOnPipes(GameEnvironment("C.UTF-8"));
  const pid_t pid = game.pid;
  std::string screen;
  ASSERT_TRUE(AwaitScreen(game.output.get(), pid, screen, AfterIntroduction({})));
  // As a small ulimit -v would: the game, waiting for a word, gets little more address space than
  // it has, far less than the re-asks to a flood of wrong words gather before they are handed on.
  const auto mapped_kib = StatusKiB(pid, "VmSize");
  ASSERT_TRUE(mapped_kib);
  const rlim_t limit = static_cast<rlim_t>(*mapped_kib + 64) * 1024;
  const rlimit small = {limit, limit};
  ASSERT_EQ(prlimit(pid, RLIMIT_AS, &small, nullptr), 0);

  // A writer of its own, since the game's output must be read meanwhile.
  std::thread flood([input = game.input.Release()] {
    const std::string words(std::size_t{1} << 16, '\n');
    std::string line = words;
    for (std::size_t i = 0; i < line.size(); i += 2) line[i] = 'x';
    // Two hundred thousand wrong words; the writes stop failing quietly once the game has gone.
    for (int i = 0; i < 6; ++i) {
      if (write(input, line.data(), line.size()) < 0) break;
    }
    close(input);
  });
  const Finished finished = game.Finish();
  flood.join();
  screen += finished.output;

  EXPECT_PRED_FORMAT2(EndedAs, finished.status, testing::ExitedWithCode(1));
  EXPECT_EQ(finished.errors, "hilo: out of memory\n");
  // What the game held is handed on whole: re-asks, and no part of one.
  const std::size_t reasks_from = screen.find(kPrompt) + kPrompt.size();
  const std::string_view reasks = std::string_view(screen).substr(reasks_from);
  EXPECT_GT(reasks.size(), kSelectAgain.size());
  EXPECT_EQ(reasks.size() % kSelectAgain.size(), 0u);
  EXPECT_TRUE(reasks.ends_with(kSelectAgain));

  // So does a game that runs out as it starts, even where the C++ runtime has too little memory to
  // throw. Where that lies moves with the toolchain, so address-space limits are scanned from one
  // the loader refuses (status 127) up to one the game plays with.
  int outcomes[3] = {};  // refused, out of memory, played
  for (long kib = 1024; kib < 8192 && outcomes[2] == 0; kib += 16) {
    const Finished run = StartOnPipes(GameEnvironment("C.UTF-8", {}, false), {}, kib).Finish();
    const std::string& said = run.errors;
    const auto& ended = run.status;
    ASSERT_TRUE(ended && WIFEXITED(*ended)) << kib << " KiB: " << said;
    const int code = WEXITSTATUS(*ended);
    if (code == 127 && outcomes[1] + outcomes[2] == 0) {
      ++outcomes[0];
    } else {
      ASSERT_TRUE(code == 0 || code == 1) << kib << " KiB: " << code;
      EXPECT_EQ(said, code == 0 ? "" : "hilo: out of memory\n") << kib << " KiB";
      ++outcomes[code == 0 ? 2 : 1];
    }
  }
  EXPECT_GT(outcomes[0], 0);
  EXPECT_GT(outcomes[1], 0);
  EXPECT_GT(outcomes[2], 0);
}

}  // namespace
}  // namespace hilo::e2e
