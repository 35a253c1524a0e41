#pragma once

#include <termios.h>

namespace hilo {

// For its lifetime, a terminal reads single bytes without echo, line editing or signal keys, as
// full-screen programs have it, and the settings it had come back on every way out:
// - when it goes;
// - while the game is stopped by job control (Ctrl+Z or kill -TSTP); raw mode returns when the game
//   goes on in the foreground, after any stop, and what a shell set meanwhile is put back later;
// - before any signal whose default action ends the process does so; the process then ends by
//   that same signal.
// The terminal's settings are read and set only while the game's process group is in the
// terminal's foreground: in the background, the game's read of the terminal lets job control stop
// it. Only the exact settings the game applied are put back, so a terminal that another program
// has since taken over is left to it.
// One per process: its signal handlers reach a single state, so while one lives a second is
// refused. The second changes nothing, neither the terminal nor the signals, and its ReadUntil
// fails, as on a terminal that refuses raw mode.
class RawMode {
 public:
  // Takes over the signals for the terminal fd, unless another RawMode lives; raw mode begins
  // with ReadUntil.
  explicit RawMode(int fd);
  // Puts the settings back if the terminal still holds the game's, then gives the signals back.
  ~RawMode();
  RawMode(const RawMode&) = delete;
  RawMode& operator=(const RawMode&) = delete;

  // Enters raw mode, a read then returning once it has at least min_bytes, or at once with
  // min_bytes 0. Settings only, so input already typed stays to be read. In the background nothing
  // changes until the game is brought to the foreground. False when the terminal refuses, or
  // this RawMode was refused.
  bool ReadUntil(cc_t min_bytes);

 private:
  bool owns_;  // the process's raw mode is this one's
};

}  // namespace hilo
