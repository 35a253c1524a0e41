#include "console/token_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/fake_port.h"

namespace hilo {
namespace {

// Reads every token of input delivered in the given chunks into one reused token, through a
// reader with small blocks so that words cross block boundaries; an overlong word shows as
// "<long>".
std::vector<std::string> TokensOf(std::vector<std::string> chunks, std::size_t block_size = 4) {
  FakePort port(std::move(chunks));
  TokenReader reader([&port](std::span<char> buffer) { return port.Read(buffer); }, block_size);
  std::vector<std::string> tokens;
  Token token;
  while (reader.Next(token)) {
    tokens.emplace_back(token.too_long() ? "<long>" : std::string(token.bytes()));
  }
  return tokens;
}

using Tokens = std::vector<std::string>;

TEST(TokenReaderTest, SplitsOnExactlyTheSixWhitespaceBytes) {
  const struct {
    std::string input;
    Tokens tokens;
  } cases[] = {
      {"\n\n \t\n", {}},
      {"a\tb\vc\fd e\nf", {"a", "b", "c", "d", "e", "f"}},
      // Other control bytes and NUL are part of a word, so a word holding a NUL is not "h".
      {std::string("h\0 \x01x\x7f", 6), {std::string("h\0", 2), "\x01x\x7f"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TokensOf({c.input}), c.tokens) << c.input;
  }
}

TEST(TokenReaderTest, JapaneseWordsStayWholeWithAFullWidthSpaceInside) {
  // UTF-8 and Shift_JIS bytes alike are 0x80 and above, never whitespace.
  EXPECT_EQ(TokensOf({"はい　いいえ y\n"}), (Tokens{"はい　いいえ", "y"}));
  EXPECT_EQ(TokensOf({"\x97\x5c\x81\x40\x95\x5c n"}), (Tokens{"\x97\x5c\x81\x40\x95\x5c", "n"}));
}

TEST(TokenReaderTest, CarriageReturnsAreDroppedWherever) {
  EXPECT_EQ(TokensOf({"ha\rrd\r\n"}), (Tokens{"hard"}));
  EXPECT_EQ(TokensOf({"\r\r\r", "\r", "y"}), (Tokens{"y"}));
}

TEST(TokenReaderTest, CtrlZEndsTheInputForGood) {
  EXPECT_EQ(TokensOf({"hard\x1A", "h\n"}), (Tokens{"hard"}));
  EXPECT_EQ(TokensOf({"\x1A", "h\n"}), (Tokens{}));
}

TEST(TokenReaderTest, WordsAndWhitespaceSurviveAnySplitIntoReads) {
  const std::string input = "  hard h\r\n\r\nl finish\t y はい\n";
  const Tokens expected = {"hard", "h", "l", "finish", "y", "はい"};
  for (std::size_t block = 1; block <= input.size(); ++block) {
    EXPECT_EQ(TokensOf({input}, block), expected) << "block " << block;
    std::vector<std::string> one_byte_reads;
    for (const char byte : input) one_byte_reads.emplace_back(1, byte);
    EXPECT_EQ(TokensOf(one_byte_reads, block), expected) << "block " << block;
  }
}

TEST(TokenReaderTest, WordsOverNinetyNineBytesAreOneTokenThatMatchesNothing) {
  const std::string longest(99, 'y');
  const std::string too_long(100, 'y');
  EXPECT_EQ(TokensOf({longest + " y"}, 7), (Tokens{longest, "y"}));
  EXPECT_EQ(TokensOf({too_long + " y"}, 7), (Tokens{"<long>", "y"}));
  EXPECT_EQ(TokensOf({"hard" + std::string(1'000'000, 'x') + "\nn"}, 4096),
            (Tokens{"<long>", "n"}));
}

TEST(TokenTest, PiecesAreKeptUpToNinetyNineBytes) {
  const struct {
    std::vector<std::size_t> pieces;  // sizes of the pieces appended, in order
    std::size_t kept;
    bool too_long;
  } cases[] = {
      {{99}, 99, false},    {{98, 1}, 99, false}, {{98, 2}, 99, true},
      {{99, 0}, 99, false}, {{99, 1}, 99, true},  {{0, 0, 5}, 5, false},
      {{50, 50}, 99, true}, {{200}, 99, true},    {{33, 33, 33}, 99, false},
  };
  for (const auto& c : cases) {
    Token token;
    std::string appended;
    for (const std::size_t size : c.pieces) {
      const std::string piece(size, static_cast<char>('a' + appended.size() % 26));
      token.Append(piece);
      appended += piece;
    }
    EXPECT_EQ(token.bytes(), appended.substr(0, c.kept)) << c.pieces.size() << " pieces";
    EXPECT_EQ(token.too_long(), c.too_long) << c.pieces.size() << " pieces";
  }
}

TEST(TokenTest, IsComparesExactBytes) {
  const auto make = [](std::string_view word) {
    Token token;
    token.Append(word);
    return token;
  };
  EXPECT_TRUE(make("y").Is("y"));
  EXPECT_FALSE(make("Y").Is("y"));
  EXPECT_FALSE(make("yes").Is("y"));
  EXPECT_FALSE(make(std::string_view("y\0", 2)).Is("y"));
  EXPECT_FALSE(make("hard").Is("Hard"));
  EXPECT_FALSE(make("hard").Is("harD"));
  // An overlong word never matches, not even the 99 bytes it kept.
  const Token overlong = make(std::string(100, 'n'));
  EXPECT_FALSE(overlong.Is(overlong.bytes()));
}

}  // namespace
}  // namespace hilo
