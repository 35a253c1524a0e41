#include "console/posix/key_bytes.h"

#include <algorithm>
#include <cstddef>

namespace hilo {
namespace {

constexpr unsigned char kEscape = 0x1B;

// No key sends more than a few bytes; a paste beyond this is left alone rather than eaten.
constexpr std::size_t kMostKeyBytes = 4096;

// True for the bytes 0x80..0xBF that carry on a multibyte UTF-8 character.
bool IsContinuationByte(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// How many continuation bytes a UTF-8 lead byte announces; 0 for any other byte.
std::size_t ContinuationsAfter(unsigned char byte) {
  if (byte >= 0xF0 && byte <= 0xF4) return 3;
  if (byte >= 0xE0) return byte <= 0xEF ? 2 : 0;
  if (byte >= 0xC2) return 1;
  return 0;
}

}  // namespace

bool EndsInsideKey(std::string_view bytes) {
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  std::size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char byte = at(i);
    if (byte == kEscape) {
      // A lone escape may be the Esc key or the start of a sequence: only more bytes can tell.
      if (i + 1 == bytes.size()) return true;
      const unsigned char kind = at(i + 1);
      if (kind == '[') {
        // Control sequence: parameter and intermediate bytes, then one final byte 0x40..0x7E.
        std::size_t j = i + 2;
        while (j < bytes.size() && at(j) >= 0x20 && at(j) <= 0x3F) ++j;
        if (j == bytes.size()) return true;
        i = j + 1;
      } else if (kind == 'O') {
        // Application-mode arrows and F1..F4: escape, 'O' and one more byte.
        if (i + 2 == bytes.size()) return true;
        i += 3;
      } else {
        // Alt with a key: the escape prefixes whatever key follows.
        ++i;
      }
      continue;
    }
    const std::size_t expected = ContinuationsAfter(byte);
    std::size_t found = 0;
    while (found < expected && i + 1 + found < bytes.size() &&
           IsContinuationByte(at(i + 1 + found)))
      ++found;
    if (found < expected && i + 1 + found == bytes.size()) return true;
    // A malformed character counts as complete where it breaks off: nothing more will mend it.
    i += 1 + found;
  }
  return false;
}

std::string ReadOneKey(const KeyReader& read, const MonotonicNow& now) {
  std::string key;
  char buffer[256];
  std::chrono::steady_clock::time_point deadline{};  // for the rest of a key cut short
  for (KeyWait wait = kForAByte; key.size() < kMostKeyBytes;) {
    const std::ptrdiff_t count = read(buffer, wait);
    if (count == kReadInterrupted && IsTimed(wait)) {
      // Waits on for what is left of the same tenth, so a stream of signals (SIGCONT, say)
      // cannot keep Esc from ending the wait; once it has passed, a last look takes what came.
      wait = std::max(kNotAtAll, std::chrono::ceil<KeyWait>(deadline - now()));
      continue;
    }
    if (count <= 0) break;
    key.append(buffer, static_cast<std::size_t>(count));
    wait = EndsInsideKey(key) ? kATenthOfASecond : kNotAtAll;
    deadline = now() + wait;
  }
  return key;
}

}  // namespace hilo
