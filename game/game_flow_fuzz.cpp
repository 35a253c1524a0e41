// Plays whole games from fuzz input and checks, after every step of the flow, that the game did
// only what its rules allow: each step reads what its state asks for (or nothing, in a passing
// state), answers every other word with one re-ask, moves the score only by an award, a continue
// penalty or a reset, and writes nothing but the game's own texts.
//
// Input layout: byte 0 gives how many clock seconds follow (0..15); then those seconds (the last
// digits of successive clock readings); then one byte for the largest read of standard input;
// then the bytes the player types.

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "console/console.h"
#include "console/console_port.h"
#include "console/reference_words.h"
#include "game/game_flow.h"
#include "game/texts.h"
#include "rules/scripted_clock.h"

namespace {

using hilo::GameFlow;
using hilo::Score;
using State = GameFlow::State;
namespace texts = hilo::texts;

// Stops the run with a finding when a rule is broken.
void Require(bool holds) {
  if (!holds) std::abort();
}

// What the game may write.

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

// Card labels by value (index 0 is card 2), and what may fill a "%s".
constexpr std::array<std::string_view, 13> kLabels = {"2", "3",  "4", "5", "6", "7", "8",
                                                      "9", "10", "J", "Q", "K", "A"};

// The difficulties as the player sees them, written out here rather than taken from the game.
struct Level {
  std::string_view keyword;
  std::string_view display_name;
  hilo::Difficulty difficulty;
  bool ten_per_step;  // the stake grows ten points a step (otherwise it goes in bands)
  std::array<std::string_view, 3> rules;  // what "h" earns, what "l" earns, what continuing costs
};
constexpr std::array<Level, 4> kLevels = {{
    {"hard",
     "Hard",
     hilo::Difficulty::kHard,
     true,
     {texts::kHigherAwardsTenPerStep, texts::kLowerAwardsTenPerStep,
      texts::kContinueCostsFiveHundred}},
    {"nomal",
     "Nomal",
     hilo::Difficulty::kNormal,
     true,
     {texts::kHigherAwardsTenPerStep, texts::kLowerAwardsTenPerStep, texts::kContinueClearsPoints}},
    {"easy",
     "Easy",
     hilo::Difficulty::kEasy,
     false,
     {texts::kHigherAwardsBanded, texts::kLowerAwardsBanded, texts::kContinueClearsPoints}},
    {"beginner",
     "Beginnger",
     hilo::Difficulty::kBeginner,
     false,
     {texts::kHigherAwardsBanded, texts::kLowerAwardsBanded, texts::kContinueHalvesPoints}},
}};

std::string_view LabelOf(int card) {
  Require(card >= 2 && card <= 14);
  return kLabels[static_cast<std::size_t>(card - 2)];
}

// One write, recognised: the game text it is, and the values that filled its placeholders.
struct Written {
  std::string_view text;
  std::vector<std::string> values;
};

// Reads a "%d" at the front of written: an int32 in plain decimal, no leading zeros or plus sign.
std::optional<std::size_t> NumberLength(std::string_view written) {
  const std::size_t sign = written.starts_with('-') ? 1 : 0;
  std::size_t end = sign;
  while (end < written.size() && written[end] >= '0' && written[end] <= '9') ++end;
  if (end == sign) return std::nullopt;
  if (written[sign] == '0' && (end - sign > 1 || sign == 1)) return std::nullopt;
  std::int32_t value = 0;
  const auto result = std::from_chars(written.data(), written.data() + end, value);
  if (result.ec != std::errc() || result.ptr != written.data() + end) return std::nullopt;
  return end;
}

// True when written is text with its placeholders filled; the fillings are appended to values.
bool Matches(std::string_view text, std::string_view written, std::vector<std::string>& values) {
  const std::size_t percent = text.find('%');
  const std::string_view literal = text.substr(0, percent);
  if (!written.starts_with(literal)) return false;
  if (percent == std::string_view::npos) return written.size() == literal.size();
  written.remove_prefix(literal.size());
  const std::string_view rest = text.substr(percent + 2);
  if (text[percent + 1] == 'd') {
    const auto length = NumberLength(written);
    if (!length) return false;
    values.emplace_back(written.substr(0, *length));
    if (Matches(rest, written.substr(*length), values)) return true;
    values.pop_back();
    return false;
  }
  static const std::vector<std::string_view> kFillings = [] {
    std::vector<std::string_view> fillings(kLabels.begin(), kLabels.end());
    for (const Level& level : kLevels) fillings.push_back(level.display_name);
    return fillings;
  }();
  for (const std::string_view filling : kFillings) {
    if (!written.starts_with(filling)) continue;
    values.emplace_back(filling);
    if (Matches(rest, written.substr(filling.size()), values)) return true;
    values.pop_back();
  }
  return false;
}

Written Recognise(std::string_view written) {
  for (const std::string_view text : kGameTexts) {
    Written result{text, {}};
    if (Matches(text, written, result.values)) return result;
  }
  Require(false);  // a write that is none of the game's texts
  return {};
}

// The player's side.

// Standard input: the typed bytes, handed out in reads of at most max_read bytes. Every text is a
// write of its own, since the port says it is a terminal.
class FuzzPort : public hilo::ConsolePort {
 public:
  FuzzPort(std::string_view typed, std::size_t max_read) : typed_(typed), max_read_(max_read) {}

