#include "testing/game_process.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <system_error>
#include <utility>

#include "testing/deadline.h"

// Not every C library declares it.
extern char** environ;  // NOLINT(readability-redundant-declaration)

namespace hilo::e2e {
namespace {

// Settings of the caller that must not reach the game: its locale and any clock faking.
bool IsReplacedSetting(std::string_view entry) {
  constexpr std::string_view kReplaced[] = {
      "LC_", "LANG=", "LANGUAGE=", "LOCPATH=", "FAKETIME", "LD_PRELOAD=", "TZ=", "DONT_FAKE"};
  return std::ranges::any_of(kReplaced,
                             [entry](std::string_view name) { return entry.starts_with(name); });
}

// One piece of libfaketime's shared memory in /dev/shm, named after the process that made it.
struct FaketimeSegment {
  std::filesystem::path path;
  std::string pid;
};

// What libfaketime has in /dev/shm now.
std::vector<FaketimeSegment> FaketimeSegments() {
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

}  // namespace

std::vector<std::string> GameEnvironment(std::string_view locale,
                                         const std::vector<std::string>& extra, bool stop_clock) {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (!IsReplacedSetting(*entry)) environment.emplace_back(*entry);
  }
  environment.emplace_back("LC_ALL=" + std::string(locale));
  environment.emplace_back("TZ=UTC");
  if (stop_clock) {
    // A stopped clock: every card the game draws is the card of kStoppedSecond.
    const std::vector<std::string> stopped = StoppedClockAt(kStoppedSecond);
    environment.insert(environment.end(), stopped.begin(), stopped.end());
  }
  return WithEntries(std::move(environment), extra);
}

std::vector<std::string> WithEntries(std::vector<std::string> environment,
                                     const std::vector<std::string>& entries) {
  for (const std::string& entry : entries) {
    const std::size_t equals = entry.find('=');
    const std::string_view name = std::string_view(entry).substr(0, equals + 1);
    if (equals != std::string::npos)
      std::erase_if(environment, [name](const std::string& old) { return old.starts_with(name); });
    environment.push_back(entry);
  }
  return environment;
}

std::vector<std::string> StoppedClockAt(std::int64_t second) {
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

std::vector<std::string> SharedMemoryLeftBy(pid_t pid) {
  std::vector<std::string> left;
  for (const FaketimeSegment& segment : FaketimeSegments()) {
    if (segment.pid == std::to_string(pid)) left.push_back(segment.path.filename().string());
  }
  return left;
}

void RemoveSharedMemoryOfEndedProcesses() {
  std::error_code error;
  for (const FaketimeSegment& segment : FaketimeSegments()) {
    // A process that has gone left them for nobody.
    if (!std::filesystem::exists("/proc/" + segment.pid, error))
      std::filesystem::remove(segment.path, error);
  }
}

std::vector<std::string> GameCommand() {
  std::vector<std::string> command;
  if (const char* emulator = std::getenv("HILO_EMULATOR")) {
    std::istringstream words(emulator);
    for (std::string word; words >> word;) command.push_back(word);
  }
  const char* game = std::getenv("HILO_GAME");
  command.emplace_back(game != nullptr && *game != '\0' ? game : HILO_PATH);
  return command;
}

bool MakeLocale(const std::filesystem::path& directory, std::string_view source,
                std::string_view charset, std::string_view name) {
  const std::filesystem::path locale = directory / name;
  // localedef's status may report warnings on a locale it made, so the locale itself is looked at.
  RunCommand(
      {"localedef", "-c", "-f", std::string(charset), "-i", std::string(source), locale.string()},
      GameEnvironment("C.UTF-8", {}, false));
  return std::filesystem::exists(locale / "LC_CTYPE");
}

pid_t StartHilo(Launch launch) {
  if (launch.command.empty()) launch.command = {HILO_PATH};
  return Start(launch).pid;
}

Finished GameOnPipes::Finish() {
  input.Close();
  Finished finished;
  finished.output = ReadToEnd(output.get());
  finished.errors = ReadToEnd(errors.get());
  finished.status = WaitForExit(pid);
  return finished;
}

GameOnPipes StartOnPipes(std::vector<std::string> environment, std::vector<std::string> command) {
  Pipe in = MakePipe();
  Pipe out = MakePipe();
  Pipe err = MakePipe();
  const pid_t pid = StartHilo({.environment = std::move(environment),
                               .input = in.read.get(),
                               .output = out.write.get(),
                               .errors = err.write.get(),
                               .command = std::move(command)});
  return {pid, std::move(in.write), std::move(out.read), std::move(err.read)};
}

}  // namespace hilo::e2e
