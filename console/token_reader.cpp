#include "console/token_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace hilo {
namespace {

// The byte Ctrl+Z sends: in a text-mode stream it marks the end of the input.
constexpr char kEndOfInputByte = 0x1A;

// The whitespace bytes by value.
constexpr std::array<bool, 256> kWhitespaceBytes = [] {
  std::array<bool, 256> table{};
  for (const unsigned char byte : {'\t', '\n', '\v', '\f', '\r', ' '}) table[byte] = true;
  return table;
}();

// True for tab, line feed, vertical tab, form feed, carriage return and space.
bool IsWhitespace(char byte) { return kWhitespaceBytes[static_cast<unsigned char>(byte)]; }

}  // namespace

TokenReader::TokenReader(Source source, std::size_t block_size)
    : source_(std::move(source)), block_(block_size) {}

bool TokenReader::Next(Token& token) {
  for (;;) {
    begin_ = RunEnd(begin_, /*whitespace=*/true);
    if (begin_ < end_) break;
    if (!Refill()) return false;
  }
  token.Clear();
  // The byte that ends the word stays unread; a word cut by the end of a block goes on in the
  // next ones.
  do {
    const std::size_t word_end = RunEnd(begin_, /*whitespace=*/false);
    token.Append({block_.data() + begin_, word_end - begin_});
    begin_ = word_end;
  } while (begin_ == end_ && Refill());
  return true;
}

std::size_t TokenReader::RunEnd(std::size_t from, bool whitespace) const {
  const char* const bytes = block_.data();
  while (from < end_ && IsWhitespace(bytes[from]) == whitespace) ++from;
  return from;
}

bool TokenReader::Refill() {
  begin_ = end_ = 0;
  if (ended_) return false;
  const std::size_t delivered = source_(block_);
  if (delivered == 0) {
    ended_ = true;
    return false;
  }
  char* const first = block_.data();
  char* last = first + delivered;
  // Text-mode input: what comes before a Ctrl+Z still counts, nothing after it does.
  if (void* stop = std::memchr(first, kEndOfInputByte, delivered)) {
    ended_ = true;
    last = static_cast<char*>(stop);
  }
  // Carriage returns are dropped, so CR LF line ends read as LF.
  if (void* carriage_return = std::memchr(first, '\r', static_cast<std::size_t>(last - first))) {
    last = std::remove(static_cast<char*>(carriage_return), last, '\r');
  }
  end_ = static_cast<std::size_t>(last - first);
  return true;
}

}  // namespace hilo
