#pragma once

#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <stdexcept>

#include "testing/call_error.h"
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

// Ends the stand-in shell on a call that failed once the test no longer reads its report: perror
// says which on the test's standard error, which the shell keeps; the status is 125.
[[noreturn]] inline void ShellFailed(const char* call) {
  perror(call);
  _exit(125);
}

// Stands in for a job-control shell that leads the session: the calling process forks, the game
// goes on in the child, in a process group of its own in the terminal's foreground or background,
// and the shell reports the game's id, waits for it and ends just as the game ended. Like a shell,
// it takes the terminal back whenever the game stops, and on SIGUSR1 it does fg.
inline void ForkGameAsJob(Job job, int terminal, const ChildReport& report) {
  // The shell takes the game's stops and fg one at a time, in the order they come, as signals it
  // waits for. It changes the terminal's foreground from the background, so SIGTTOU must not stop
  // it. The game unblocks them all before it starts.
  sigset_t events;
  sigemptyset(&events);
  sigaddset(&events, SIGCHLD);
  sigaddset(&events, SIGUSR1);
  sigset_t held = events;
  sigaddset(&held, SIGTTOU);
  report.Checked(sigprocmask(SIG_BLOCK, &held, nullptr), "sigprocmask");
  const pid_t game = report.Checked(fork(), "fork");
  if (game == 0) {
    // The game's group is its own before its program runs, so before the test hears of it.
    report.Checked(setpgid(0, 0), "setpgid");
    if (job == Job::kForeground) report.Checked(tcsetpgrp(terminal, getpid()), "tcsetpgrp");
    return;
  }
  // The shell keeps nothing of the test's open but these two: a pipe end held here would never end.
  const int last_kept = std::max(terminal, report.fd);
  for (int fd = 3; fd < last_kept; ++fd) {
    if (fd != terminal && fd != report.fd) close(fd);  // most of them are not open
  }
  closefrom(last_kept + 1);
  report.Started(game);
  report.Checked(close(report.fd), "close");
  int status = 0;
  for (pid_t reported = 0; reported != game;) {
    int signal = 0;
    if (const int error = sigwait(&events, &signal); error != 0) {
      errno = error;
      ShellFailed("sigwait");
    }
    if (signal == SIGUSR1) {
      if (tcsetpgrp(terminal, game) != 0) ShellFailed("tcsetpgrp");
      if (kill(-game, SIGCONT) != 0) ShellFailed("kill SIGCONT");
      continue;
    }
    while ((reported = waitpid(game, &status, WNOHANG | WUNTRACED)) == game && WIFSTOPPED(status))
      if (tcsetpgrp(terminal, getpgrp()) != 0) ShellFailed("tcsetpgrp");
    if (reported < 0) ShellFailed("waitpid");
  }
  if (WIFEXITED(status)) _exit(WEXITSTATUS(status));
  const int signal = WTERMSIG(status);
  struct sigaction default_action = {};
  default_action.sa_handler = SIG_DFL;
  if (sigaction(signal, &default_action, nullptr) != 0) ShellFailed("sigaction");
  sigset_t none;
  sigemptyset(&none);
  if (sigprocmask(SIG_SETMASK, &none, nullptr) != 0) ShellFailed("sigprocmask");
  kill(getpid(), signal);
  ShellFailed("kill");
}

// Starts the built game as job says, on launch.terminal, from ForkGameAsJob's stand-in shell: the
// game's process group has a parent in the session, so stop signals stop it, as in a shell.
inline JobProcesses StartHiloAsJob(const Launch& launch, Job job) {
  if (launch.terminal.empty()) throw std::invalid_argument("a job needs a terminal");
  Launch game = launch;
  game.command = {HILO_PATH};
  const Started started = Start(game, [job](int terminal, const ChildReport& report) {
    ForkGameAsJob(job, terminal, report);
  });
  if (started.reported < 0) {
    WaitForExit(started.pid);
    throw std::runtime_error("the stand-in shell did not tell the game's id");
  }
  return {started.pid, started.reported};
}

// As a shell's fg: the stand-in gives the terminal to the game's process group and continues it.
inline void BringToForeground(const JobProcesses& job) {
  Checked(kill(job.shell, SIGUSR1), "kill SIGUSR1");
}

}  // namespace hilo::e2e
