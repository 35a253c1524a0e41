#include "console/windows/output.h"

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
  for (const auto& c : cases) {
    std::string out;
    AppendWithCrLf(out, c.text);
    EXPECT_EQ(out, c.written) << c.text;
  }
}

TEST(LineEndsTest, AppendsAfterWhatIsAlreadyThere) {
  std::string out = "x\r\n";
  AppendWithCrLf(out, "y\n");
  AppendWithCrLf(out, "z");
  EXPECT_EQ(out, "x\r\ny\r\nz");
}

}  // namespace
}  // namespace hilo
