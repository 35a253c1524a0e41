// Plays whole games from fuzz input and checks, after every step of the flow, properties that
// hold whatever the cards and the words: every write is one of the game's texts; every word a
// state does not accept gets exactly one re-ask; nothing is read after the end of the input; a
// finished game stays finished; the steps are bounded by the words typed; a Beginner score never
// falls below 0; and the score moves only at an award, a continue penalty or a reset. The exact
// values belong to the transcripts and the rules' tests.
//
// Input layout: byte 0 gives how many clock seconds follow (0..15); then those seconds (the last
// digits of successive clock readings); then one byte for the largest read of standard input;
// then the bytes the player types.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/console.h"
#include "console/console_port.h"
#include "game/game_flow.h"
#include "game/texts.h"
#include "rules/card.h"
#include "testing/reference_words.h"
#include "testing/scripted_clock.h"

namespace {

using hilo::GameFlow;
using State = GameFlow::State;
namespace texts = hilo::texts;

// Stops the run with a finding when a property is broken.
void Require(bool holds) {
  if (!holds) std::abort();
}

// Every text the game has.
constexpr std::array<std::string_view, 36> kGameTexts = {
    texts::kIntroductionGuess,
    texts::kIntroductionHowToAnswer,
    texts::kIntroductionGameOver,
    texts::kIntroductionCards,
    texts::kIntroductionCardValue,
    texts::kIntroductionFaceCards,
    texts::kIntroductionFinish,
    texts::kIntroductionChooseDifficulty,
    texts::kSelectDifficulty,
    texts::kSelectDifficultyAgain,
    texts::kDifficultyChosen,
    texts::kGoodLuck,
    texts::kHigherAwardsTenPerStep,
    texts::kLowerAwardsTenPerStep,
    texts::kHigherAwardsBanded,
    texts::kLowerAwardsBanded,
    texts::kContinueCostsFiveHundred,
    texts::kContinueClearsPoints,
    texts::kContinueHalvesPoints,
    texts::kAskQuit,
    texts::kAskQuitAgain,
    texts::kPressKeyToFinish,
    texts::kFinalPointPressKeyToFinish,
    texts::kCardPrompt,
    texts::kAnswerAgain,
    texts::kNextCard,
    texts::kWin,
    texts::kEven,
    texts::kLose,
    texts::kChangeClearsPoints,
    texts::kAskChange,
    texts::kAskChangeAgain,
    texts::kAskContinueAgain,
    texts::kAskChangeAfterLoss,
    texts::kAskContinue,
    texts::kBackToChoice,
};

// The texts written after a word that was not accepted.
constexpr std::array<std::string_view, 5> kReasks = {texts::kSelectDifficultyAgain,
                                                     texts::kAskQuitAgain, texts::kAskChangeAgain,
                                                     texts::kAskContinueAgain, texts::kAnswerAgain};

// What may fill a "%s": a card's label or a difficulty's display name.
std::vector<std::string_view> Fillings() {
  std::vector<std::string_view> fillings;
  for (hilo::Card card = hilo::kLowestCard; card <= hilo::kHighestCard; ++card) {
    fillings.push_back(hilo::CardLabel(card));
  }
  for (const auto& info : hilo::kDifficulties) fillings.push_back(info.display_name);
  return fillings;
}

// True when written is text with its placeholders filled; the "%d" numbers go to numbers.
bool Matches(std::string_view text, std::string_view written, std::vector<long long>& numbers) {
  const std::size_t percent = text.find('%');
  const std::string_view literal = text.substr(0, percent);
  if (!written.starts_with(literal)) return false;
  if (percent == std::string_view::npos) return written.size() == literal.size();
  written.remove_prefix(literal.size());
  const std::string_view rest = text.substr(percent + 2);
  if (text[percent + 1] == 'd') {
    const std::size_t sign = written.starts_with('-') ? 1 : 0;
    std::size_t end = sign;
    while (end < written.size() && end < 12 && written[end] >= '0' && written[end] <= '9') ++end;
    if (end == sign) return false;
    numbers.push_back(std::stoll(std::string(written.substr(0, end))));
    if (Matches(rest, written.substr(end), numbers)) return true;
    numbers.pop_back();
    return false;
  }
  static const std::vector<std::string_view> kFillings = Fillings();
  return std::any_of(kFillings.begin(), kFillings.end(), [&](std::string_view filling) {
    return written.starts_with(filling) && Matches(rest, written.substr(filling.size()), numbers);
  });
}

// One write, recognised as the game text it is, with the numbers that filled it.
struct Written {
  std::string_view text;
  std::vector<long long> numbers;
};

Written Recognise(std::string_view written) {
  for (const std::string_view text : kGameTexts) {
    Written result{text, {}};
    if (Matches(text, written, result.numbers)) return result;
  }
  Require(false);  // a write that is none of the game's texts
  return {};
}

// The words a waiting state accepts; every other word gets a re-ask.
std::vector<std::string_view> AcceptedIn(State state) {
  switch (state) {
    case State::kChoosingDifficulty:
      return {"hard", "nomal", "easy", "beginner", "finish"};
    case State::kTurn:
      return {"h", "l", "finish", "change"};
    case State::kGameOver:
      return {"y", "n", "change"};
    default:
      return {"y", "n"};
  }
}

// Standard input: the typed bytes, handed out in reads of at most max_read bytes. It says it is a
// terminal, so that every text is a write of its own.
class FuzzPort : public hilo::ConsolePort {
 public:
  FuzzPort(std::string_view typed, std::size_t max_read) : typed_(typed), max_read_(max_read) {}

