#pragma once

#include "console/console.h"
#include "game/translated_texts.h"
#include "rules/card.h"
#include "rules/clock.h"
#include "rules/scoring.h"

namespace hilo {

// The whole game: the introduction, the choice of difficulty, the turns and the small dialogues
// between them, as one explicit state machine. It ends when the player quits, after a loss the
// player does not continue, or when the input ends.
class GameFlow {
 public:
  // Where the flow stands; each waiting state waits for one kind of answer.
  enum class State {
    kIntroduction,        // nothing written yet
    kChoosingDifficulty,  // a difficulty keyword or "finish"
    kQuitFromChoice,      // "y" or "n" after "finish" at the difficulty prompt
    kTurn,                // "h", "l", "finish" or "change"
    kQuitQuestion,        // "y" or "n" after "finish" during play
    kChangeQuestion,      // "y" or "n" after "change" during play
    kGameOver,            // "y", "n" or "change" after a loss
    kGameOverChange,      // "y" or "n" after "change" following a loss
    kBackToChoice,        // passing: clears the score on the way back to the difficulty choice
    kFinished,            // the game is over
  };

  // A game talking through console and drawing its cards from clock, both of which outlive the
  // flow, in the language translate gives its Japanese texts.
  GameFlow(Console& console, Clock& clock, const Translate& translate = Untranslated);

  // Plays the whole game, returning once it has finished.
  void Run();

  // Runs the current state until it hands over to the next one; false once the game has finished.
  bool Step();

  // The state the next step will run.
  State state() const { return state_; }
  // The player's points.
  Score score() const { return score_; }
  // The difficulty last chosen (Hard until one is).
  Difficulty difficulty() const { return difficulty_; }

 private:
  State Introduce();
  State ChooseDifficulty();
  State QuitFromChoice();
  State PlayTurn();
  State QuitQuestion();
  State ChangeQuestion();
  State GameOver();
  State GameOverChange();
  State BackToChoice();

  // Draws the next card for an answer, judges it and reports the outcome.
  State JudgeAnswer(Answer answer);

  Console& console_;
  Clock& clock_;
  const TranslatedTexts texts_;
  State state_ = State::kIntroduction;
  Difficulty difficulty_ = Difficulty::kHard;
  Card current_ = kLowestCard;
  Card next_ = kLowestCard;
  Score score_ = 0;
};

}  // namespace hilo
