#include "console/windows/output.h"

#include <algorithm>

namespace hilo {

void AppendWithCrLf(std::string& out, std::string_view text) {
  out.reserve(out.size() + text.size() + static_cast<std::size_t>(std::ranges::count(text, '\n')));
  for (const char byte : text) {
    // Only the line feed grows: a second byte 0x5C of a Shift_JIS character is just a byte here.
    if (byte == '\n') out.push_back('\r');
    out.push_back(byte);
  }
}

}  // namespace hilo
