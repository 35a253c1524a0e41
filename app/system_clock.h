#pragma once

#include "rules/clock.h"

namespace hilo {

// The system's calendar clock.
class SystemClock : public Clock {
 public:
  std::optional<std::int64_t> NowSeconds() override;
  void SleepUntilNextSecond(std::int64_t rejected_second) override;
};

}  // namespace hilo
