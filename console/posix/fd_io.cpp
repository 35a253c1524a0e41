#include "console/posix/fd_io.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "console/write_all.h"

namespace hilo {
namespace {

// An inherited descriptor may be non-blocking; the game still means to block on it.
bool WaitFor(int fd, short events) {
  pollfd entry{fd, events, 0};
  for (;;) {
    if (poll(&entry, 1, -1) >= 0) return true;
    if (errno != EINTR) return false;
  }
}

}  // namespace

ssize_t ReadSome(int fd, std::span<char> buffer) {
  for (;;) {
    const ssize_t count = read(fd, buffer.data(), buffer.size());
    if (count >= 0) return count;
    if (errno == EINTR) continue;
    if ((errno == EAGAIN || errno == EWOULDBLOCK) && WaitFor(fd, POLLIN)) continue;
    return -1;
  }
}

std::size_t WriteSome(int fd, std::span<const char> bytes) {
  for (;;) {
    const ssize_t count = write(fd, bytes.data(), bytes.size());
    if (count > 0) return static_cast<std::size_t>(count);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && WaitFor(fd, POLLOUT)) continue;
    // A write that took nothing, with no error, is a failure the system gave no reason for.
    if (count == 0) errno = EIO;
    return 0;
  }
}

std::error_code WriteAllTo(int fd, std::string_view bytes) {
  const bool whole =
      WriteAll(std::span(bytes), [fd](std::span<const char> rest) { return WriteSome(fd, rest); });
  return whole ? std::error_code() : std::error_code(errno, std::generic_category());
}

}  // namespace hilo
