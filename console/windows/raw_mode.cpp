#include "console/windows/raw_mode.h"

namespace hilo {

RawMode::RawMode(HANDLE input) : input_(input) {
  raw_ = GetConsoleMode(input_, &saved_mode_) && SetConsoleMode(input_, 0);
}

RawMode::~RawMode() {
  if (raw_) SetConsoleMode(input_, saved_mode_);
}

}  // namespace hilo
