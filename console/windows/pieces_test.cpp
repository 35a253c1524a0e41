#include "console/windows/pieces.h"

#include <gtest/gtest.h>

namespace hilo {
namespace {

TEST(LineEndsTest, OnlyLineFeedsGainACarriageReturn) {
  const struct {
    std::string_view text;
    std::string_view written;
  } cases[] = {
      {"a\nb", "a\r\nb"},
      {"", ""},
      {"\n\n\n", "\r\n\r\n\r\n"},
      {"Select difficulty>", "Select difficulty>"},
      {"\nYou Win!\n\nYour point is: %d\n\n", "\r\nYou Win!\r\n\r\nYour point is: %d\r\n\r\n"},
      // A carriage return already there is written as it is, not taken for part of a line end.
      {"\r\n", "\r\r\n"},
      // Shift_JIS "予", "表" and the ideographic space: 0x5C and 0x40 are second bytes, nothing
      // else.
      {"\x97\x5c\n\x95\x5c\x81\x40\n", "\x97\x5c\r\n\x95\x5c\x81\x40\r\n"},
      {std::string_view("\0\n\x1a", 3), std::string_view("\0\r\n\x1a", 4)},
  };
  for (const auto& c : cases) EXPECT_EQ(WithCrLf(c.text), c.written) << c.text;
}

TEST(ConsolePiecesTest, NoDoubleByteCharacterIsSplit) {
  const struct {
    std::string_view text;
    std::size_t most;
    std::string_view piece;
  } cases[] = {
      {"abc", 3, "abc"},
      {"abcd", 3, "abc"},
      {"", 2, ""},
      // "予" (0x97 0x5C) would be cut after its lead byte; 0x5C and 0x40 are second bytes here.
      {"a\x97\x5c", 2, "a"},
      {"\x97\x5c\x95\x5c", 3, "\x97\x5c"},
      {"\x81\x40\x81\x40x", 4, "\x81\x40\x81\x40"},
      // A second byte that could lead is read as second: "メ" is 0x83 0x81, "ー" 0x81 0x5B.
      {"\x83\x81\x81\x5b", 3, "\x83\x81"},
      // Lead bytes run from 0x81 to 0x9F and from 0xE0 to 0xFC; the bytes around them are single.
      {"x\x81\x40", 2, "x"},
      {"x\x9f\x40", 2, "x"},
      {"x\xe0\x40", 2, "x"},
      {"x\xfc\x40", 2, "x"},
      {"x\x80\x40", 2, "x\x80"},
      {"x\xa0\x40", 2, "x\xa0"},
      {"x\xdf\x40", 2, "x\xdf"},
      {"x\xfd\x40", 2, "x\xfd"},
      // A lead byte that ends the whole text goes out with it.
      {"ab\x82", 3, "ab\x82"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FirstPiece(c.text, c.most), c.piece)
        << testing::PrintToString(c.text) << " " << c.most;
  }
}

}  // namespace
}  // namespace hilo
