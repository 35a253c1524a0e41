#pragma once

#include <sys/types.h>

#include <span>
#include <string_view>

namespace hilo {

// Reads what fd has to give, at most buffer's size: retries after a signal and waits when fd was
// left non-blocking. Returns the byte count, 0 at end of input, -1 on an error.
ssize_t ReadSome(int fd, std::span<char> buffer);

// Writes all of bytes to fd, across partial writes, signals and a non-blocking fd; gives up
// silently on an error, since nobody could be told of it.
void WriteAll(int fd, std::string_view bytes);

}  // namespace hilo
