#pragma once

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <thread>

#include "testing/call_error.h"

// Reads and waits with a generous bound, which only a game that hangs ever reaches.
namespace hilo::e2e {

// Long enough for a slow, loaded machine, which may take many seconds to start Wine.
inline constexpr auto kWaitBound = std::chrono::seconds(120);

// When a wait begun now gives up.
inline std::chrono::steady_clock::time_point Deadline() {
  return std::chrono::steady_clock::now() + kWaitBound;
}

// Waits until fd has something to read or has ended; false when deadline passes first.
inline bool WaitReadable(int fd, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd entry = {fd, POLLIN, 0};
    // Looked at once even when the deadline has passed.
    const int ready = poll(&entry, 1, static_cast<int>(std::max(left, {}).count()));
    if (ready >= 0) return ready > 0;
    if (errno != EINTR) FailedCall("poll");
  }
}

// Appends what fd gives next to out; false when fd has ended (EIO too: a terminal whose other side
// is gone) or the deadline has passed.
inline bool ReadMore(int fd, std::string& out, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    if (!WaitReadable(fd, deadline)) return false;
    char buffer[4096];
    const ssize_t count = read(fd, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0 && errno != EIO) FailedCall("read");
    if (count <= 0) return false;
    out.append(buffer, static_cast<std::size_t>(count));
    return true;
  }
}

// Reads fd to its end, or for kWaitBound at most.
inline std::string ReadToEnd(int fd) {
  const auto deadline = Deadline();
  std::string out;
  while (ReadMore(fd, out, deadline)) {
  }
  return out;
}

// Waits until done() holds, checking often; false when kWaitBound passes first.
inline bool WaitUntil(const std::function<bool()>& done) {
  const auto deadline = Deadline();
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace hilo::e2e
