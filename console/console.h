#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <variant>

#include "console/console_port.h"
#include "console/token_reader.h"

namespace hilo {

// True when text's placeholders are, in order, exactly of the kinds given: 'd' for "%d" and 's'
// for "%s", so kinds "ds" asks for a number and then a text.
constexpr bool PlaceholdersAre(std::string_view text, std::string_view kinds) {
  std::size_t filled = 0;
  // Scanned as Console::Write scans: a '%' and the byte after it go together.
  for (auto at = text.find('%'); at != std::string_view::npos && at + 1 < text.size();
       at = text.find('%', at + 2)) {
    const char kind = text[at + 1];
    if (kind != 'd' && kind != 's') continue;
    if (filled == kinds.size() || kinds[filled] != kind) return false;
    ++filled;
  }
  return filled == kinds.size();
}

// Named in the compiler's message when a text's placeholders and its values differ.
inline void PlaceholdersDoNotMatchTheValues() {}

// A text to be written with values of the types Values. Its placeholders are checked against those
// values when the game is compiled: each is filled, by a value of its kind, and each value is used.
template <typename... Values>
class TextFor {
 public:
  // Not explicit: the game's texts and literals pass for one where they are written.
  consteval TextFor(std::string_view text) : text_(text) {
    if (!PlaceholdersAre(text, {kKinds, sizeof...(Values)})) PlaceholdersDoNotMatchTheValues();
  }
  consteval TextFor(const char* text) : TextFor(std::string_view(text)) {}

  // The text, placeholders and all.
  constexpr std::string_view text() const { return text_; }

  // translation in place of this text when its placeholders are this text's, in order; else this
  // text. A translation comes at run time, so this is how it meets the compile-time check.
  constexpr TextFor TranslatedTo(std::string_view translation) const {
    return PlaceholdersAre(translation, {kKinds, sizeof...(Values)}) ? TextFor(translation, {})
                                                                     : *this;
  }

 private:
  struct Checked {};
  constexpr TextFor(std::string_view text, Checked /*placeholders already checked*/)
      : text_(text) {}

  // The kind of placeholder each value fills, in order: a number "%d", anything else "%s".
  static constexpr char kKinds[] = {(std::is_integral_v<Values> ? 'd' : 's')..., '\0'};

  std::string_view text_;
};

// The game's only channel to the player: writes texts, reads tokens, asks questions and waits for
// a key. Output may be gathered, but it always reaches the player before the game blocks for input
// and when the console goes away.
class Console {
 public:
  // What fills a placeholder: a number for "%d", a text for "%s".
  using Value = std::variant<std::int32_t, std::string_view>;

  explicit Console(ConsolePort& port);
  // Finishes the output, as far as memory allows; never throws.
  ~Console();
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // Writes text with each "%d" and "%s" replaced, in order, by the next value. No line break is
  // added.
  template <typename... Values>
  void Write(std::type_identity_t<TextFor<Values...>> text, const Values&... values) {
    WriteFilled(text.text(), {Value(values)...});
  }

  // The next token from standard input, or nullopt once the input has ended.
  std::optional<Token> ReadToken();

  // Reads tokens until one of accepted comes and returns it, writing reask after every other
  // token; nullopt once the input has ended.
  std::optional<std::string_view> AskChoice(std::span<const std::string_view> accepted,
                                            TextFor<> reask);

  // Waits for one key press at the player's terminal.
  void WaitKey();

  // Hands everything written so far to standard output.
  void Flush();

  // Hands on everything written and ends the output as the platform wants it; returns the first
  // write that failed since the console began, or no error. Nothing is to be written after it.
  std::error_code Finish();

  // How many tokens have been read so far.
  std::size_t tokens_read() const { return tokens_read_; }

 private:
  // Writes text with its placeholders filled by values, which fit them.
  void WriteFilled(std::string_view text, std::initializer_list<Value> values);
  // Keeps a write's failure unless an earlier one is kept.
  void Keep(std::error_code failed);
  // Adds text to the pending output with its placeholders filled in.
  void AppendFilled(std::string_view text, std::initializer_list<Value> values);

  ConsolePort& port_;
  const bool writes_to_terminal_;  // asked once: where the output goes does not change
  std::string pending_;            // written but not yet handed to the port
  std::error_code first_failure_;  // kept for the end, where the game says it
  TokenReader reader_;
  std::size_t tokens_read_ = 0;
};

}  // namespace hilo
