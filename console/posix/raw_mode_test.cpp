#include "console/posix/raw_mode.h"

#include <gtest/gtest.h>

namespace hilo {
namespace {

// On no terminal at all, raw mode has nothing to change: only who may use it shows.
constexpr int kNoTerminal = -1;

TEST(RawModeTest, EveryOtherOneWhileTheFirstLivesIsRefusedAndTheNextAfterItIsNot) {
  {
    RawMode first(kNoTerminal);
    EXPECT_TRUE(first.ReadUntil(1));
    {
      RawMode second(kNoTerminal);
      EXPECT_FALSE(second.ReadUntil(1));
    }
    // The refused one gave nothing back as it went: the first still holds raw mode, and another
    // is still refused.
    EXPECT_TRUE(first.ReadUntil(0));
    RawMode third(kNoTerminal);
    EXPECT_FALSE(third.ReadUntil(1));
  }
  RawMode next(kNoTerminal);
  EXPECT_TRUE(next.ReadUntil(1));
}

}  // namespace
}  // namespace hilo
