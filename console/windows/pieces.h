#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The texts as Windows writes them: their line ends, and the pieces a console takes them in.
namespace hilo {

// text with every line feed written as carriage return + line feed, the line end of a Windows
// console and of Windows text files; every other byte goes through unchanged.
std::string WithCrLf(std::string_view text);

// The start of the code page 932 text cp932 that is converted and written next, on its own: all of
// it when it is at most most bytes long, else the longest start of at most most bytes (most >= 2)
// that ends between two characters, so that no double-byte character is split across two pieces.
std::string_view FirstPiece(std::string_view cp932, std::size_t most);

}  // namespace hilo
