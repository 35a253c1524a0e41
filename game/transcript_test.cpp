// Plays every hand-written transcript in-process and holds the game to it byte for byte.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/fake_port.h"
#include "e2e/expected_text.h"
#include "game/game_flow.h"
#include "game/transcript_case.h"
#include "rules/scripted_clock.h"

namespace hilo {
namespace {

using Ending = TranscriptCase::Ending;

class TranscriptTest : public testing::TestWithParam<std::filesystem::path> {};

// How many words lines hold.
std::size_t WordsIn(const std::vector<std::string>& lines) {
  std::size_t words = 0;
  for (const std::string& line : lines) {
    std::istringstream in(line);
    for (std::string word; in >> word;) ++words;
  }
  return words;
}

TEST_P(TranscriptTest, GamePlaysAsWritten) {
  const TranscriptCase c = ReadTranscriptCase(GetParam());
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
  EXPECT_EQ(words_read, WordsIn(c.lines)) << "words read";
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

std::string CaseName(const testing::TestParamInfo<std::filesystem::path>& info) {
  return info.param.stem().string();
}

INSTANTIATE_TEST_SUITE_P(Transcripts, TranscriptTest,
                         testing::ValuesIn(TranscriptFiles(HILO_TRANSCRIPTS_DIR)), CaseName);

}  // namespace
}  // namespace hilo