  std::size_t Read(std::span<char> buffer) override {
    // Asking again after the end would mean the game spins there.
    Require(!ended_);
    const std::string_view chunk = typed_.substr(offset_, std::min(max_read_, buffer.size()));
    std::copy(chunk.begin(), chunk.end(), buffer.begin());
    offset_ += chunk.size();
    ended_ = chunk.empty();
    return chunk.size();
  }

  void Write(std::string_view texts) override { writes_.emplace_back(texts); }
  bool WritesToTerminal() const override { return true; }
  void WaitKey() override { ++key_waits_; }

  // The writes since the last call, each recognised as one of the game's texts.
  std::vector<Written> TakeWrites() {
    std::vector<Written> recognised;
    for (const std::string& written : writes_) recognised.push_back(Recognise(written));
    writes_.clear();
    return recognised;
  }

  int key_waits() const { return key_waits_; }

 private:
  std::string_view typed_;
  std::size_t max_read_;
  std::size_t offset_ = 0;
  bool ended_ = false;
  std::vector<std::string> writes_;
  int key_waits_ = 0;
};

// The rules, restated.

int Award(const Level& level, int current, bool higher) {
  if (level.ten_per_step) {
    if (higher) return current >= 8 ? 100 : 100 - 10 * (8 - current);
    return current <= 8 ? 100 : 100 - 10 * (current - 8);
  }
  if (higher) return current >= 6 ? 100 : current >= 3 ? 75 : 50;
  return current <= 10 ? 100 : current <= 13 ? 75 : 50;
}

Score Clamped(std::int64_t score) {
  return static_cast<Score>(std::clamp<std::int64_t>(score, std::numeric_limits<Score>::min(),
                                                     std::numeric_limits<Score>::max()));
}

Score AfterContinuing(const Level& level, Score score) {
  switch (level.difficulty) {
    case hilo::Difficulty::kHard:
      return Clamped(std::int64_t{score} - 500);
    case hilo::Difficulty::kBeginner:
      return Clamped((std::int64_t{score} + 1) / 2);  // half, a half point rounded up
    default:
      return 0;
  }
}

// ---- The checker
// ---------------------------------------------------------------------------------

// What one step did, seen from outside the flow.
struct StepRecord {
  State before;
  State after;
  Score score_before;
  Score score_after;
  int card_before;
  int card_after;
  hilo::Difficulty difficulty_after;
  std::size_t tokens_read;
  int key_waits;
  std::vector<Written> writes;
};

using Texts = std::vector<std::string_view>;

Texts TextsOf(const std::vector<Written>& writes) {
  Texts texts;
  for (const Written& written : writes) texts.push_back(written.text);
  return texts;
}

// The question a waiting state asks: the words it accepts and what it writes after any other.
struct Question {
  std::span<const std::string_view> accepted;
  std::string_view reask;
};

Question QuestionOf(State state) {
  static constexpr std::array<std::string_view, 5> kChoices = {"hard", "nomal", "easy", "beginner",
                                                               "finish"};
  static constexpr std::array<std::string_view, 2> kYesNo = {"y", "n"};
  static constexpr std::array<std::string_view, 3> kYesNoChange = {"y", "n", "change"};
  switch (state) {
    case State::kChoosingDifficulty:
      return {kChoices, texts::kSelectDifficultyAgain};
    case State::kGameOver:
      return {kYesNoChange, texts::kAskContinueAgain};
    case State::kChangeQuestion:
    case State::kGameOverChange:
      return {kYesNo, texts::kAskChangeAgain};
    default:
      return {kYesNo, texts::kAskQuitAgain};
  }
}

// Where a question goes on an accepted answer, and what it writes on the way.
struct Answered {
  State next;
  Texts writes;
  bool waits_for_key = false;
};

Answered AnswerTo(State state, std::string_view answer, const Level* level) {
  const bool yes = answer == "y";
  switch (state) {
    case State::kChoosingDifficulty:
      if (answer == "finish") return {State::kQuitFromChoice, {texts::kAskQuit}};
      return {State::kTurn,
              {texts::kDifficultyChosen, level->rules[0], level->rules[1], level->rules[2],
               texts::kGoodLuck}};
    case State::kQuitFromChoice:
      if (yes) return {State::kFinished, {texts::kPressKeyToFinish}, true};
      return {State::kBackToChoice, {}};
    case State::kQuitQuestion:
      if (yes) return {State::kFinished, {texts::kFinalPointPressKeyToFinish}, true};
      return {State::kTurn, {}};
    case State::kChangeQuestion:
      return {yes ? State::kBackToChoice : State::kTurn, {}};
    case State::kGameOver:
      if (answer == "change") return {State::kGameOverChange, {texts::kAskChangeAfterLoss}};
      return {yes ? State::kTurn : State::kFinished, {}};
    case State::kGameOverChange:
      if (yes) return {State::kBackToChoice, {}};
      return {State::kGameOver, {texts::kAskContinue}};
    default:
      Require(false);
      return {};
  }
}

class Checker {
 public:
  explicit Checker(std::vector<std::string> words) : words_(std::move(words)) {}

