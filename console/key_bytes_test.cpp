#include "console/key_bytes.h"

#include <gtest/gtest.h>

namespace hilo {
namespace {

TEST(EndsInsideKeyTest, TellsACutShortKeyFromAWholeOne) {
  const struct {
    std::string_view bytes;
    bool inside;
  } cases[] = {
      {"a", false},
      {"\x03", false},              // Ctrl+C is a key like any other here
      {"\r", false},                // Enter
      {"\x1b", true},               // Esc, or the start of a sequence still coming
      {"\x1b[", true},              // cut inside an arrow
      {"\x1b[A", false},            // up arrow
      {"\x1b[1;5", true},           // cut inside Ctrl+right
      {"\x1b[1;5C", false},         // Ctrl+right
      {"\x1b[15~", false},          // F5
      {"\x1bO", true},              // cut inside an application-mode arrow
      {"\x1bOP", false},            // F1
      {"\x1bx", false},             // Alt+x
      {"\x1b\x1b[", true},          // Alt with an arrow, cut short
      {"\x1b\x1b[D", false},        // Alt with an arrow
      {"\x1b\xc3", true},           // Alt with a two-byte character, cut short
      {"\x1b[A\x1b[B", false},      // two arrows at once
      {"\x1b[A\x1b", true},         // an arrow, then the start of another key
      {"\xc3", true},               // first byte of é
      {"\xc3\xa9", false},          // é
      {"\xe3\x81", true},           // two bytes of あ
      {"\xe3\x81\x82", false},      // あ
      {"\xf0\x9f\x98", true},       // three bytes of a four-byte character
      {"\xf0\x9f\x98\x80", false},  // a four-byte character
      {"\xe3\x81\x82\xe3", true},   // one character, then the start of another
      {"\x80", false},              // a stray continuation byte never completes
      {"\xe3"
       "a",
       false},          // a broken character is over where it breaks
      {"\xc0", false},  // never a lead byte in UTF-8
      {"\xf8", false},  // never a lead byte in UTF-8
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EndsInsideKey(c.bytes), c.inside) << testing::PrintToString(std::string(c.bytes));
  }
}

}  // namespace
}  // namespace hilo
