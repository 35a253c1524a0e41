// Feeds the token reader arbitrary bytes, cut into arbitrary reads, and checks every token against
// the plain splitter of testing/reference_words.h, which shares no code with the reader.
//
// Input layout: byte 0 picks the reader's block size; byte 1 how many read sizes follow; then the
// read sizes (used in turn, over and over); then the bytes standard input delivers.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/token.h"
#include "console/token_reader.h"
#include "testing/reference_words.h"

namespace {

// Stops the run with a finding when a rule is broken.
void Require(bool holds) {
  if (!holds) std::abort();
}

// Standard input as the fuzz input describes it: the stream, handed out in the scripted read sizes.
class ScriptedInput {
 public:
  ScriptedInput(std::string_view stream, std::vector<std::size_t> read_sizes)
      : stream_(stream), read_sizes_(std::move(read_sizes)) {}

  std::size_t Read(std::span<char> buffer, std::size_t tokens_returned) {
    // Once the input has ended, asking again would mean the reader spins at the end of input.
    Require(!ended_);
    // A read is only needed when every word delivered so far has been handed out: otherwise an
    // interactive player would be kept waiting for a line already typed.
    Require(hilo::ReferenceClosedWords(text_so_far_) == tokens_returned);
    Require(!buffer.empty());
    const std::size_t wanted = read_sizes_[next_size_++ % read_sizes_.size()];
    const std::string_view chunk = stream_.substr(offset_, std::min(wanted, buffer.size()));
    offset_ += chunk.size();
    std::copy(chunk.begin(), chunk.end(), buffer.begin());
    text_so_far_ += hilo::ReferenceTextMode(chunk);
    // Both the real end and a Ctrl+Z end the input for good.
    ended_ = chunk.empty() || chunk.find('\x1A') != std::string_view::npos;
    return chunk.size();
  }

 private:
  std::string_view stream_;
  std::vector<std::size_t> read_sizes_;
  std::size_t next_size_ = 0;
  std::size_t offset_ = 0;
  std::string text_so_far_;  // what the reader may use of the reads so far
  bool ended_ = false;
};

void CheckToken(const hilo::Token& token, const std::string& word) {
  if (word.size() <= hilo::Token::kMaxBytes) {
    Require(!token.too_long());
    Require(token.bytes() == word);
    Require(token.Is(word));
  } else {
    // An overlong word keeps its first 99 bytes and matches nothing, not even those.
    Require(token.too_long());
    Require(token.bytes() == std::string_view(word).substr(0, hilo::Token::kMaxBytes));
    Require(!token.Is(word));
    Require(!token.Is(token.bytes()));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t kHeader = 2;
  if (size < kHeader) return 0;
  const std::size_t block_size = 1 + data[0] % 128;
  const std::size_t size_count = 1 + data[1] % 8;
  if (size < kHeader + size_count) return 0;
  std::vector<std::size_t> read_sizes;
  for (std::size_t i = 0; i < size_count; ++i) read_sizes.push_back(1 + data[kHeader + i]);
  const std::string_view stream(reinterpret_cast<const char*>(data) + kHeader + size_count,
                                size - kHeader - size_count);

  ScriptedInput input(stream, std::move(read_sizes));
  std::size_t returned = 0;
  hilo::TokenReader reader([&](std::span<char> buffer) { return input.Read(buffer, returned); },
                           block_size);

  // A Ctrl+Z ends the input wherever the reads happen to cut it, and a CR is dropped wherever it
  // falls, so the whole stream gives the words whatever the cuts. One token serves every read, so
  // nothing of an earlier word may leak into a later one.
  hilo::Token token;
  for (const std::string& word : hilo::ReferenceWords(hilo::ReferenceTextMode(stream))) {
    Require(reader.Next(token));
    CheckToken(token, word);
    ++returned;
  }
  // No word may appear from nowhere, and the end stays the end.
  Require(!reader.Next(token));
  Require(!reader.Next(token));
  return 0;
}
