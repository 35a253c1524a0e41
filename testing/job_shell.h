#pragma once

#include <sys/types.h>

#include <optional>

#include "testing/spawn.h"

// A stand-in for a job-control shell, to start the game as a job on a terminal.
namespace hilo::e2e {

// Where a job-control shell puts the game: in a process group of its own, in the foreground or the
// background of its terminal.
enum class Job { kForeground, kBackground };

// The processes of a game started as a job.
struct JobProcesses {
  pid_t shell;  // the test's child, whose wait status is the one the game ended with
  pid_t game;   // the game, to send signals to and to watch
};

// Starts the built game as job says, on launch.terminal, from a stand-in for a job-control shell
// that leads the terminal's session: the game's process group has a parent in the session, so
// stop signals stop it, as they do in a shell. Like a shell, the stand-in takes the terminal back
// whenever the game stops, and does nothing else unless told.
JobProcesses StartHiloAsJob(const Launch& launch, Job job);

// As a shell's fg: the stand-in gives the terminal to the game's process group and continues it.
void BringToForeground(const JobProcesses& job);

// Waits for a game started as a job to end, like WaitForExit.
std::optional<int> WaitForJob(const JobProcesses& job);

}  // namespace hilo::e2e
