#include "testing/player.h"

#include <gtest/gtest.h>

#include <utility>

#include "console/console.h"
#include "game/game_flow.h"
#include "testing/fake_port.h"
#include "testing/reference_words.h"
#include "testing/same_text.h"
#include "testing/scripted_clock.h"
#include "testing/transcript.h"

namespace hilo {
namespace {

void PlayInProcess(const TranscriptCase& c) {
  using Ending = TranscriptCase::Ending;
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

// One transcript, played in-process.
class PlayedTranscript : public testing::Test {
 public:
  explicit PlayedTranscript(TranscriptCase c) : case_(std::move(c)) {}
  void TestBody() override { PlayInProcess(case_); }

 private:
  TranscriptCase case_;
};

}  // namespace

void RegisterTranscriptTests() {
  for (const TranscriptCase& c : Transcripts()) {
    testing::RegisterTest("transcripts/in_process", c.name.c_str(), nullptr, nullptr, __FILE__,
                          __LINE__, [c]() -> testing::Test* { return new PlayedTranscript(c); });
  }
}

}  // namespace hilo
