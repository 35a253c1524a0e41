#include "console/token_reader.h"

#include <algorithm>
#include <utility>

namespace hilo {
namespace {

// The byte Ctrl+Z sends: in a text-mode stream it marks the end of the input.
constexpr char kEndOfInputByte = 0x1A;

bool IsWhitespace(char byte) {
  switch (byte) {
    case '\t':
    case '\n':
    case '\v':
    case '\f':
    case '\r':
    case ' ':
      return true;
    default:
      return false;
  }
}

}  // namespace

TokenReader::TokenReader(Source source, std::size_t block_size)
    : source_(std::move(source)), block_(block_size) {}

std::optional<Token> TokenReader::Next() {
  for (;;) {
    while (begin_ < end_ && IsWhitespace(block_[begin_])) ++begin_;
    if (begin_ < end_) break;
    if (!Refill()) return std::nullopt;
  }
  Token token;
  for (;;) {
    while (begin_ < end_ && !IsWhitespace(block_[begin_])) token.Append(block_[begin_++]);
    // The byte that ended the word stays unread; a word cut by the end of a block goes on in the
    // next one.
    if (begin_ < end_ || !Refill()) return token;
  }
}

bool TokenReader::Refill() {
  begin_ = end_ = 0;
  if (ended_) return false;
  const std::size_t delivered = source_(block_);
  if (delivered == 0) {
    ended_ = true;
    return false;
  }
  const auto first = block_.begin();
  auto last = first + static_cast<std::ptrdiff_t>(delivered);
  // Text-mode input: what comes before a Ctrl+Z still counts, nothing after it does.
  if (const auto stop = std::find(first, last, kEndOfInputByte); stop != last) {
    ended_ = true;
    last = stop;
  }
  // Carriage returns are dropped, so CR LF line ends read as LF.
  last = std::remove(first, last, '\r');
  end_ = static_cast<std::size_t>(last - first);
  return true;
}

}  // namespace hilo
