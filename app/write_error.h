#pragma once

#include <string_view>
#include <system_error>

namespace hilo {

// Writes text to standard output through stdio, then flushes and closes it, as the last thing the
// program writes there; the reason a write failed, or no error.
std::error_code WriteAndCloseStandardOutput(std::string_view text);

// The exit status once the output has all been handed on: 0, or 1 when a write failed, after one
// line on standard error, "hilo: write error: " and the reason (the status alone if that fails).
int StatusAfterOutput(std::error_code failed);

}  // namespace hilo
