#include "console/posix/keyboard.h"

#include <fcntl.h>
#include <unistd.h>

#include "console/posix/fd_io.h"
#include "console/posix/key_wait.h"
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

  ReadOneKey([&](std::span<char> buffer, KeyWait wait) -> std::ptrdiff_t {
    // Non-canonical reads: VMIN bytes at least, or with VMIN 0 at most VTIME tenths of a second.
    const bool set = wait == KeyWait::kForAByte          ? raw.ReadUntil(1, 0)
                     : wait == KeyWait::kATenthOfASecond ? raw.ReadUntil(0, 1)
                                                         : raw.ReadUntil(0, 0);
    // In the background this read stops the game until it is brought back; where it cannot
    // (SIGTTIN ignored or blocked, an orphaned process group), it fails and the wait is given up.
    return set ? ReadSome(fd_, buffer) : -1;
  });
}

}  // namespace hilo
