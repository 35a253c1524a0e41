#include "game/texts.h"

#include <gtest/gtest.h>

#include <array>

namespace hilo {
namespace {

// Only Beginner halves the points on continuing, and it shares its award texts with Easy.
TEST(TextsTest, BeginnerExplainsItsOwnRules) {
  using namespace texts;
  EXPECT_EQ(RulesTextsOf(Difficulty::kBeginner),
            (std::array{kHigherAwardsBanded, kLowerAwardsBanded, kContinueHalvesPoints}));
}

}  // namespace
}  // namespace hilo
