#pragma once

#include <string>
#include <string_view>

namespace hilo {

// Appends text to out with every line feed written as carriage return + line feed, the line end of
// a Windows console and of Windows text files; every other byte goes through unchanged.
void AppendWithCrLf(std::string& out, std::string_view text);

}  // namespace hilo
