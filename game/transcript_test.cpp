// Plays every hand-written transcript in-process and holds the game to it byte for byte: the
// words it reads, the reads it makes and its key wait too.

#include "testing/transcript.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <utility>

#include "console/console.h"
#include "game/game_flow.h"
#include "testing/fake_port.h"
#include "testing/reference_words.h"
#include "testing/scripted_clock.h"

namespace hilo {
namespace {

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
  if (!c.locale.empty()) {
    GTEST_SKIP() << "plays in the locale " << c.locale << ", which only a game run apart has";
  }
  // One line per read, as a terminal delivers them, so that the reads show which lines the game
  // took.
  FakePort port(c.lines);
  ScriptedClock clock(c.seconds);
  std::size_t words_read = 0;
  {
    Console console(port);
    GameFlow flow(console, clock);
    flow.Run();
    words_read = console.tokens_read();
  }
  const std::string& output = port.output();
  EXPECT_PRED_FORMAT2(SameText, output, c.output);

  // A game that ends by itself takes the last typed word and then reads no more: another read
  // would meet the end of the input. One that runs out of input meets it exactly once.
  EXPECT_EQ(words_read, ReferenceWords(c.Input()).size()) << "words read";
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

// One transcript file, read and played in-process when its test runs: a file that does not
// parse fails its own test, naming the file and the line, and the others still run.
class PlayedTranscript : public testing::Test {
 public:
  explicit PlayedTranscript(std::filesystem::path file) : file_(std::move(file)) {}
  void TestBody() override {
    TranscriptCase c;
    try {
      c = ReadTranscript(file_);
    } catch (const std::runtime_error& malformed) {
      FAIL() << malformed.what();
    }
    PlayInProcess(c);
  }

 private:
  std::filesystem::path file_;
};

// A test for every transcript, named transcripts/in_process.<name>, registered before the tests
// run.
[[maybe_unused]] const bool kRegistered = [] {
  for (const std::filesystem::path& file : TranscriptFiles()) {
    testing::RegisterTest("transcripts/in_process", file.stem().string().c_str(), nullptr, nullptr,
                          __FILE__, __LINE__,
                          [file]() -> testing::Test* { return new PlayedTranscript(file); });
  }
  return true;
}();

}  // namespace
}  // namespace hilo
