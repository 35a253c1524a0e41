#include "rules/scoring.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace hilo {
namespace {

constexpr Card kMiddleCard = 8;
constexpr int kFullAward = 100;

// Adds in 64 bits and clamps, so a score never wraps around to the other sign.
Score SaturatingAdd(Score score, std::int64_t change) {
  constexpr std::int64_t kMin = std::numeric_limits<Score>::min();
  constexpr std::int64_t kMax = std::numeric_limits<Score>::max();
  return static_cast<Score>(std::clamp(std::int64_t{score} + change, kMin, kMax));
}

}  // namespace

std::optional<Difficulty> DifficultyFromKeyword(std::string_view word) {
  for (const auto& info : kDifficulties) {
    if (info.keyword == word) return info.difficulty;
  }
  return std::nullopt;
}

int Stake(Difficulty difficulty, Card current) {
  const int distance = std::abs(kMiddleCard - current);
  if (InfoOf(difficulty).stake_rule == StakeRule::kDistanceTimesTen) return 10 * distance;
  if (distance == 6) return 50;
  if (distance >= 3) return 25;
  return 0;
}

Judgement Judge(Difficulty difficulty, Card current, Card next, Answer answer) {
  if (next == current) return {Outcome::kEven, 0};
  const bool guessed_right = (answer == Answer::kHigher) == (next > current);
  if (!guessed_right) return {Outcome::kLose, 0};
  // Guessing toward the side with fewer cards left, or from the middle card, earns the full award.
  const bool toward_fewer =
      answer == Answer::kHigher ? current >= kMiddleCard : current <= kMiddleCard;
  return {Outcome::kWin, toward_fewer ? kFullAward : kFullAward - Stake(difficulty, current)};
}

Score ApplyWin(Score score, int award) { return SaturatingAdd(score, award); }

Score ContinuePenalty(Difficulty difficulty, Score score) {
  switch (InfoOf(difficulty).continue_rule) {
    case ContinueRule::kMinusFiveHundred:
      return SaturatingAdd(score, -500);
    case ContinueRule::kClear:
      return 0;
    case ContinueRule::kHalveRoundingUp:
      // The game's own rounding: the exact half plus 0.5555555555, cut toward zero. For the whole
      // and half-point values a score can take this rounds a half point up (175 -> 88).
      return static_cast<Score>(static_cast<double>(score) / 2.0 + 0.5555555555);
  }
  return score;
}

}  // namespace hilo
