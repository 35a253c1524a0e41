#include "rules/scoring.h"

#include <gtest/gtest.h>

#include <limits>

namespace hilo {
namespace {

constexpr Difficulty kAllDifficulties[] = {Difficulty::kHard, Difficulty::kNormal,
                                           Difficulty::kEasy, Difficulty::kBeginner};
constexpr Score kMaxScore = std::numeric_limits<Score>::max();
constexpr Score kMinScore = std::numeric_limits<Score>::min();

TEST(DifficultyTest, KeywordsAreExactAndNamesKeepTheirSpelling) {
  const struct {
    std::string_view word;
    std::optional<Difficulty> difficulty;
    std::string_view display_name;
  } cases[] = {
      {"nomal", Difficulty::kNormal, "Nomal"},
      {"beginner", Difficulty::kBeginner, "Beginnger"},
      {"Hard", std::nullopt, ""},
      {"normal", std::nullopt, ""},
      {"beginnger", std::nullopt, ""},
      {"hard ", std::nullopt, ""},
      {"", std::nullopt, ""},
  };
  for (const auto& c : cases) {
    const auto difficulty = DifficultyFromKeyword(c.word);
    EXPECT_EQ(difficulty, c.difficulty) << c.word;
    if (difficulty) {
      EXPECT_EQ(InfoOf(*difficulty).display_name, c.display_name);
    }
  }
}

// One row of the award table: what a winning "h" and a winning "l" from a card earn.
struct AwardRow {
  Card current;
  int ten_per_step_higher, ten_per_step_lower, banded_higher, banded_lower;
};

constexpr AwardRow kAwards[] = {
    {2, 40, 100, 50, 100},   {3, 50, 100, 75, 100},  {4, 60, 100, 75, 100},
    {5, 70, 100, 75, 100},   {6, 80, 100, 100, 100}, {7, 90, 100, 100, 100},
    {8, 100, 100, 100, 100}, {9, 100, 90, 100, 100}, {10, 100, 80, 100, 100},
    {11, 100, 70, 100, 75},  {12, 100, 60, 100, 75}, {13, 100, 50, 100, 75},
    {14, 100, 40, 100, 50},
};

// Every card that wins for answer from current, at each difficulty, earns the table's award.
TEST(JudgeTest, WinsEarnTheAwardTable) {
  for (const auto& row : kAwards) {
    for (const Difficulty difficulty : kAllDifficulties) {
      const bool banded = InfoOf(difficulty).stake_rule == StakeRule::kBanded;
      const int higher = banded ? row.banded_higher : row.ten_per_step_higher;
      const int lower = banded ? row.banded_lower : row.ten_per_step_lower;
      for (Card next = kLowestCard; next <= kHighestCard; ++next) {
        const auto on_higher = Judge(difficulty, row.current, next, Answer::kHigher);
        const auto on_lower = Judge(difficulty, row.current, next, Answer::kLower);
        if (next > row.current) {
          EXPECT_EQ(on_higher.outcome, Outcome::kWin);
          EXPECT_EQ(on_higher.award, higher)
              << row.current << " h at " << InfoOf(difficulty).keyword;
          EXPECT_EQ(on_lower.outcome, Outcome::kLose);
        } else if (next < row.current) {
          EXPECT_EQ(on_lower.outcome, Outcome::kWin);
          EXPECT_EQ(on_lower.award, lower) << row.current << " l at " << InfoOf(difficulty).keyword;
          EXPECT_EQ(on_higher.outcome, Outcome::kLose);
        } else {
          // An equal card is a draw whichever way the player guessed.
          EXPECT_EQ(on_higher.outcome, Outcome::kEven);
          EXPECT_EQ(on_lower.outcome, Outcome::kEven);
        }
      }
    }
  }
}

TEST(ContinuePenaltyTest, EachDifficultyChargesItsOwnWay) {
  const struct {
    Difficulty difficulty;
    Score before, after;
  } cases[] = {
      {Difficulty::kHard, 300, -200},
      {Difficulty::kHard, -200, -700},
      {Difficulty::kHard, 0, -500},
      {Difficulty::kNormal, 160, 0},
      {Difficulty::kNormal, -40, 0},
      {Difficulty::kEasy, 975, 0},
      {Difficulty::kBeginner, 175, 88},
      {Difficulty::kBeginner, 150, 75},
      {Difficulty::kBeginner, 75, 38},
      {Difficulty::kBeginner, 1, 1},
      {Difficulty::kBeginner, 0, 0},
      // The limits: no wrap-around to the other sign.
      {Difficulty::kHard, kMinScore + 499, kMinScore},
      {Difficulty::kHard, kMinScore, kMinScore},
      {Difficulty::kHard, kMaxScore, kMaxScore - 500},
      {Difficulty::kBeginner, kMaxScore, 1'073'741'824},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ContinuePenalty(c.difficulty, c.before), c.after)
        << InfoOf(c.difficulty).keyword << " from " << c.before;
  }
}

TEST(ApplyWinTest, AddsTheAwardButHoldsAtTheTop) {
  const struct {
    Score before;
    int award;
    Score after;
  } cases[] = {
      {0, 100, 100},
      {-340, 40, -300},
      {kMaxScore - 100, 100, kMaxScore},
      {kMaxScore - 99, 100, kMaxScore},
      {kMaxScore, 50, kMaxScore},
      {kMinScore, 75, kMinScore + 75},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ApplyWin(c.before, c.award), c.after) << c.before << " + " << c.award;
  }
}

}  // namespace
}  // namespace hilo
