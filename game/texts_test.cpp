#include "game/texts.h"

#include <gtest/gtest.h>

namespace hilo {
namespace {

TEST(TextsTest, EachDifficultyExplainsItsOwnRules) {
  using namespace texts;
  const struct {
    Difficulty difficulty;
    std::array<std::string_view, 3> rules;
  } cases[] = {
      {Difficulty::kHard,
       {kHigherAwardsTenPerStep, kLowerAwardsTenPerStep, kContinueCostsFiveHundred}},
      {Difficulty::kNormal,
       {kHigherAwardsTenPerStep, kLowerAwardsTenPerStep, kContinueClearsPoints}},
      {Difficulty::kEasy, {kHigherAwardsBanded, kLowerAwardsBanded, kContinueClearsPoints}},
      {Difficulty::kBeginner, {kHigherAwardsBanded, kLowerAwardsBanded, kContinueHalvesPoints}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RulesTextsOf(c.difficulty), c.rules) << InfoOf(c.difficulty).keyword;
  }
}

}  // namespace
}  // namespace hilo
