#pragma once

#include <termios.h>

namespace hilo {

// For its lifetime, a terminal reads single bytes without echo, line editing or signal keys, as
// full-screen programs have it, and its saved settings come back on every way out:
// - when it goes;
// - while the game is stopped by job control (Ctrl+Z or kill -TSTP): raw mode returns when the game
//   goes on, and also after a stop that could not be caught if a shell changed the terminal;
// - before any signal whose default action ends the process does so, even from a background
//   process group; the process then ends by that same signal.
// Raw mode is only ever entered from the foreground: a background game stops until it is brought
// there. Only what the game set is put back, so a terminal that a shell has since taken over is
// left to it. One at a time: it owns the process's handlers of those signals while it lives.
class RawMode {
 public:
  // Takes over the signals for fd, whose settings are saved; raw mode begins with ReadUntil.
  RawMode(int fd, const termios& saved);
  // Puts the saved settings back if raw mode is on, then gives the signals back.
  ~RawMode();
  RawMode(const RawMode&) = delete;
  RawMode& operator=(const RawMode&) = delete;

  // Enters raw mode, a read then returning once it has at least min_bytes, or, with min_bytes 0,
  // after waiting at most tenths of a second for a byte. Settings only, so input already typed
  // stays to be read. False when the terminal refuses.
  bool ReadUntil(cc_t min_bytes, cc_t tenths);
};

}  // namespace hilo
