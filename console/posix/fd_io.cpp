#include "console/posix/fd_io.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

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

void WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t count = write(fd, bytes.data(), bytes.size());
    if (count > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(count));
      continue;
    }
    if (count < 0 && errno == EINTR) continue;
    if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && WaitFor(fd, POLLOUT)) continue;
    return;
  }
}

}  // namespace hilo