  void Check(const StepRecord& step) {
    Require(step.card_after >= 2 && step.card_after <= 14);
    switch (step.before) {
      case State::kIntroduction:
        CheckIntroduction(step);
        break;
      case State::kBackToChoice:
        CheckBackToChoice(step);
        break;
      case State::kTurn:
        CheckTurn(step);
        break;
      default:
        CheckQuestion(step);
        break;
    }
    if (level_ && level_->difficulty == hilo::Difficulty::kBeginner) Require(step.score_after >= 0);
  }

  // How many words the player typed.
  std::size_t words() const { return words_.size(); }

 private:
  static void CheckIntroduction(const StepRecord& step) {
    Require(step.tokens_read == 0 && step.key_waits == 0 && step.score_after == 0);
    Require(step.after == State::kChoosingDifficulty);
    // The opening texts, the numbers 2 to 10 one by one, then the closing texts.
    Texts expected = {texts::kIntroductionGuess, texts::kIntroductionHowToAnswer,
                      texts::kIntroductionGameOver, texts::kIntroductionCards};
    const std::size_t first_number = expected.size();
    expected.insert(expected.end(), 9, texts::kIntroductionCardValue);
    expected.insert(expected.end(), {texts::kIntroductionFaceCards, texts::kIntroductionFinish,
                                     texts::kIntroductionChooseDifficulty});
    Require(TextsOf(step.writes) == expected);
    for (std::size_t i = 0; i <= 9; ++i) {
      // The nine numbers, then the weakest card named in the face cards' text.
      const int number = i < 9 ? static_cast<int>(i) + 2 : 2;
      Require(step.writes[first_number + i].values[0] == std::to_string(number));
    }
  }

  static void CheckBackToChoice(const StepRecord& step) {
    Require(step.tokens_read == 0 && step.key_waits == 0 && step.score_after == 0);
    Require(step.after == State::kChoosingDifficulty);
    Require(TextsOf(step.writes) == Texts{texts::kBackToChoice});
  }

  void CheckTurn(const StepRecord& step) {
    Require(step.key_waits == 0);
    Require(!step.writes.empty() && step.writes[0].text == texts::kCardPrompt);
    Require(step.writes[0].values[0] == LabelOf(step.card_before));
    if (next_word_ == words_.size()) return CheckEnded(step, {texts::kCardPrompt});
    const std::string& word = words_[next_word_++];
    Require(step.tokens_read == 1);
    if (word == "h" || word == "l") return CheckAnswer(step, word == "h");
    Require(step.score_after == step.score_before && step.card_after == step.card_before);
    Texts expected = {texts::kCardPrompt, texts::kAnswerAgain};
    State next = State::kTurn;
    if (word == "finish") {
      expected = {texts::kCardPrompt, texts::kAskQuit};
      next = State::kQuitQuestion;
    } else if (word == "change") {
      expected = {texts::kCardPrompt, texts::kChangeClearsPoints, texts::kAskChange};
      next = State::kChangeQuestion;
    }
    Require(step.after == next && TextsOf(step.writes) == expected);
  }

