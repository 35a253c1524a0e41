#pragma once

#include <cstdint>
#include <exception>
#include <optional>

namespace hilo {

// The calendar clock the cards are drawn from.
class Clock {
 public:
  virtual ~Clock() = default;

  // Whole seconds since 1970-01-01 00:00:00 UTC, or nullopt when the clock cannot be read.
  virtual std::optional<std::int64_t> NowSeconds() = 0;

  // Blocks, without spinning, until the second after rejected_second has begun (at once if it has),
  // or for a second at most where the clock was set back or cannot be read.
  virtual void SleepUntilNextSecond(std::int64_t rejected_second) = 0;
};

// Thrown when a card is due and the clock cannot be read: no card can be drawn, so the game ends.
class ClockUnreadable : public std::exception {
 public:
  // Says what went wrong, for a reader of a stray message.
  const char* what() const noexcept override { return "the clock cannot be read"; }
};

}  // namespace hilo
