#pragma once

#include <sys/types.h>
#include <termios.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/posix/fd_io.h"
#include "testing/same_text.h"

// Starting the built game, or another program, as a separate process and talking to it through
// pipes, files and pseudo-terminals, with its clock stopped by libfaketime.
namespace hilo::e2e {

// The moment the game's clock is stopped at: 2026-01-01 00:00:01 UTC, a second whose card is drawn
// at once (no waiting for an accepted second).
inline constexpr std::int64_t kStoppedSecond = 1767225601;

// Where one of the game's standard streams goes, besides an open descriptor.
inline constexpr int kClosed = -1;
inline constexpr int kControllingTerminal = -2;

// Where a job-control shell puts the game: in a process group of its own, in the foreground or the
// background of its terminal.
enum class Job { kNone, kForeground, kBackground };

// How to start the game.
struct Launch {
  std::vector<std::string> environment;  // the whole environment, as NAME=value
  int input = kClosed;
  int output = kClosed;
  int errors = kClosed;
  std::string terminal = {};  // made the controlling terminal of a new session, if not empty
  std::vector<int> ignored_signals =
      {};  // started ignored, as under nohup; every other one as default
  // With a terminal: started as a job, by a stand-in for the shell.
  Job job = Job::kNone;
  long address_space_kib = 0;  // if not 0, the game's address space limit, as ulimit -v sets it
  // The program and its arguments; the built game when empty.
  std::vector<std::string> command = {};
};

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

// The game the pipes launcher plays: the program HILO_GAME names when it is set (an installed
// game), else the built one, behind the words of HILO_EMULATOR when that is set (such as
// "qemu-aarch64 -L /usr/aarch64-linux-gnu -U LD_PRELOAD"; libfaketime is then preloaded into the
// emulator).
std::vector<std::string> GameCommand();

// Makes a locale from the system's sources into directory, as localedef does it: false when the
// sources or localedef are missing.
bool MakeLocale(const std::filesystem::path& directory, std::string_view source,
                std::string_view charset, std::string_view name);

// Starts the game; returns its process id.
pid_t StartHilo(const Launch& launch);

// The processes of a game started as a job.
struct JobProcesses {
  pid_t shell;  // the test's child, whose wait status is the one the game ended with
  pid_t game;   // the game, to send signals to and to watch
};

// Starts the game as launch.job says, on launch.terminal, from a stand-in for a job-control shell
// that leads the terminal's session: the game's process group has a parent in the session, so
// stop signals stop it, as they do in a shell. Like a shell, the stand-in takes the terminal back
// whenever the game stops, and does nothing else unless told.
JobProcesses StartHiloAsJob(const Launch& launch);

// As a shell's fg: the stand-in gives the terminal to the game's process group and continues it.
void BringToForeground(const JobProcesses& job);

// Waits for a game started as a job to end, like WaitForExit.
std::optional<int> WaitForJob(const JobProcesses& job);

// The names in /dev/shm of libfaketime's shared memory for the process pid. Nothing is left there
// once the wait for the game has ended.
std::vector<std::string> SharedMemoryLeftBy(pid_t pid);

// Removes what libfaketime left in /dev/shm for every process that has ended: it removes its own
// shared memory when a process ends by itself, but not when a signal ends it (Wine ends some of its
// processes so), and not every version of it knows FAKETIME_DISABLE_SHM.
void RemoveSharedMemoryOfEndedProcesses();

// Waits for the process to end and returns its wait status; nullopt (the process then killed) when
// it has not ended within a generous safety timeout. What libfaketime left is removed.
std::optional<int> WaitForExit(pid_t pid);

// Runs command to its end with no input; returns what it wrote, or nullopt when it failed.
std::optional<std::string> RunCommand(const std::vector<std::string>& command,
                                      const std::vector<std::string>& environment);

// Reads fd into out until out holds marker at or after position from. False when fd ends first,
// or when a generous safety timeout passes, which only a game that never answers runs into.
bool ReadUntil(int fd, std::string& out, std::string_view marker, std::size_t from = 0);

// Reads fd to its end.
std::string ReadToEnd(int fd);

// True when status says the game ended by itself with status 0.
bool EndedNormally(int status);

// An open descriptor, closed when it goes.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { Close(); }
  Fd(Fd&& other) noexcept : fd_(other.Release()) {}
  Fd& operator=(Fd&& other) noexcept;

  // The descriptor, -1 when closed.
  int get() const { return fd_; }
  // Closes it now.
  void Close();
  // Gives up ownership.
  int Release();

 private:
  int fd_;
};

// Both ends of a new pipe.
struct Pipe {
  Fd read;
  Fd write;
};

// Opens a pipe whose ends are not inherited by started processes beyond the streams given them.
Pipe MakePipe();

// A game started with its three standard streams on new pipes; the test holds the other ends.
struct GameOnPipes {
  pid_t pid;
  Fd input;   // written to, the game reads it
  Fd output;  // the game's standard output
  Fd errors;  // the game's standard error
};

// Starts the game, or command, in environment with its standard streams on new pipes.
GameOnPipes StartOnPipes(std::vector<std::string> environment,
                         std::vector<std::string> command = {});

// A file holding text, removed when it goes.
class TextFile {
 public:
  explicit TextFile(std::string_view text);
  ~TextFile();
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  // Where it is.
  const std::filesystem::path& path() const { return path_; }
  // Opens it for reading.
  Fd Open() const;
  // What it holds now.
  std::string Read() const;

 private:
  std::filesystem::path path_;
};

// A pseudo-terminal pair, plus a descriptor of the terminal side that the test keeps for itself to
// look at the terminal's settings and at what is left unread in it.
class PseudoTerminal {
 public:
  PseudoTerminal();

  // The side the test types into and reads the screen from.
  int master() const { return master_.get(); }
  // The device the game gets as its controlling terminal.
  const std::string& path() const { return path_; }

  // The terminal's settings now.
  termios Settings() const;

  // Waits until the game has switched the terminal out of line mode for its key wait, and returns
  // the settings it chose. The game says nothing when it does, so its settings are watched.
  std::optional<termios> WaitUntilRaw() const;

  // Everything the game wrote to the screen from now until it ended, which the caller has waited
  // for: a marker written after it on the same terminal arrives after all of it.
  std::string ScreenUntilNow(std::string& screen) const;

  // The bytes typed at the terminal that nobody has read.
  std::string UnreadInput() const;

 private:
  Fd master_;
  std::string path_;
  Fd probe_;
};

// Two terminal settings are the same in everything a program can set.
void ExpectSameSettings(const termios& actual, const termios& expected);

// Waits until done() holds, checking often; false when a generous bound passes first.
bool WaitUntil(const std::function<bool()>& done);

}  // namespace hilo::e2e
