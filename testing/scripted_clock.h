#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "rules/clock.h"

namespace hilo {

// A clock for tests: each reading takes the next scripted second, and the last one repeats once the
// script runs out. Sleeping makes the next reading the second after the current one; the script
// then goes on where it was.
class ScriptedClock : public Clock {
 public:
  explicit ScriptedClock(std::vector<std::int64_t> seconds) : seconds_(std::move(seconds)) {}

  std::int64_t NowSeconds() override {
    ++reads_;
    if (woke_) {
      woke_ = false;
      return ++current_;
    }
    if (next_ < seconds_.size()) current_ = seconds_[next_++];
    return current_;
  }

  void SleepUntilNextSecond() override {
    ++sleeps_;
    woke_ = true;
  }

  // How often the clock was read.
  int reads() const { return reads_; }
  // How often a caller slept until the next second.
  int sleeps() const { return sleeps_; }

 private:
  std::vector<std::int64_t> seconds_;
  std::size_t next_ = 0;
  std::int64_t current_ = 0;
  bool woke_ = false;  // a sleep ended: the next reading is the following second
  int reads_ = 0;
  int sleeps_ = 0;
};

}  // namespace hilo
