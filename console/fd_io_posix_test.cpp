#include "console/fd_io_posix.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

namespace hilo {
namespace {

std::atomic<int> signals_handled{0};

// Installs, for the life of the object, a SIGUSR1 handler without SA_RESTART, so that a signal
// arriving during a blocked read or write makes it fail with EINTR instead of going on by itself.
class InterruptingHandler {
 public:
  InterruptingHandler() {
    struct sigaction action {};
    action.sa_handler = [](int) { ++signals_handled; };
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(SIGUSR1, &action, &previous_);
    signals_handled = 0;
  }
  ~InterruptingHandler() { sigaction(SIGUSR1, &previous_, nullptr); }
  InterruptingHandler(const InterruptingHandler&) = delete;
  InterruptingHandler& operator=(const InterruptingHandler&) = delete;

 private:
  struct sigaction previous_ {};
};

// True once the thread tid is blocked in the system call number call, as the kernel reports it;
// false once the thread has finished instead, or after a generous safety timeout.
bool WaitUntilBlockedIn(pid_t tid, long call, const std::atomic<bool>& finished) {
  const std::string path = "/proc/self/task/" + std::to_string(tid) + "/syscall";
  const std::string expected = std::to_string(call) + " ";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!finished && std::chrono::steady_clock::now() < deadline) {
    std::ifstream file(path);
    std::string line;
    if (std::getline(file, line) && line.starts_with(expected)) return true;
    std::this_thread::yield();
  }
  return false;
}

// Both ends of a pipe, closed when it goes.
struct TestPipe {
  TestPipe() { EXPECT_EQ(pipe(ends.data()), 0); }
  ~TestPipe() {
    for (const int end : ends) close(end);
  }
  TestPipe(const TestPipe&) = delete;
  TestPipe& operator=(const TestPipe&) = delete;
  std::array<int, 2> ends{-1, -1};
};

TEST(FdIoTest, AReadInterruptedByASignalIsRetriedAndLosesNothing) {
  const InterruptingHandler handler;
  TestPipe pipe;
  std::atomic<pid_t> reader_tid{0};
  std::atomic<bool> finished{false};
  std::array<char, 16> buffer{};
  ssize_t count = 0;
  std::thread reader([&] {
    reader_tid = static_cast<pid_t>(syscall(SYS_gettid));
    count = ReadSome(pipe.ends[0], buffer);
    finished = true;
  });
  while (reader_tid == 0) std::this_thread::yield();
  EXPECT_TRUE(WaitUntilBlockedIn(reader_tid, SYS_read, finished));

  pthread_kill(reader.native_handle(), SIGUSR1);
  while (signals_handled == 0) std::this_thread::yield();
  // Only a read begun again after the signal can still take what is written now.
  EXPECT_TRUE(WaitUntilBlockedIn(reader_tid, SYS_read, finished)) << "the read gave up";
  EXPECT_EQ(write(pipe.ends[1], "y", 1), 1);
  reader.join();

  EXPECT_EQ(signals_handled, 1);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(buffer[0], 'y');
}

TEST(FdIoTest, AWriteInterruptedByASignalGoesOnAndLosesNothing) {
  const InterruptingHandler handler;
  TestPipe pipe;
  // Fill the pipe so the next write blocks; what went in first is read back below.
  fcntl(pipe.ends[1], F_SETFL, O_NONBLOCK);
  std::string already;
  for (const std::array<char, 4096> block{}; write(pipe.ends[1], block.data(), block.size()) > 0;) {
    already.append(block.size(), '\0');
  }
  fcntl(pipe.ends[1], F_SETFL, 0);
  const std::string text(100'000, 'w');
  std::atomic<pid_t> writer_tid{0};
  std::atomic<bool> finished{false};
  std::thread writer([&] {
    writer_tid = static_cast<pid_t>(syscall(SYS_gettid));
    WriteAll(pipe.ends[1], text);
    close(pipe.ends[1]);
    pipe.ends[1] = -1;
    finished = true;
  });
  while (writer_tid == 0) std::this_thread::yield();
  EXPECT_TRUE(WaitUntilBlockedIn(writer_tid, SYS_write, finished));

  pthread_kill(writer.native_handle(), SIGUSR1);
  while (signals_handled == 0) std::this_thread::yield();
  std::string received;
  char block[4096];
  for (ssize_t count; (count = read(pipe.ends[0], block, sizeof block)) > 0;) {
    received.append(block, static_cast<std::size_t>(count));
  }
  writer.join();

  EXPECT_EQ(signals_handled, 1);
  EXPECT_EQ(received.size(), already.size() + text.size());
  EXPECT_TRUE(received.substr(already.size()) == text) << "the bytes after the signal differ";
}

}  // namespace
}  // namespace hilo
