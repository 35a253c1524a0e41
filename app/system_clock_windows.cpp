#include <chrono>

#include "app/system_clock.h"

namespace hilo {

std::int64_t SystemClock::NowSeconds() {
  // Windows keeps the time in tenths of a microsecond, which reach tens of thousands of years.
  const auto since_epoch = std::chrono::system_clock::now().time_since_epoch();
  return std::chrono::floor<std::chrono::seconds>(since_epoch).count();
}

}  // namespace hilo
