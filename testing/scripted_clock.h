#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "rules/clock.h"

namespace hilo {

// A clock for tests: each reading takes the next scripted second, and the last one repeats once the
// script runs out. Sleeping past a second makes the next reading the one after it; the script then
// goes on where it was.
class ScriptedClock : public Clock {
 public:
  explicit ScriptedClock(std::vector<std::int64_t> seconds) : seconds_(std::move(seconds)) {}

  std::optional<std::int64_t> NowSeconds() override {
    ++reads_;
    if (woke_) {
      woke_ = false;
      return current_;
    }
    if (next_ < seconds_.size()) current_ = seconds_[next_++];
    return current_;
  }

  void SleepUntilNextSecond(std::int64_t rejected_second) override {
    slept_past_.push_back(rejected_second);
    current_ = rejected_second + 1;
    woke_ = true;
  }

  // How often the clock was read.
  int reads() const { return reads_; }
  // The seconds callers slept past, in turn.
  const std::vector<std::int64_t>& slept_past() const { return slept_past_; }

 private:
  std::vector<std::int64_t> seconds_;
  std::size_t next_ = 0;
  std::int64_t current_ = 0;
  bool woke_ = false;  // a sleep ended: the next reading is the second it slept until
  int reads_ = 0;
  std::vector<std::int64_t> slept_past_;
};

}  // namespace hilo
