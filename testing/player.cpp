#include "testing/player.h"

#include <gtest/gtest.h>

#include <utility>

#include "console/console.h"
#include "game/game_flow.h"
#include "testing/fake_port.h"
#include "testing/reference_words.h"
#include "testing/same_text.h"
#include "testing/scripted_clock.h"

namespace hilo {
namespace {

// One transcript on one launcher.
class PlayedTranscript : public testing::Test {
 public:
  PlayedTranscript(std::function<void(const TranscriptCase&)> play, TranscriptCase c)
      : play_(std::move(play)), case_(std::move(c)) {}
  void TestBody() override { play_(case_); }

 private:
  std::function<void(const TranscriptCase&)> play_;
  TranscriptCase case_;
};

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

}  // namespace

void RegisterTranscriptTests(const Launcher& launcher) {
  for (const TranscriptCase& c : Transcripts()) {
    if (launcher.scripts_clock || c.StoppedClock()) RegisterTranscriptTest(launcher, c);
  }
}

void RegisterTranscriptTest(const Launcher& launcher, const TranscriptCase& c) {
  testing::RegisterTest(("transcripts/" + launcher.name).c_str(), c.name.c_str(), nullptr, nullptr,
                        __FILE__, __LINE__, [play = launcher.play, c]() -> testing::Test* {
                          return new PlayedTranscript(play, c);
                        });
}

Launcher InProcess() {
  return {.name = "in_process", .scripts_clock = true, .play = PlayInProcess};
}

}  // namespace hilo
