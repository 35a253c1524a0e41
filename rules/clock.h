#pragma once

#include <cstdint>

namespace hilo {

// The calendar clock the cards are drawn from.
class Clock {
 public:
  virtual ~Clock() = default;

  // Whole seconds since 1970-01-01 00:00:00 UTC.
  virtual std::int64_t NowSeconds() = 0;

  // Blocks, without spinning, until the next whole second has begun.
  virtual void SleepUntilNextSecond() = 0;
};

}  // namespace hilo
