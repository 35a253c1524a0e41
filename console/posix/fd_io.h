#pragma once

#include <sys/types.h>

#include <cstddef>
#include <span>
#include <string_view>
#include <system_error>

namespace hilo {

// Reads what fd has to give, at most buffer's size: retries after a signal and waits when fd was
// left non-blocking. Returns the byte count, 0 at end of input, -1 on an error.
ssize_t ReadSome(int fd, std::span<char> buffer);

// One write of bytes to fd, for WriteAll: retried after a signal and waited for when fd was left
// non-blocking. Returns how many bytes it took, 0 on an error, which errno then names.
std::size_t WriteSome(int fd, std::span<const char> bytes);

// Writes all of bytes to fd with WriteAll; the reason a write failed, or no error.
std::error_code WriteAllTo(int fd, std::string_view bytes);

}  // namespace hilo
