#include "app/system_clock.h"

#include <chrono>
#include <thread>

namespace hilo {

void SystemClock::SleepUntilNextSecond() {
  const auto now = std::chrono::system_clock::now();
  const auto next_second = std::chrono::floor<std::chrono::seconds>(now) + std::chrono::seconds(1);
  // One relative sleep: if it wakes a little early the draw reads the same second and sleeps again,
  // so it never spins, and a clock that jumps cannot make it sleep for long.
  std::this_thread::sleep_for(next_second - now);
}

}  // namespace hilo