  std::size_t Read(std::span<char> buffer) override {
    Require(!ended_);  // asking again after the end would mean the game spins there
    const std::string_view chunk = typed_.substr(offset_, std::min(max_read_, buffer.size()));
    std::copy(chunk.begin(), chunk.end(), buffer.begin());
    offset_ += chunk.size();
    ended_ = chunk.empty();
    return chunk.size();
  }

  std::error_code Write(std::string_view texts) override {
    writes_.push_back(Recognise(texts));
    return {};
  }
  bool WritesToTerminal() const override { return true; }
  void WaitKey() override {}

  // The writes since the last call.
  std::vector<Written> TakeWrites() { return std::exchange(writes_, {}); }

 private:
  std::string_view typed_;
  std::size_t max_read_;
  std::size_t offset_ = 0;
  bool ended_ = false;
  std::vector<Written> writes_;
};

bool Wrote(const std::vector<Written>& writes, std::string_view text) {
  return std::any_of(writes.begin(), writes.end(),
                     [&](const Written& written) { return written.text == text; });
}

// Checks one step: from state before with score before, reading words, writing writes.
void CheckStep(State before, hilo::Score score_before, const GameFlow& flow,
               std::span<const std::string> words, const std::vector<Written>& writes) {
  // One re-ask for each word the state does not accept, and the step ends at an accepted one.
  const std::vector<std::string_view> accepted = AcceptedIn(before);
  std::size_t refused = 0;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const bool known = std::find(accepted.begin(), accepted.end(), words[i]) != accepted.end();
    // Only the last word of a step can be accepted; a turn takes one word, known or not.
    Require(!known || i + 1 == words.size());
    refused += known ? 0 : 1;
  }
  const auto reasks = std::count_if(writes.begin(), writes.end(), [](const Written& written) {
    return std::find(kReasks.begin(), kReasks.end(), written.text) != kReasks.end();
  });
  Require(static_cast<std::size_t>(reasks) == refused);

  // The score moves only at an award, a continue penalty or a reset, and is shown as it is.
  const hilo::Score score = flow.score();
  const bool award = before == State::kTurn && Wrote(writes, texts::kWin) && score > score_before;
  const bool penalty = before == State::kGameOver && !words.empty() && words.back() == "y";
  const bool reset = before == State::kBackToChoice && score == 0;
  Require(score == score_before || award || penalty || reset);
  for (const Written& written : writes) {
    if (written.text == texts::kWin || written.text == texts::kEven ||
        written.text == texts::kLose || written.text == texts::kFinalPointPressKeyToFinish) {
      Require(written.numbers.size() == 1 && written.numbers[0] == score);
    }
  }
  if (flow.difficulty() == hilo::Difficulty::kBeginner) Require(score >= 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t second_count = data[0] % 16;
  if (size < 2 + second_count) return 0;
  // A fixed day; only the last two digits of the second choose the card.
  constexpr std::int64_t kMidnight = 1'767'225'600;
  std::vector<std::int64_t> seconds;
  for (std::size_t i = 0; i < second_count; ++i) seconds.push_back(kMidnight + data[1 + i]);
  const std::size_t max_read = 1 + data[1 + second_count];
  const std::string_view typed(reinterpret_cast<const char*>(data) + 2 + second_count,
                               size - 2 - second_count);

  FuzzPort port(typed, max_read);
  hilo::ScriptedClock clock(std::move(seconds));
  hilo::Console console(port);
  GameFlow flow(console, clock);
  const std::vector<std::string> words = hilo::ReferenceWords(hilo::ReferenceTextMode(typed));

  // Every step reads a word but the introduction, the way back to the choice and the last one,
  // and the way back follows a word: a game cannot take more steps than this.
  const std::size_t step_limit = 2 * words.size() + 2;
  std::size_t steps = 0;
  for (bool going = true; going; ++steps) {
    Require(steps < step_limit);
    const State before = flow.state();
    const hilo::Score score_before = flow.score();
    const std::size_t read_before = console.tokens_read();
    going = flow.Step();
    const std::size_t read = console.tokens_read() - read_before;
    Require(read_before + read <= words.size());
    Require(going == (flow.state() != State::kFinished));
    CheckStep(before, score_before, flow,
              std::span<const std::string>(words).subspan(read_before, read), port.TakeWrites());
  }
  // A finished game stays finished: it neither reads nor writes any more.
  const std::size_t read_at_end = console.tokens_read();
  Require(!flow.Step() && flow.state() == State::kFinished);
  Require(console.tokens_read() == read_at_end && port.TakeWrites().empty());
  return 0;
}
