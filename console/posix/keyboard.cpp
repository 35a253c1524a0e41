#include "console/posix/keyboard.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "console/posix/fd_io.h"
#include "console/posix/key_bytes.h"
#include "console/posix/raw_mode.h"

namespace hilo {

TerminalKeyboard::TerminalKeyboard() {
  fd_ = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd_ >= 0 && fd_ <= STDERR_FILENO) {
    // The game was started with a standard stream closed: keep that one closed rather than let
    // the terminal stand in for it.
    const int moved = fcntl(fd_, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    close(fd_);
    fd_ = moved;
  }
  if (fd_ >= 0 && !isatty(fd_)) {
    close(fd_);
    fd_ = -1;
  }
}

TerminalKeyboard::~TerminalKeyboard() {
  if (fd_ >= 0) close(fd_);
}

void TerminalKeyboard::WaitKey() {
  if (fd_ < 0) return;
  RawMode raw(fd_);

  const auto read = [&](std::span<char> buffer, KeyWait wait) -> std::ptrdiff_t {
    // Non-canonical reads: with VMIN 1 a read waits for a byte, with VMIN 0 and VTIME 0 it takes
    // what has come.
    if (!raw.ReadUntil(wait == kForAByte ? 1 : 0)) return -1;
    if (IsTimed(wait)) {
      // A timed wait is polled rather than left to VTIME, which starts again after every signal;
      // a signal here goes back to ReadOneKey, which knows how much of the time is left.
      pollfd entry{fd_, POLLIN, 0};
      const int ready = poll(&entry, 1, static_cast<int>(wait.count()));
      if (ready < 0) return errno == EINTR ? kReadInterrupted : -1;
      if (ready == 0) return 0;
    }
    // In the background this read stops the game until it is brought back; where it cannot
    // (SIGTTIN ignored or blocked, an orphaned process group), it fails and the wait is given up.
    return ReadSome(fd_, buffer);
  };
  // steady_clock reads CLOCK_MONOTONIC: neither signals nor a change of the calendar time move it.
  ReadOneKey(read, [] { return std::chrono::steady_clock::now(); });
}

}  // namespace hilo
