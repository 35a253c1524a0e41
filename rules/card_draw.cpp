#include "rules/card_draw.h"

#include "rules/lcg.h"

namespace hilo {

std::optional<Card> CardForSecond(std::int64_t seconds) {
  constexpr std::int64_t kSeedRange = 100;
  constexpr std::uint32_t kValueRange = 15;  // values 0..14, of which 2..14 are cards
  // Keep the seed in 0..99 even for a clock set before 1970.
  const auto seed = static_cast<std::uint32_t>(((seconds % kSeedRange) + kSeedRange) % kSeedRange);
  Lcg generator;
  generator.Seed(seed);
  const auto value = static_cast<Card>(generator.Next() % kValueRange);
  if (value < kLowestCard) return std::nullopt;
  return value;
}

Card ClockSeededDraw(Clock& clock) {
  for (;;) {
    // Without a reading there is no card to give, and waiting for one could last forever.
    const auto second = clock.NowSeconds();
    if (!second) throw ClockUnreadable();
    if (const auto card = CardForSecond(*second)) return *card;
    // The seed only changes with the second, so re-reading the clock before then is wasted work.
    clock.SleepUntilNextSecond(*second);
  }
}

}  // namespace hilo
