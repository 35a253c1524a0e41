#include "console/token_reader.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace hilo {
namespace {

// The byte Ctrl+Z sends: in a text-mode stream it marks the end of the input.
constexpr char kEndOfInputByte = 0x1A;

}  // namespace

TokenReader::TokenReader(Source source, std::size_t block_size)
    : source_(std::move(source)), block_(block_size + Token::kMaxBytes), block_size_(block_size) {}

std::optional<Token> TokenReader::Next() {
  Token token;
  if (!Next(token)) return std::nullopt;
  return token;
}

bool TokenReader::NextAcrossBlocks(Token& token) {
  for (;;) {
    begin_ = RunEnd(begin_, /*whitespace=*/true);
    if (begin_ < end_) break;
    if (!Refill()) return false;
  }
  std::size_t word_end = RunEnd(begin_, /*whitespace=*/false);
  // The block has a token's worth of room past its end, so the first piece can be copied whole.
  token.AssignFirstPiece(block_.data() + begin_, word_end - begin_);
  begin_ = word_end;
  // The byte that ended the word stays unread; a word cut by the end of a block goes on in the
  // next ones.
  while (begin_ == end_ && Refill()) {
    word_end = RunEnd(begin_, /*whitespace=*/false);
    token.Append({block_.data() + begin_, word_end - begin_});
    begin_ = word_end;
  }
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
  const std::size_t delivered = source_(std::span(block_).first(block_size_));
  if (delivered == 0) {
    ended_ = true;
    return false;
  }
  char* const first = block_.data();
  char* last = first + delivered;
  // Text-mode input: what comes before a Ctrl+Z still counts, nothing after it does.
  if (const void* stop = std::memchr(first, kEndOfInputByte, delivered)) {
    ended_ = true;
    last = static_cast<char*>(const_cast<void*>(stop));
  }
  // Carriage returns are dropped, so CR LF line ends read as LF. Most input holds none, and
  // looking for one is far quicker than moving every byte.
  if (void* carriage_return = std::memchr(first, '\r', static_cast<std::size_t>(last - first))) {
    last = std::remove(static_cast<char*>(carriage_return), last, '\r');
  }
  end_ = static_cast<std::size_t>(last - first);
  return true;
}

}  // namespace hilo
