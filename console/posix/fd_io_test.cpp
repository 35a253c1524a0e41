#include "console/posix/fd_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <string_view>
#include <thread>

namespace hilo {
namespace {

// The system calls a wait for a descriptor to become ready may be made with.
#ifdef SYS_poll
constexpr std::array<long, 2> kPollCalls = {SYS_poll, SYS_ppoll};
#else
constexpr std::array<long, 1> kPollCalls = {SYS_ppoll};
#endif

// True once the thread tid is blocked in one of calls (system call numbers), as the kernel reports
// it; false once the thread has finished instead, or after a generous safety timeout.
template <std::size_t N>
bool WaitUntilBlockedIn(pid_t tid, const std::array<long, N>& calls,
                        const std::atomic<bool>& finished) {
  const std::string path = "/proc/self/task/" + std::to_string(tid) + "/syscall";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!finished && std::chrono::steady_clock::now() < deadline) {
    std::ifstream file(path);
    long call = -1;
    if (file >> call && std::ranges::find(calls, call) != calls.end()) return true;
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

TEST(FdIoTest, AReadOfInputLeftNonBlockingWaitsForTheWordWithoutSpinning) {
  TestPipe pipe;
  ASSERT_EQ(fcntl(pipe.ends[0], F_SETFL, O_NONBLOCK), 0);
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
  // The pipe is empty, so the read has met EAGAIN; it must now sleep until input comes.
  EXPECT_TRUE(WaitUntilBlockedIn(reader_tid, kPollCalls, finished))
      << "the read gave up or spins instead of waiting";
  EXPECT_EQ(write(pipe.ends[1], "high\n", 5), 5);
  reader.join();

  ASSERT_EQ(count, 5);
  EXPECT_EQ(std::string_view(buffer.data(), 5), "high\n");
}

}  // namespace
}  // namespace hilo
