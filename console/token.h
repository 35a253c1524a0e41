#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

namespace hilo {

// One word read from standard input: a run of bytes between whitespace. Up to 99 bytes are kept;
// a longer word is still one token, but one that matches no word at all.
class Token {
 public:
  static constexpr std::size_t kMaxBytes = 99;

  // Makes the token empty again, ready for another word.
  void Clear() {
    size_ = 0;
    too_long_ = false;
  }

  // Appends the next piece of the word; bytes past the 99th only mark the token as too long.
  void Append(std::string_view piece) {
    const std::size_t kept = std::min(piece.size(), kMaxBytes - size_);
    std::copy_n(piece.data(), kept, bytes_.data() + size_);
    size_ += kept;
    if (kept < piece.size()) too_long_ = true;
  }

  // True when the token is exactly word, byte for byte.
  bool Is(std::string_view word) const { return !too_long_ && bytes() == word; }

  // The bytes kept: the whole word, or its first 99 bytes when it was longer.
  std::string_view bytes() const { return {bytes_.data(), size_}; }

  // True when the word was longer than 99 bytes.
  bool too_long() const { return too_long_; }

 private:
  std::array<char, kMaxBytes> bytes_;  // only the first size_ hold the word
  std::size_t size_ = 0;
  bool too_long_ = false;
};

}  // namespace hilo
