#include "console/windows/pieces.h"

#include <algorithm>

namespace hilo {
namespace {

// Whether byte begins a double-byte character in code page 932. The second byte ranges over
// 0x40..0xFC, lead bytes included, so where a character starts is known only by reading from the
// start of a text, never backwards.
bool LeadsDoubleByte(char byte) {
  const auto value = static_cast<unsigned char>(byte);
  return (value >= 0x81 && value <= 0x9F) || (value >= 0xE0 && value <= 0xFC);
}

}  // namespace

std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + static_cast<std::size_t>(std::ranges::count(text, '\n')));
  for (const char byte : text) {
    // Only the line feed grows: a second byte 0x5C of a Shift_JIS character is just a byte here.
    if (byte == '\n') out.push_back('\r');
    out.push_back(byte);
  }
  return out;
}

std::string_view FirstPiece(std::string_view cp932, std::size_t most) {
  if (cp932.size() <= most) return cp932;
  std::size_t end = 0;
  for (;;) {
    const std::size_t next = end + (LeadsDoubleByte(cp932[end]) ? 2 : 1);
    if (next > most) return cp932.substr(0, end);
    end = next;
  }
}

}  // namespace hilo
