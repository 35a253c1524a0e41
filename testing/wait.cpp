#include "testing/wait.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>

#include "testing/deadline.h"
#include "testing/files.h"
#include "testing/proc.h"
#include "testing/same_text.h"

namespace hilo::e2e {
namespace {

// How long nothing may arrive before the kernel is asked whether the game waits for input. It
// decides nothing itself: the answer comes from the kernel.
constexpr int kAskAfterMs = 5;

// What is awaited: a whole screen from its start, or only the end of one.
enum class Awaited { kWhole, kEnd };

// Appends to screen what fd gives within timeout_ms: the count of bytes, 0 for none, -1 once fd
// has ended (EIO too: a terminal whose other side is gone).
ssize_t ReadSome(int fd, std::string& screen, int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  if (!WaitReadable(fd, deadline)) return 0;
  const std::size_t had = screen.size();
  return ReadMore(fd, screen, deadline) ? static_cast<ssize_t>(screen.size() - had) : -1;
}

// A pseudo-terminal hands typed bytes to its other side later, off the typist's call; a poll of
// that side has them handed over now, so that a line typed but not yet delivered cannot pass for
// no input. Pipes deliver at once: fd is then no terminal's master and nothing is done.
void DeliverTyped(int fd) {
  char name[128];
  if (ptsname_r(fd, name, sizeof name) != 0) return;
  const Fd terminal(open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  pollfd entry = {terminal.get(), POLLIN, 0};
  if (terminal.get() >= 0) poll(&entry, 1, 0);
}

// Why process pid, which writes fd, will write no more, as the kernel says; nullptr while it may.
const char* WritesNoMore(int fd, pid_t pid) {
  DeliverTyped(fd);
  const auto process = ReadProcessStat(pid);
  if (!process || process->state == 'Z') return "the game ended";
  return WaitsForInput(pid) ? "the game waits for input" : nullptr;
}

testing::AssertionResult Await(int fd, pid_t pid, std::string& screen, std::string_view expected,
                               Awaited awaited) {
  const bool whole = awaited == Awaited::kWhole;
  const auto arrived = [&] {
    return whole ? screen.starts_with(expected) : screen.find(expected) != std::string::npos;
  };
  // The bound is WaitUntil's, for a game that hangs, whether silent or writing without end.
  const char* why = nullptr;
  const bool answered = WaitUntil([&] {
    ssize_t count = 0;
    if (arrived()) return true;
    if (whole && !expected.starts_with(screen)) {
      why = "what the game wrote departs from what is expected";
    } else if ((count = ReadSome(fd, screen, kAskAfterMs)) < 0) {
      why = "the game's output ended";
    } else if (count == 0 && (why = WritesNoMore(fd, pid)) != nullptr) {
      // What it wrote before is all there, to be read and judged first.
      while (ReadSome(fd, screen, 0) > 0) {
      }
      if (arrived()) why = nullptr;
    }
    return arrived() || why != nullptr;
  });
  if (answered && why == nullptr) return testing::AssertionSuccess();
  if (why == nullptr) why = "the game wrote nothing more for 120 s";
  if (whole)
    return testing::AssertionFailure()
           << why << "\n"
           << SameText("received", "expected", screen, std::string(expected)).message();
  return testing::AssertionFailure()
         << why << "\n  expected at the end: " << testing::PrintToString(std::string(expected))
         << "\n  received, its end:   "
         << testing::PrintToString(
                screen.substr(screen.size() - std::min<std::size_t>(screen.size(), 160)));
}

}  // namespace

testing::AssertionResult AwaitScreen(int fd, pid_t pid, std::string& screen,
                                     std::string_view expected) {
  return Await(fd, pid, screen, expected, Awaited::kWhole);
}

testing::AssertionResult AwaitMarker(int fd, pid_t pid, std::string& screen,
                                     std::string_view marker) {
  return Await(fd, pid, screen, marker, Awaited::kEnd);
}

}  // namespace hilo::e2e
