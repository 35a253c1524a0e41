#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

// The game's clock stopped by libfaketime, preloaded into it, and what libfaketime leaves behind.
namespace hilo::e2e {

// The moment the game's clock is stopped at: 2026-01-01 00:00:01 UTC, a second whose card is drawn
// at once (no waiting for an accepted second).
inline constexpr std::int64_t kStoppedSecond = 1767225601;

// One piece of libfaketime's shared memory in /dev/shm, named after the process that made it.
struct FaketimeSegment {
  std::filesystem::path path;
  std::string pid;
};

// What libfaketime has in /dev/shm now.
inline std::vector<FaketimeSegment> FaketimeSegments() {
  std::vector<FaketimeSegment> segments;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", error)) {
    const std::string name = entry.path().filename().string();
    const std::size_t last = name.rfind('_');
    if (name.find("faketime") == std::string::npos || last == std::string::npos) continue;
    segments.push_back({entry.path(), name.substr(last + 1)});
  }
  return segments;
}

// The environment entries that stop the game's clock at a second with the same last two digits as
// second, for GameEnvironment's extra entries.
inline std::vector<std::string> StoppedClockAt(std::int64_t second) {
  // 2026-01-01 00:00:00 UTC is a whole multiple of 100 seconds since 1970, and the game runs with
  // TZ=UTC. An absolute time without "@" stands still. With FAKETIME_DISABLE_SHM libfaketime makes
  // no shared memory, which it would leave in /dev/shm behind a game a signal ends, and which can
  // deadlock a sanitized game as it starts. Older versions ignore it; the wait for a game removes
  // what they leave.
  const int last_two = static_cast<int>(((second % 100) + 100) % 100);
  const auto two_digits = [](int value) {
    return std::string{static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
  };
  const std::string time =
      "FAKETIME=2026-01-01 00:" + two_digits(last_two / 60) + ":" + two_digits(last_two % 60);
  return {time, "FAKETIME_DISABLE_SHM=1", "LD_PRELOAD=" HILO_FAKETIME_LIBRARY};
}

// The names in /dev/shm of libfaketime's shared memory for the process pid. Nothing is left there
// once the wait for the game has ended.
inline std::vector<std::string> SharedMemoryLeftBy(pid_t pid) {
  std::vector<std::string> left;
  for (const FaketimeSegment& segment : FaketimeSegments()) {
    if (segment.pid == std::to_string(pid)) left.push_back(segment.path.filename().string());
  }
  return left;
}

// Removes what libfaketime left in /dev/shm for every process that has ended: it removes its own
// shared memory when a process ends by itself, but not when a signal ends it (Wine ends some of its
// processes so), and not every version of it knows FAKETIME_DISABLE_SHM.
inline void RemoveSharedMemoryOfEndedProcesses() {
  std::error_code error;
  for (const FaketimeSegment& segment : FaketimeSegments()) {
    // A process that has gone left them for nobody.
    if (!std::filesystem::exists("/proc/" + segment.pid, error))
      std::filesystem::remove(segment.path, error);
  }
}

}  // namespace hilo::e2e
