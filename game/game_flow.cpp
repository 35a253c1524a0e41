#include "game/game_flow.h"

#include <array>
#include <cstddef>

#include "game/texts.h"
#include "rules/card_draw.h"

namespace hilo {
namespace {

using texts::kWordChange;
using texts::kWordFinish;
using texts::kWordNo;
using texts::kWordYes;

constexpr std::array<std::string_view, 2> kYesOrNo = {kWordYes, kWordNo};
constexpr std::array<std::string_view, 3> kYesNoOrChange = {kWordYes, kWordNo, kWordChange};
// Every keyword of the difficulty table, in its order, then "finish".
constexpr auto kDifficultyChoices = [] {
  std::array<std::string_view, kDifficulties.size() + 1> choices{};
  for (std::size_t i = 0; i < kDifficulties.size(); ++i) choices[i] = kDifficulties[i].keyword;
  choices.back() = kWordFinish;
  return choices;
}();

}  // namespace

GameFlow::GameFlow(Console& console, Clock& clock, const Translate& translate)
    : console_(console), clock_(clock), texts_(translate) {}

void GameFlow::Run() {
  while (Step()) {
  }
}

bool GameFlow::Step() {
  switch (state_) {
    case State::kIntroduction:
      state_ = Introduce();
      break;
    case State::kChoosingDifficulty:
      state_ = ChooseDifficulty();
      break;
    case State::kQuitFromChoice:
      state_ = QuitFromChoice();
      break;
    case State::kTurn:
      state_ = PlayTurn();
      break;
    case State::kQuitQuestion:
      state_ = QuitQuestion();
      break;
    case State::kChangeQuestion:
      state_ = ChangeQuestion();
      break;
    case State::kGameOver:
      state_ = GameOver();
      break;
    case State::kGameOverChange:
      state_ = GameOverChange();
      break;
    case State::kBackToChoice:
      state_ = BackToChoice();
      break;
    case State::kFinished:
      break;
  }
  return state_ != State::kFinished;
}

GameFlow::State GameFlow::Introduce() {
  score_ = 0;
  console_.Write(texts_.introduction_guess);
  console_.Write(texts_.introduction_how_to_answer);
  console_.Write(texts_.introduction_game_over);
  console_.Write(texts_.introduction_cards);
  for (Card number = kLowestCard; number <= 10; ++number) {
    console_.Write(texts::kIntroductionCardValue, number);
  }
  console_.Write(texts_.introduction_face_cards, kLowestCard);
  console_.Write(texts_.introduction_finish);
  console_.Write(texts_.introduction_choose_difficulty);
  return State::kChoosingDifficulty;
}

GameFlow::State GameFlow::ChooseDifficulty() {
  console_.Write(texts::kSelectDifficulty);
  const auto choice = console_.AskChoice(kDifficultyChoices, texts::kSelectDifficultyAgain);
  // The input has ended: nobody is left to answer, so the game ends rather than ask for ever.
  if (!choice) return State::kFinished;
  if (*choice == kWordFinish) {
    console_.Write(texts::kAskQuit);
    return State::kQuitFromChoice;
  }
  difficulty_ = *DifficultyFromKeyword(*choice);
  console_.Write(texts_.difficulty_chosen, InfoOf(difficulty_).display_name);
  for (const auto text : texts_.RulesOf(difficulty_)) console_.Write(text);
  console_.Write(texts_.good_luck);
  current_ = ClockSeededDraw(clock_);
  return State::kTurn;
}

GameFlow::State GameFlow::QuitFromChoice() {
  const auto answer = console_.AskChoice(kYesOrNo, texts::kAskQuitAgain);
  if (!answer) return State::kFinished;
  if (*answer == kWordNo) return State::kBackToChoice;
  console_.Write(texts::kPressKeyToFinish);
  console_.WaitKey();
  return State::kFinished;
}

GameFlow::State GameFlow::PlayTurn() {
  console_.Write(texts::kCardPrompt, CardLabel(current_));
  const auto token = console_.ReadToken();
  if (!token) return State::kFinished;
  if (token->Is(texts::kWordHigher)) return JudgeAnswer(Answer::kHigher);
  if (token->Is(texts::kWordLower)) return JudgeAnswer(Answer::kLower);
  if (token->Is(kWordFinish)) {
    console_.Write(texts::kAskQuit);
    return State::kQuitQuestion;
  }
  if (token->Is(kWordChange)) {
    console_.Write(texts_.change_clears_points);
    console_.Write(texts::kAskChange);
    return State::kChangeQuestion;
  }
  // Anything else: say what is expected, then the same card's prompt comes again.
  console_.Write(texts::kAnswerAgain);
  return State::kTurn;
}

GameFlow::State GameFlow::JudgeAnswer(Answer answer) {
  // The card is drawn only now, after the answer: an answer within the same second meets an
  // equal card.
  next_ = ClockSeededDraw(clock_);
  const Judgement judgement = Judge(difficulty_, current_, next_, answer);
  console_.Write(texts::kNextCard, CardLabel(next_));
  switch (judgement.outcome) {
    case Outcome::kWin:
      score_ = ApplyWin(score_, judgement.award);
      console_.Write(texts::kWin, score_);
      break;
    case Outcome::kEven:
      console_.Write(texts::kEven, score_);
      break;
    case Outcome::kLose:
      // The loss shows the score before any penalty; the next card waits for a continue.
      console_.Write(texts::kLose, score_);
      return State::kGameOver;
  }
  current_ = next_;
  return State::kTurn;
}

GameFlow::State GameFlow::QuitQuestion() {
  const auto answer = console_.AskChoice(kYesOrNo, texts::kAskQuitAgain);
  if (!answer) return State::kFinished;
  if (*answer == kWordNo) return State::kTurn;
  console_.Write(texts::kFinalPointPressKeyToFinish, score_);
  console_.WaitKey();
  return State::kFinished;
}

GameFlow::State GameFlow::ChangeQuestion() {
  const auto answer = console_.AskChoice(kYesOrNo, texts::kAskChangeAgain);
  if (!answer) return State::kFinished;
  return *answer == kWordYes ? State::kBackToChoice : State::kTurn;
}

GameFlow::State GameFlow::GameOver() {
  const auto answer = console_.AskChoice(kYesNoOrChange, texts::kAskContinueAgain);
  if (!answer || *answer == kWordNo) return State::kFinished;
  if (*answer == kWordChange) {
    console_.Write(texts::kAskChangeAfterLoss);
    return State::kGameOverChange;
  }
  // Continuing costs points, and play goes on from the card that decided the loss.
  score_ = ContinuePenalty(difficulty_, score_);
  current_ = next_;
  return State::kTurn;
}

GameFlow::State GameFlow::GameOverChange() {
  const auto answer = console_.AskChoice(kYesOrNo, texts::kAskChangeAgain);
  if (!answer) return State::kFinished;
  if (*answer == kWordYes) return State::kBackToChoice;
  console_.Write(texts::kAskContinue);
  return State::kGameOver;
}

GameFlow::State GameFlow::BackToChoice() {
  score_ = 0;
  console_.Write(texts_.back_to_choice);
  return State::kChoosingDifficulty;
}

}  // namespace hilo
