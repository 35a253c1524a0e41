#include "rules/card_draw.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <vector>

#include "testing/scripted_clock.h"

namespace hilo {
namespace {

TEST(CardForSecondTest, TellingSeedsGiveTheirCards) {
  const struct {
    std::int64_t second;
    std::optional<Card> card;
  } cases[] = {{1, 10}, {2, 12}, {3, 7}, {7, 14}, {25, 2}, {99, 3}};
  for (const auto& c : cases) {
    EXPECT_EQ(CardForSecond(c.second), c.card) << "second " << c.second;
  }
}

TEST(CardForSecondTest, FourteenSeedsAreRejectedAndTheRestCoverEveryCard) {
  std::set<std::int64_t> rejected;
  std::map<Card, int> times_drawn;
  for (std::int64_t seed = 0; seed < 100; ++seed) {
    if (const auto card = CardForSecond(seed)) {
      ++times_drawn[*card];
    } else {
      rejected.insert(seed);
    }
  }
  EXPECT_EQ(rejected,
            (std::set<std::int64_t>{0, 4, 12, 20, 28, 36, 44, 49, 57, 65, 73, 81, 89, 97}));
  ASSERT_EQ(times_drawn.size(), 13U);
  EXPECT_EQ(times_drawn.begin()->first, kLowestCard);
  EXPECT_EQ(times_drawn.rbegin()->first, kHighestCard);
  for (const auto& [card, times] : times_drawn) {
    EXPECT_GE(times, 5) << CardLabel(card);
    EXPECT_LE(times, 8) << CardLabel(card);
  }
  EXPECT_EQ(times_drawn[12], 8);  // Q comes up most often
  EXPECT_EQ(times_drawn[13], 5);  // K least often
}

TEST(CardForSecondTest, OnlyTheSecondModuloOneHundredMatters) {
  for (std::int64_t seed = 0; seed < 100; ++seed) {
    for (const std::int64_t hundreds : {-3LL, 1LL, 17'672'256LL}) {
      EXPECT_EQ(CardForSecond(seed + 100 * hundreds), CardForSecond(seed)) << seed;
    }
  }
}

TEST(ClockSeededDrawTest, AcceptedSecondIsDrawnAtOnce) {
  ScriptedClock clock({1'767'225'607});
  EXPECT_EQ(ClockSeededDraw(clock), 14);
  EXPECT_EQ(clock.reads(), 1);
  EXPECT_TRUE(clock.slept_past().empty());
}

TEST(ClockSeededDrawTest, DrawsWithinOneSecondAgree) {
  for (std::int64_t seed = 0; seed < 100; ++seed) {
    ScriptedClock clock({seed});
    EXPECT_EQ(ClockSeededDraw(clock), ClockSeededDraw(clock)) << seed;
  }
}

TEST(ClockSeededDrawTest, RejectedSecondSleepsOnceAndGivesTheNextSecondsCard) {
  int rejected_seeds = 0;
  for (std::int64_t seed = 0; seed < 100; ++seed) {
    if (CardForSecond(seed)) continue;
    ++rejected_seeds;
    const std::int64_t second = 1'767'225'600 + seed;
    ScriptedClock clock({second});
    const Card card = ClockSeededDraw(clock);
    // No two consecutive seconds are rejected, so one sleep and one more reading always suffice.
    // The sleep is past the second read, not past a fresh reading that may already be later.
    EXPECT_EQ(card, CardForSecond(seed + 1)) << seed;
    EXPECT_EQ(clock.slept_past(), std::vector<std::int64_t>{second}) << seed;
    EXPECT_EQ(clock.reads(), 2) << seed;
  }
  EXPECT_EQ(rejected_seeds, 14);
}

// A clock that cannot be read, as a 32-bit clock past 2038 is: it counts the draw's readings and
// sleeps, and stops a draw that keeps waiting on it.
class UnreadableClock : public Clock {
 public:
  std::optional<std::int64_t> NowSeconds() override {
    if (++reads_ > 2) throw std::logic_error("the draw kept reading a clock that cannot be read");
    return std::nullopt;
  }
  void SleepUntilNextSecond(std::int64_t /*rejected_second*/) override { ++sleeps_; }
  int reads() const { return reads_; }
  int sleeps() const { return sleeps_; }

 private:
  int reads_ = 0;
  int sleeps_ = 0;
};

TEST(ClockSeededDrawTest, ClockThatCannotBeReadEndsTheDrawAtOnce) {
  UnreadableClock clock;
  EXPECT_THROW(ClockSeededDraw(clock), ClockUnreadable);
  EXPECT_EQ(clock.reads(), 1);
  EXPECT_EQ(clock.sleeps(), 0);
}

}  // namespace
}  // namespace hilo
