#pragma once

#include <windows.h>

namespace hilo {

// For its lifetime, the console input is in mode 0, as the key wait reads it: no line input, no
// echo, Ctrl+C an ordinary key, no mouse or window events; the saved mode comes back when it goes,
// however the key wait ends. Its state is its own, so there may be more than one.
class RawMode {
 public:
  // Saves the mode of the console input and sets mode 0.
  explicit RawMode(HANDLE input);
  // Puts the saved mode back, where mode 0 was set.
  ~RawMode();
  RawMode(const RawMode&) = delete;
  RawMode& operator=(const RawMode&) = delete;

  // False when there is no console to switch, and so no key to wait for.
  bool raw() const { return raw_; }

 private:
  HANDLE input_;
  DWORD saved_mode_ = 0;
  bool raw_ = false;
};

}  // namespace hilo
