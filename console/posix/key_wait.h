#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace hilo {

// True when bytes, read from a terminal for one key press, stop in the middle of a key: after an
// escape that may begin a sequence (an arrow, a function key, Alt with a key), inside such a
// sequence, or inside a multibyte UTF-8 character. The rest of that key is then still on its way.
bool EndsInsideKey(std::string_view bytes);

// How long one read of the terminal may wait before its first byte.
enum class KeyWait { kForAByte, kNotAtAll, kATenthOfASecond };

// One read of the terminal, waiting as told: fills buffer, returns the byte count, 0 when nothing
// came in time, negative on an error.
using KeyReader = std::function<std::ptrdiff_t(std::span<char> buffer, KeyWait wait)>;

// Reads one key press whole: waits for its first bytes, then takes whatever has arrived with them
// and gives a key that is cut short a tenth of a second for its rest, so that nothing of it is
// left behind. Returns the bytes read, empty when the first read failed.
std::string ReadOneKey(const KeyReader& read);

}  // namespace hilo
