#pragma once

namespace hilo {

// The player's controlling terminal, read for the single key press that ends the game. It is read
// directly, not through standard input, so a redirected input or the rest of a typed line never
// stands in for the key.
class TerminalKeyboard {
 public:
  // Opens the controlling terminal; without one, every key wait returns at once.
  TerminalKeyboard();
  ~TerminalKeyboard();
  TerminalKeyboard(const TerminalKeyboard&) = delete;
  TerminalKeyboard& operator=(const TerminalKeyboard&) = delete;

  // Waits for one key press, without echo or Enter, and consumes every byte of that key. The
  // terminal's settings are changed only while the game is in its foreground, and restored on
  // return, while job control stops the game, and before any signal that ends the process
  // meanwhile does so. A game in the background that job control cannot stop does not wait.
  void WaitKey();

 private:
  int fd_ = -1;
};

}  // namespace hilo
