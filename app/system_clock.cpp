#include "app/system_clock.h"

#include <chrono>
#include <thread>

namespace hilo {

std::int64_t SystemClock::NowSeconds() {
  const auto since_epoch = std::chrono::system_clock::now().time_since_epoch();
  return std::chrono::floor<std::chrono::seconds>(since_epoch).count();
}

void SystemClock::SleepUntilNextSecond() {
  const auto now = std::chrono::system_clock::now();
  const auto next_second = std::chrono::floor<std::chrono::seconds>(now) + std::chrono::seconds(1);
  // One relative sleep: if it wakes a little early the draw reads the same second and sleeps again,
  // so it never spins, and a clock that jumps cannot make it sleep for long.
  std::this_thread::sleep_for(next_second - now);
}

}  // namespace hilo
