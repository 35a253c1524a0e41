#include <chrono>
#include <thread>

#include "app/system_clock.h"

namespace hilo {

std::optional<std::int64_t> SystemClock::NowSeconds() {
  // Windows keeps the time in tenths of a microsecond, which reach tens of thousands of years, and
  // reading it cannot fail.
  const auto since_epoch = std::chrono::system_clock::now().time_since_epoch();
  return std::chrono::floor<std::chrono::seconds>(since_epoch).count();
}

void SystemClock::SleepUntilNextSecond(std::int64_t rejected_second) {
  const auto since_epoch = std::chrono::system_clock::now().time_since_epoch();
  const std::chrono::seconds rejected(rejected_second);
  const auto now_second = std::chrono::floor<std::chrono::seconds>(since_epoch);
  if (now_second > rejected) return;
  // One relative sleep, to the start of the next second at most a second away: if the clock was
  // set back, the draw reads it again then rather than waiting for the second it had reached.
  const auto wait = now_second < rejected ? std::chrono::seconds(1)
                                          : rejected + std::chrono::seconds(1) - since_epoch;
  std::this_thread::sleep_for(wait);
}

}  // namespace hilo
