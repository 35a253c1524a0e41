#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "rules/card.h"

namespace hilo {

// The player's points: signed 32-bit, 0 at the start of a run.
using Score = std::int32_t;

enum class Difficulty { kHard, kNormal, kEasy, kBeginner };

// How a turn's stake grows with the current card's distance from 8.
enum class StakeRule { kDistanceTimesTen, kBanded };

// What continuing after a loss costs.
enum class ContinueRule { kMinusFiveHundred, kClear, kHalveRoundingUp };

// One row of the difficulty table.
struct DifficultyInfo {
  Difficulty difficulty;
  std::string_view keyword;       // what the player types to choose it
  std::string_view display_name;  // what the game prints once it is chosen
  StakeRule stake_rule;
  ContinueRule continue_rule;
};

// The difficulty table, in the order the game lists the levels.
inline constexpr std::array<DifficultyInfo, 4> kDifficulties = {{
    {Difficulty::kHard, "hard", "Hard", StakeRule::kDistanceTimesTen,
     ContinueRule::kMinusFiveHundred},
    {Difficulty::kNormal, "nomal", "Nomal", StakeRule::kDistanceTimesTen, ContinueRule::kClear},
    {Difficulty::kEasy, "easy", "Easy", StakeRule::kBanded, ContinueRule::kClear},
    {Difficulty::kBeginner, "beginner", "Beginnger", StakeRule::kBanded,
     ContinueRule::kHalveRoundingUp},
}};

// The table is indexed by the enumeration, so its rows must stay in the enumeration's order.
static_assert(kDifficulties[0].difficulty == Difficulty::kHard &&
              kDifficulties[1].difficulty == Difficulty::kNormal &&
              kDifficulties[2].difficulty == Difficulty::kEasy &&
              kDifficulties[3].difficulty == Difficulty::kBeginner);

// The table row of a difficulty.
constexpr const DifficultyInfo& InfoOf(Difficulty difficulty) {
  return kDifficulties[static_cast<std::size_t>(difficulty)];
}

// The difficulty whose keyword is exactly word (case-sensitive), if any.
std::optional<Difficulty> DifficultyFromKeyword(std::string_view word);

// The player's guess about the next card.
enum class Answer { kHigher, kLower };

enum class Outcome { kWin, kEven, kLose };

// The result of one answer; award is meaningful only for a win.
struct Judgement {
  Outcome outcome;
  int award;
};

// What a guess toward the side with more cards left gives up, from the current card's distance
// to 8.
int Stake(Difficulty difficulty, Card current);

// Judges an answer: equal cards are Even whatever the answer, otherwise Win or Lose with the award.
Judgement Judge(Difficulty difficulty, Card current, Card next, Answer answer);

// The score after a win worth award; held at the 32-bit limit rather than wrapping.
Score ApplyWin(Score score, int award);

// The score after the player continues following a loss; never wraps.
Score ContinuePenalty(Difficulty difficulty, Score score);

}  // namespace hilo
