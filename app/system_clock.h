#pragma once

#include "rules/clock.h"

namespace hilo {

// The system's calendar clock.
class SystemClock : public Clock {
 public:
  std::int64_t NowSeconds() override;
  void SleepUntilNextSecond() override;
};

}  // namespace hilo
