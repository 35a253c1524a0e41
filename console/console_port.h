#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string_view>
#include <system_error>

namespace hilo {

// What a platform gives the console: bytes in from standard input, bytes out to standard output,
// and one key press from the player's terminal.
class ConsolePort {
 public:
  virtual ~ConsolePort() = default;

  // Blocks until standard input delivers at least one byte and copies what it delivered into
  // buffer; returns 0 at end of input, and on a read error, which ends the input just the same.
  virtual std::size_t Read(std::span<char> buffer) = 0;

  // Writes whole texts of the game to standard output, in the player's character set and line
  // ends. Returns why a write failed (the system's reason), or no error; the game goes on either
  // way, and says so only when it ends.
  virtual std::error_code Write(std::string_view texts) = 0;

  // Leaves the output as the platform wants it at the end of the game, after its last text, and
  // returns why that failed, as Write does. Most leave it exactly as the game wrote it.
  virtual std::error_code EndOutput() { return {}; }

  // True when standard output is a terminal, where every text must show as soon as it is written.
  virtual bool WritesToTerminal() const = 0;

  // Waits for one key press at the player's terminal, without echo or Enter, and consumes the whole
  // key; returns at once where there is no terminal to read.
  virtual void WaitKey() = 0;
};

// The port for this platform on the process's standard input, output and terminal.
std::unique_ptr<ConsolePort> MakeStandardPort();

}  // namespace hilo
