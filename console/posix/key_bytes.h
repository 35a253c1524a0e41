#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>

// A key press as a terminal sends it: one byte, or several that make one key.
namespace hilo {

// True when bytes, read from a terminal for one key press, stop in the middle of a key: after an
// escape that may begin a sequence (an arrow, a function key, Alt with a key), inside such a
// sequence, or inside a multibyte UTF-8 character. The rest of that key is then still on its way.
bool EndsInsideKey(std::string_view bytes);

// How long one read of the terminal may wait before its first byte.
using KeyWait = std::chrono::milliseconds;
// Until a byte comes, however long.
inline constexpr KeyWait kForAByte = KeyWait::max();
// Not at all: only what has come already.
inline constexpr KeyWait kNotAtAll = KeyWait::zero();
// What a key cut short is given for its rest.
inline constexpr KeyWait kATenthOfASecond{100};

// True for a wait of some time between not at all and for a byte.
constexpr bool IsTimed(KeyWait wait) { return wait > kNotAtAll && wait < kForAByte; }

// What a timed read returns when a signal cut its wait short before any byte came.
inline constexpr std::ptrdiff_t kReadInterrupted = -2;

// One read of the terminal, waiting as told: fills buffer, returns the byte count, 0 when nothing
// came in time, kReadInterrupted as above, another negative count on an error.
using KeyReader = std::function<std::ptrdiff_t(std::span<char> buffer, KeyWait wait)>;

// The monotonic clock, which neither signals nor changes to the calendar time move.
using MonotonicNow = std::function<std::chrono::steady_clock::time_point()>;

// Reads one key press whole: waits for its first bytes, then takes whatever has arrived with them
// and gives a key that is cut short a tenth of a second by now for its rest, so that nothing of it
// is left behind; signals meanwhile do not stretch that tenth. Returns the bytes read, empty when
// the first read failed.
std::string ReadOneKey(const KeyReader& read, const MonotonicNow& now);

}  // namespace hilo
