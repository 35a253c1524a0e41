#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace hilo {

// One word read from standard input: a run of bytes between whitespace. Up to 99 bytes are kept;
// a longer word is still one token, but one that matches no word at all.
class Token {
 public:
  static constexpr std::size_t kMaxBytes = 99;

  // An empty token. Its storage is left as it is: a token is made for every word read, and only
  // the bytes appended ever count.
  Token() {}  // NOLINT(modernize-use-equals-default): "= default" would zero all 99 bytes

  // Makes the token empty again, ready for another word.
  void Clear() {
    size_ = 0;
    too_long_ = false;
  }

  // Makes the token the first piece of a word, size bytes at source, as Clear and Append would.
  // A whole kMaxBytes is read from source, so that the copy takes no branch on the size: the caller
  // guarantees that so many bytes can be read there.
  void AssignFirstPiece(const char* source, std::size_t size) {
    std::memcpy(bytes_.data(), source, kMaxBytes);
    size_ = std::min(size, kMaxBytes);
    too_long_ = size > kMaxBytes;
  }

  // Appends the next piece of the word; bytes past the 99th only mark the token as too long.
  void Append(std::string_view piece) {
    const std::size_t kept = std::min(piece.size(), kMaxBytes - size_);
    std::copy_n(piece.data(), kept, bytes_.data() + size_);
    size_ += kept;
    if (kept < piece.size()) too_long_ = true;
  }

  // True when the token is exactly word, byte for byte.
  bool Is(std::string_view word) const {
    // Most words that are not the one asked for differ in length or in their first byte; testing
    // those first keeps a miss free of a library call.
    return size_ == word.size() && !too_long_ && (size_ == 0 || bytes_[0] == word[0]) &&
           bytes() == word;
  }

  // The bytes kept: the whole word, or its first 99 bytes when it was longer.
  std::string_view bytes() const { return {bytes_.data(), size_}; }

  // True when the word was longer than 99 bytes.
  bool too_long() const { return too_long_; }

 private:
  std::array<char, kMaxBytes> bytes_;
  std::size_t size_ = 0;
  bool too_long_ = false;
};

}  // namespace hilo
