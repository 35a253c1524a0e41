#include <time.h>

#include "app/system_clock.h"

namespace hilo {

std::int64_t SystemClock::NowSeconds() {
  // Whole seconds as the system keeps them: counted in nanoseconds, any date past 2262 would wrap.
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return now.tv_sec;
}

}  // namespace hilo
