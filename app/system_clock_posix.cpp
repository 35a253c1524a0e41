#include <time.h>

#include "app/system_clock.h"

namespace hilo {

namespace {

constexpr long kNanosecondsPerSecond = 1'000'000'000;

}  // namespace

std::optional<std::int64_t> SystemClock::NowSeconds() {
  // Whole seconds as the system keeps them: counted in nanoseconds, any date past 2262 would wrap.
  // A 32-bit time_t fails past 2038 (the build asks for a 64-bit one wherever there is one).
  timespec now{};
  if (clock_gettime(CLOCK_REALTIME, &now) != 0) return std::nullopt;
  return now.tv_sec;
}

void SystemClock::SleepUntilNextSecond(std::int64_t rejected_second) {
  // A whole second where the clock gives no better measure: a clock set back since the draw read
  // it, or one that fails here, is then read again by the draw within a second, never spun on.
  timespec wait{1, 0};
  timespec now{};
  if (clock_gettime(CLOCK_REALTIME, &now) == 0) {
    if (now.tv_sec > rejected_second) return;  // that second is already over
    if (now.tv_sec == rejected_second && now.tv_nsec > 0) {
      wait = {0, kNanosecondsPerSecond - now.tv_nsec};
    }
  }
  // A signal may cut the sleep short: the draw then reads the same second and sleeps again.
  nanosleep(&wait, nullptr);
}

}  // namespace hilo
