#pragma once

#include <windows.h>

namespace hilo {

// The console's own input, read for the single key press that ends the game. It is opened once,
// as CONIN$, not through standard input, so a redirected input or the rest of a typed line never
// stands in for the key.
class ConsoleKeyboard {
 public:
  // Opens the console input; without a console, every key wait returns at once.
  ConsoleKeyboard();
  ~ConsoleKeyboard();
  ConsoleKeyboard(const ConsoleKeyboard&) = delete;
  ConsoleKeyboard& operator=(const ConsoleKeyboard&) = delete;

  // Waits, in mode 0, for a key press that ends the wait by the key rule (key_press.h), and puts
  // the console's mode back. Returns at once where the console cannot be switched or read.
  void WaitKey();

 private:
  HANDLE input_;  // invalid when there is no console
};

}  // namespace hilo
