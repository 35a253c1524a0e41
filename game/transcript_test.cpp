// Plays every hand-written transcript in-process and holds the game to it byte for byte: the
// words it reads, the reads it makes and its key wait too.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "console/console.h"
#include "game/game_flow.h"
#include "testing/fake_port.h"
#include "testing/reference_words.h"
#include "testing/scripted_clock.h"

namespace hilo {
namespace {

// One hand-written game of game/transcripts, as e2e/transcripts.py, the one reader of their
// format, gives it for every suite.
struct TranscriptCase {
  enum class Ending {
    kKey,    // after "Press key to finish." it waits for one key
    kGame,   // at once, with no key wait
    kInput,  // standard input runs out while the game waits for a word
  };
  std::string_view name;       // the file's name without its extension
  std::string_view malformed;  // "file:line: reason" where the file does not parse, else empty
  std::vector<std::int64_t> seconds;  // one per clock reading; the last repeats
  Ending ending = Ending::kInput;
  std::string_view locale;  // the locale it is played in; empty for the suite's own
  // The typed lines, each with its line feed. A game that ends by itself ends on the last word.
  std::vector<std::string_view> lines;
  std::string_view output;  // the exact expected output, UTF-8 with LF line ends
};

// The table the build writes from the files.
const std::vector<TranscriptCase>& Transcripts() {
  using namespace std::string_view_literals;
  static const std::vector<TranscriptCase> cases = {
#include "transcripts.inc"
  };
  return cases;
}

// Compares two outputs for EXPECT_PRED_FORMAT2, reporting only where they part and what follows,
// not both whole games.
testing::AssertionResult SameText(const char* actual_expr, const char* expected_expr,
                                  const std::string& actual, const std::string& expected) {
  if (actual == expected) return testing::AssertionSuccess();
  std::size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  const std::size_t from = at < 40 ? 0 : at - 40;
  return testing::AssertionFailure()
         << actual_expr << " and " << expected_expr << " part at byte " << at << " of "
         << actual.size() << " (expected " << expected.size() << ")"
         << "\n  actual:   " << testing::PrintToString(actual.substr(from, 120))
         << "\n  expected: " << testing::PrintToString(expected.substr(from, 120));
}

void PlayInProcess(const TranscriptCase& c) {
  using Ending = TranscriptCase::Ending;
  // One line per read, as a terminal delivers them, so that the reads show which lines the game
  // took.
  FakePort port({c.lines.begin(), c.lines.end()});
  ScriptedClock clock(c.seconds);
  std::size_t words_read = 0;
  {
    Console console(port);
    GameFlow flow(console, clock);
    flow.Run();
    words_read = console.tokens_read();
  }
  const std::string& output = port.output();
  EXPECT_PRED_FORMAT2(SameText, output, std::string(c.output));

  // A game that ends by itself takes the last typed word and then reads no more: another read
  // would meet the end of the input. One that runs out of input meets it exactly once.
  std::string input;
  for (const std::string_view line : c.lines) input += line;
  EXPECT_EQ(words_read, ReferenceWords(input).size()) << "words read";
  const std::size_t reads = port.output_at_reads().size();
  const std::size_t key_waits = port.output_at_key_waits().size();
  EXPECT_EQ(reads, c.lines.size() + (c.ending == Ending::kInput ? 1 : 0)) << "reads of the input";
  if (c.ending == Ending::kKey) {
    ASSERT_EQ(key_waits, 1U) << "key waits";
    EXPECT_EQ(port.output_at_key_waits()[0], output) << "the key wait began before the last text";
  } else {
    EXPECT_EQ(key_waits, 0U) << "key waits";
  }
}

// One transcript, played in-process when its test runs.
class Played : public testing::Test {
 public:
  explicit Played(const TranscriptCase& c) : c_(c) {}
  void TestBody() override {
    if (!c_.malformed.empty()) FAIL() << c_.malformed;
    // The game's texts do not change with the locale here: only the process suites can tell.
    if (!c_.locale.empty()) GTEST_SKIP() << "played in " << c_.locale << " by the process suites";
    PlayInProcess(c_);
  }

 private:
  const TranscriptCase& c_;
};

// A test for every transcript, named transcripts/in_process.<name>, registered before the tests
// run. A file that does not parse fails its own test, naming the file and the line, and the
// others still run.
[[maybe_unused]] const bool kRegistered = [] {
  for (const TranscriptCase& c : Transcripts()) {
    testing::RegisterTest("transcripts/in_process", std::string(c.name).c_str(), nullptr, nullptr,
                          __FILE__, __LINE__, [&c]() -> testing::Test* { return new Played(c); });
  }
  return true;
}();

}  // namespace
}  // namespace hilo
