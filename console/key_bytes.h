#pragma once

#include <string_view>

namespace hilo {

// True when bytes, read from a terminal for one key press, stop in the middle of a key: after an
// escape that may begin a sequence (an arrow, a function key, Alt with a key), inside such a
// sequence, or inside a multibyte UTF-8 character. The rest of that key is then still on its way.
bool EndsInsideKey(std::string_view bytes);

}  // namespace hilo
