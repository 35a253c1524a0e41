#pragma once

#include <cstddef>
#include <functional>
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

  // Reads the next token into token, reusing its storage; false once the input has ended, with
  // token left as it was.
  bool Next(Token& token);

 private:
  // The first position from from on whose byte is not of the kind asked for, or end_.
  std::size_t RunEnd(std::size_t from, bool whitespace) const;

  // Takes in one more block; false when the input has ended.
  bool Refill();

  Source source_;
  std::vector<char> block_;  // the latest block of input
  std::size_t begin_ = 0;    // first unread byte of block_
  std::size_t end_ = 0;      // one past the last delivered byte of block_
  bool ended_ = false;
};

}  // namespace hilo
