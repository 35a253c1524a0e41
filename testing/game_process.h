#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "testing/files.h"
#include "testing/spawn.h"

// The built game as a process of its own: its environment, its locale, its clock stopped by
// libfaketime (preloaded into it) and what that leaves behind, and its start.
namespace hilo::e2e {

// The moment the game's clock is stopped at: 2026-01-01 00:00:01 UTC, a second whose card is drawn
// at once (no waiting for an accepted second).
inline constexpr std::int64_t kStoppedSecond = 1767225601;

// This process's environment with the locale set to locale, the clock stopped at kStoppedSecond
// unless stop_clock is false, and extra entries (NAME=value) added, each in place of any entry of
// the same name (FAKETIME=... stops the clock at another moment).
std::vector<std::string> GameEnvironment(std::string_view locale,
                                         const std::vector<std::string>& extra = {},
                                         bool stop_clock = true);

// environment with entries (NAME=value) added, each in place of any entry of the same name.
std::vector<std::string> WithEntries(std::vector<std::string> environment,
                                     const std::vector<std::string>& entries);

// The environment entries that stop the game's clock at a second with the same last two digits as
// second, for GameEnvironment's extra entries.
std::vector<std::string> StoppedClockAt(std::int64_t second);

// The names in /dev/shm of libfaketime's shared memory for the process pid. Nothing is left there
// once the wait for the game has ended.
std::vector<std::string> SharedMemoryLeftBy(pid_t pid);

// Removes what libfaketime left in /dev/shm for every process that has ended: it removes its own
// shared memory when a process ends by itself, but not when a signal ends it (Wine ends some of its
// processes so), and not every version of it knows FAKETIME_DISABLE_SHM.
void RemoveSharedMemoryOfEndedProcesses();

// The game the pipes launcher plays: the program HILO_GAME names when it is set (an installed
// game), else the built one, behind the words of HILO_EMULATOR when that is set (such as
// "qemu-aarch64 -L /usr/aarch64-linux-gnu -U LD_PRELOAD"; libfaketime is then preloaded into the
// emulator).
std::vector<std::string> GameCommand();

// Makes a locale from the system's sources into directory, as localedef does it: false when the
// sources or localedef are missing.
bool MakeLocale(const std::filesystem::path& directory, std::string_view source,
                std::string_view charset, std::string_view name);

// Starts the built game, or launch.command when it names a program, as Start does; returns its
// process id.
pid_t StartHilo(Launch launch);

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
  Finished Finish();
};

// Starts the game, or command, in environment with its standard streams on new pipes.
GameOnPipes StartOnPipes(std::vector<std::string> environment,
                         std::vector<std::string> command = {});

}  // namespace hilo::e2e
