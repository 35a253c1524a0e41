#pragma once

#include <sys/types.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "testing/deadline.h"
#include "testing/files.h"
#include "testing/spawn.h"
#include "testing/stopped_clock.h"

// Not every C library declares it.
extern char** environ;  // NOLINT(readability-redundant-declaration)

// The built game as a process of its own: its environment, its locale and its start.
namespace hilo::e2e {

// environment with entries (NAME=value) added, each in place of any entry of the same name.
inline std::vector<std::string> WithEntries(std::vector<std::string> environment,
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

// This process's environment with the locale set to locale, the clock stopped at kStoppedSecond
// unless stop_clock is false, and extra entries (NAME=value) added, each in place of any entry of
// the same name (FAKETIME=... stops the clock at another moment).
inline std::vector<std::string> GameEnvironment(std::string_view locale,
                                                const std::vector<std::string>& extra = {},
                                                bool stop_clock = true) {
  // Settings of the caller that must not reach the game: its locale and any clock faking.
  constexpr std::string_view kReplaced[] = {
      "LC_", "LANG=", "LANGUAGE=", "LOCPATH=", "FAKETIME", "LD_PRELOAD=", "TZ=", "DONT_FAKE"};
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view setting = *entry;
    if (std::ranges::none_of(kReplaced,
                             [&](std::string_view name) { return setting.starts_with(name); }))
      environment.emplace_back(setting);
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

// The game the pipes launcher plays: the program HILO_GAME names when it is set (an installed
// game), else the built one, behind the words of HILO_EMULATOR when that is set (such as
// "qemu-aarch64 -L /usr/aarch64-linux-gnu -U LD_PRELOAD"; libfaketime is then preloaded into the
// emulator).
inline std::vector<std::string> GameCommand() {
  std::vector<std::string> command;
  if (const char* emulator = std::getenv("HILO_EMULATOR")) {
    std::istringstream words(emulator);
    for (std::string word; words >> word;) command.push_back(word);
  }
  const char* game = std::getenv("HILO_GAME");
  command.emplace_back(game != nullptr && *game != '\0' ? game : HILO_PATH);
  return command;
}

// Makes a locale from the system's sources into directory, as localedef does it: false when the
// sources or localedef are missing.
inline bool MakeLocale(const std::filesystem::path& directory, std::string_view source,
                       std::string_view charset, std::string_view name) {
  const std::filesystem::path locale = directory / name;
  // localedef's status may report warnings on a locale it made, so the locale itself is looked at.
  RunCommand(
      {"localedef", "-c", "-f", std::string(charset), "-i", std::string(source), locale.string()},
      GameEnvironment("C.UTF-8", {}, false));
  return std::filesystem::exists(locale / "LC_CTYPE");
}

// Starts the built game, or launch.command when it names one, as Start does; returns its id.
inline pid_t StartHilo(Launch launch) {
  if (launch.command.empty()) launch.command = {HILO_PATH};
  return Start(launch).pid;
}

// How a game run on given input ended.
struct Finished {
  std::string output;
  std::string errors;
  std::optional<int> status;
};

// A game started with its three standard streams on new pipes; the test holds the other ends.
struct GameOnPipes {
  pid_t pid;
  Fd input;   // written to, the game reads it
  Fd output;  // the game's standard output
  Fd errors;  // the game's standard error

  // Ends the input, reads what the game writes from now to its end and waits for it.
  Finished Finish() {
    input.Close();
    Finished finished;
    finished.output = ReadToEnd(output.get());
    finished.errors = ReadToEnd(errors.get());
    finished.status = WaitForExit(pid);
    return finished;
  }
};

// Starts the game, or command, in environment with its standard streams on new pipes, its address
// space limited to address_space_kib unless that is 0.
inline GameOnPipes StartOnPipes(std::vector<std::string> environment,
                                std::vector<std::string> command = {},
                                long address_space_kib = 0) {
  Pipe in = MakePipe();
  Pipe out = MakePipe();
  Pipe err = MakePipe();
  const pid_t pid = StartHilo({.environment = std::move(environment),
                               .input = in.read.get(),
                               .output = out.write.get(),
                               .errors = err.write.get(),
                               .address_space_kib = address_space_kib,
                               .command = std::move(command)});
  return {pid, std::move(in.write), std::move(out.read), std::move(err.read)};
}

}  // namespace hilo::e2e
