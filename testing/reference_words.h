#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace hilo {

// A plain, slow restatement of how standard input splits into words, for checking the real
// reader: it shares no code with it.

// True for the six bytes that separate words: tab, line feed, vertical tab, form feed, carriage
// return and space.
inline bool IsReferenceSpace(char byte) {
  const auto value = static_cast<unsigned char>(byte);
  return value == 0x09 || value == 0x0A || value == 0x0B || value == 0x0C || value == 0x0D ||
         value == 0x20;
}

// What text-mode input keeps of bytes: nothing from the first Ctrl+Z on, and no carriage returns.
inline std::string ReferenceTextMode(std::string_view bytes) {
  std::string kept;
  for (const char byte : bytes) {
    if (byte == '\x1A') break;
    if (byte != '\r') kept.push_back(byte);
  }
  return kept;
}

// The words of text already in text mode, whatever their length.
inline std::vector<std::string> ReferenceWords(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  for (const char byte : text) {
    if (!IsReferenceSpace(byte)) {
      word.push_back(byte);
    } else if (!word.empty()) {
      words.push_back(word);
      word.clear();
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

// How many words of text are already closed by a whitespace byte.
inline std::size_t ReferenceClosedWords(std::string_view text) {
  std::size_t closed = 0;
  bool in_word = false;
  for (const char byte : text) {
    const bool space = IsReferenceSpace(byte);
    if (space && in_word) ++closed;
    in_word = !space;
  }
  return closed;
}

}  // namespace hilo
