#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "console/console_port.h"
#include "console/token_reader.h"

namespace hilo {

// The game's only channel to the player: writes texts, reads tokens, asks questions and waits for
// a key. Output may be gathered, but it always reaches the player before the game blocks for input
// and when the console goes away.
class Console {
 public:
  // What fills a placeholder: a number for "%d", a text for "%s".
  using Value = std::variant<std::int32_t, std::string_view>;

  explicit Console(ConsolePort& port);
  // Hands on the output it still holds, as far as memory allows; never throws.
  ~Console();
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // Writes text with each "%d" and "%s" replaced, in order, by the next value. No line break is
  // added.
  void Write(std::string_view text, std::initializer_list<Value> values = {});

  // The next token from standard input, or nullopt once the input has ended.
  std::optional<Token> ReadToken();

  // Reads tokens until one of accepted comes and returns it, writing reask after every other
  // token; nullopt once the input has ended.
  std::optional<std::string_view> AskChoice(std::span<const std::string_view> accepted,
                                            std::string_view reask);

  // Waits for one key press at the player's terminal.
  void WaitKey();

  // Hands everything written so far to standard output.
  void Flush();

  // How many tokens have been read so far.
  std::size_t tokens_read() const { return tokens_read_; }

 private:
  // Adds text to the pending output with its placeholders filled in.
  void AppendFilled(std::string_view text, std::initializer_list<Value> values);

  ConsolePort& port_;
  const bool writes_to_terminal_;  // asked once: where the output goes does not change
  std::string pending_;            // written but not yet handed to the port
  TokenReader reader_;
  std::size_t tokens_read_ = 0;
};

}  // namespace hilo
