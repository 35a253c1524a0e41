#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace hilo {

// Appends text to out with every line feed written as carriage return + line feed, the line end of
// a Windows console and of Windows text files; every other byte goes through unchanged.
void AppendWithCrLf(std::string& out, std::string_view text);

// The start of the code page 932 text cp932 that is converted and written next, on its own: all of
// it when it is at most most bytes long, else the longest start of at most most bytes (most >= 2)
// that ends between two characters, so that no double-byte character is split across two pieces.
std::string_view FirstPiece(std::string_view cp932, std::size_t most);

// Offers write_some what remains of units until it has taken them all; write_some returns how many
// of the units it was offered it took, and 0 when it failed. Returns false at the first write that
// fails or takes nothing, leaving the rest unwritten.
template <typename Unit, typename WriteSome>
bool WriteAll(std::span<const Unit> units, WriteSome write_some) {
  while (!units.empty()) {
    const std::size_t taken = write_some(units);
    if (taken == 0) return false;
    units = units.subspan(taken);
  }
  return true;
}

}  // namespace hilo
