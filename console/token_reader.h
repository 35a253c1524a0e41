#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "console/token.h"

namespace hilo {

// Splits standard input into tokens. Whitespace is tab, line feed, vertical tab, form feed,
// carriage return and space; every other byte, 0x80..0xFF included, belongs to a word. Carriage
// returns are dropped as they arrive, and a 0x1A byte ends the input for good. What a read
// delivered beyond a token stays for the next call.
class TokenReader {
 public:
  // Fills a buffer with more input, blocking as needed; returns 0 at end of input.
  using Source = std::function<std::size_t(std::span<char>)>;

  explicit TokenReader(Source source, std::size_t block_size = std::size_t{64} * 1024);

  // The next token, or nullopt once the input has ended.
  std::optional<Token> Next();

  // Reads the next token into token, reusing its storage; false once the input has ended, with
  // token left as it was. For loops that read many words and keep none.
  bool Next(Token& token) {
    // A word wholly inside the block, as nearly every word is, is read here, where a caller's loop
    // takes it in without a call; a word that the block ends or cuts goes the long way.
    const char* const bytes = block_.data();
    std::size_t word_begin = begin_;
    while (word_begin < end_ && IsWhitespace(bytes[word_begin])) ++word_begin;
    std::size_t word_end = word_begin;
    while (word_end < end_ && !IsWhitespace(bytes[word_end])) ++word_end;
    begin_ = word_begin;
    if (word_end == end_) return NextAcrossBlocks(token);
    token.AssignFirstPiece(bytes + word_begin, word_end - word_begin);
    begin_ = word_end;
    return true;
  }

 private:
  // The whitespace bytes by value: one look-up per byte is the cheapest test for the read loops.
  static constexpr std::array<bool, 256> kWhitespaceBytes = [] {
    std::array<bool, 256> table{};
    for (const unsigned char byte : {'\t', '\n', '\v', '\f', '\r', ' '}) table[byte] = true;
    return table;
  }();

  // True for tab, line feed, vertical tab, form feed, carriage return and space.
  static bool IsWhitespace(char byte) { return kWhitespaceBytes[static_cast<unsigned char>(byte)]; }

  // Next, for a word that may run past the end of the block: takes in more input as needed.
  bool NextAcrossBlocks(Token& token);

  // The first position from from on whose byte is not of the kind asked for, or end_.
  std::size_t RunEnd(std::size_t from, bool whitespace) const;

  // Takes in one more block; false when the input has ended.
  bool Refill();

  Source source_;
  std::vector<char> block_;  // a block of input, then room for one token's bytes
  std::size_t block_size_;   // how much of block_ input may fill
  std::size_t begin_ = 0;    // first unread byte of block_
  std::size_t end_ = 0;      // one past the last delivered byte of block_
  bool ended_ = false;
};

}  // namespace hilo