  void CheckAnswer(const StepRecord& step, bool higher) {
    Require(level_.has_value());
    Require(step.writes.size() == 3 && step.writes[1].text == texts::kNextCard);
    const auto* const next_at = std::find(kLabels.begin(), kLabels.end(), step.writes[1].values[0]);
    const int next = static_cast<int>(next_at - kLabels.begin()) + 2;
    const int current = step.card_before;
    Score expected = step.score_before;
    std::string_view outcome = texts::kLose;
    if (next == current) {
      outcome = texts::kEven;
    } else if ((next > current) == higher) {
      outcome = texts::kWin;
      expected = Clamped(std::int64_t{step.score_before} + Award(*level_, current, higher));
    }
    // The outcome shows the score after a win, and before any penalty after a loss.
    Require(step.writes[2].text == outcome);
    Require(step.writes[2].values[0] == std::to_string(expected));
    Require(step.score_after == expected);
    if (outcome == texts::kLose) {
      Require(step.after == State::kGameOver);
      losing_card_ = next;
    } else {
      Require(step.after == State::kTurn && step.card_after == next);
    }
  }

  // The input ran out during the step: the game ends there, writing nothing more.
  static void CheckEnded(const StepRecord& step, const Texts& expected) {
    Require(step.key_waits == 0 && step.after == State::kFinished);
    Require(step.score_after == step.score_before && TextsOf(step.writes) == expected);
  }

  void CheckQuestion(const StepRecord& step) {
    const Question question = QuestionOf(step.before);
    // The difficulty prompt is the only question written by its own state.
    Texts expected;
    if (step.before == State::kChoosingDifficulty) expected.push_back(texts::kSelectDifficulty);
    // One re-ask after every word not accepted, none after the one that is.
    std::optional<std::string_view> answer;
    std::size_t taken = 0;
    while (!answer && next_word_ < words_.size()) {
      const std::string& word = words_[next_word_++];
      ++taken;
      const auto found = std::find(question.accepted.begin(), question.accepted.end(), word);
      if (found == question.accepted.end()) {
        expected.push_back(question.reask);
      } else {
        answer = *found;
      }
    }
    Require(step.tokens_read == taken);
    if (!answer) return CheckEnded(step, expected);
    if (step.before == State::kChoosingDifficulty && *answer != "finish") ChooseLevel(*answer);
    const Answered answered = AnswerTo(step.before, *answer, level_ ? &*level_ : nullptr);
    expected.insert(expected.end(), answered.writes.begin(), answered.writes.end());
    Require(TextsOf(step.writes) == expected);
    Require(step.after == answered.next);
    Require(step.key_waits == (answered.waits_for_key ? 1 : 0));
    CheckScoreAndCard(step, *answer);
  }

  void ChooseLevel(std::string_view keyword) {
    const auto* level = std::find_if(kLevels.begin(), kLevels.end(),
                                     [&](const Level& l) { return l.keyword == keyword; });
    Require(level != kLevels.end());
    level_ = *level;
  }

  void CheckScoreAndCard(const StepRecord& step, std::string_view answer) {
    Score expected = step.score_before;
    if (step.before == State::kChoosingDifficulty && answer != "finish") {
      Require(step.difficulty_after == level_->difficulty);
      const auto chosen = step.writes.end() - 5;
      Require(chosen->values[0] == level_->display_name);
      // A new game starts from nothing: from the start of the run or from the way back.
      expected = 0;
    } else if (step.before == State::kGameOver && answer == "y") {
      // Continuing costs the level's penalty and goes on from the card that decided the loss.
      expected = AfterContinuing(*level_, step.score_before);
      Require(step.card_after == losing_card_);
    } else if (step.before == State::kQuitQuestion && answer == "y") {
      Require(step.writes.back().values[0] == std::to_string(step.score_before));
    }
    Require(step.score_after == expected);
  }

  std::vector<std::string> words_;
  std::size_t next_word_ = 0;
  std::optional<Level> level_;
  int losing_card_ = 0;
};

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
  Checker checker(hilo::ReferenceWords(hilo::ReferenceTextMode(typed)));

  // Every step but the two passing ones reads a word, so a game cannot take more steps than this.
  const std::size_t step_limit = 3 * (checker.words() + 2);
  for (std::size_t steps = 0;; ++steps) {
    Require(steps < step_limit);
    StepRecord step{flow.state(), {}, flow.score(), {}, flow.current_card(), {}, {}, 0, 0, {}};
    const std::size_t read_before = console.tokens_read();
    const int keys_before = port.key_waits();
    const bool going = flow.Step();
    step.after = flow.state();
    step.score_after = flow.score();
    step.card_after = flow.current_card();
    step.difficulty_after = flow.difficulty();
    step.tokens_read = console.tokens_read() - read_before;
    step.key_waits = port.key_waits() - keys_before;
    step.writes = port.TakeWrites();
    Require(going == (step.after != State::kFinished));
    checker.Check(step);
    if (!going) break;
  }
  // A finished game stays finished: it neither reads nor writes any more.
  const std::size_t read_at_end = console.tokens_read();
  Require(!flow.Step() && console.tokens_read() == read_at_end && port.TakeWrites().empty());
  return 0;
}
