#include "testing/process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <utility>

// Not every C library declares it.
extern char** environ;  // NOLINT(readability-redundant-declaration)

namespace hilo::e2e {
namespace {

// Long enough for a slow, loaded machine; only a game that hangs ever reaches it.
constexpr auto kSafetyTimeout = std::chrono::seconds(120);

// Settings of the caller that must not reach the game: its locale and any clock faking.
bool IsReplacedSetting(std::string_view entry) {
  constexpr std::string_view kReplaced[] = {
      "LC_", "LANG=", "LANGUAGE=", "LOCPATH=", "FAKETIME", "LD_PRELOAD=", "TZ=", "DONT_FAKE"};
  return std::ranges::any_of(kReplaced,
                             [entry](std::string_view name) { return entry.starts_with(name); });
}

// When a wait begun now gives up.
std::chrono::steady_clock::time_point Deadline() {
  return std::chrono::steady_clock::now() + kSafetyTimeout;
}

// Waits until fd has something to read or has ended; false when the deadline passes first.
bool WaitReadable(int fd, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd entry = {fd, POLLIN, 0};
    const int ready = poll(&entry, 1, static_cast<int>(left.count()));
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
}

// Appends what fd gives next to out; false when fd has ended (EIO too: a terminal whose other side
// is gone) or the deadline has passed.
bool ReadMore(int fd, std::string& out, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    if (!WaitReadable(fd, deadline)) return false;
    char buffer[4096];
    const ssize_t count = read(fd, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    out.append(buffer, static_cast<std::size_t>(count));
    return true;
  }
}

// Ends the test that called with an error.
[[noreturn]] void Fail(const char* what) { throw std::runtime_error(what); }

// Stands in for a job-control shell that leads the session: the calling process forks, the game
// goes on in the child, in a process group of its own in the terminal's foreground or background,
// and the shell writes the game's id to report, waits for it and ends just as the game ended. Like
// a shell, it takes the terminal back whenever the game stops, and on SIGUSR1 it does fg.
void ForkGameAsJob(Job job, int terminal, int report) {
  // The shell takes the game's stops and fg one at a time, in the order they come, as signals it
  // waits for. It changes the terminal's foreground from the background, so SIGTTOU must not stop
  // it. The game unblocks them all before it starts.
  sigset_t events;
  sigemptyset(&events);
  sigaddset(&events, SIGCHLD);
  sigaddset(&events, SIGUSR1);
  sigset_t held = events;
  sigaddset(&held, SIGTTOU);
  sigprocmask(SIG_BLOCK, &held, nullptr);
  const pid_t game = fork();
  if (game < 0) _exit(125);
  if (game == 0) {
    setpgid(0, 0);
    if (job == Job::kForeground && tcsetpgrp(terminal, getpid()) != 0) _exit(126);
    return;
  }
  setpgid(game, game);
  // The shell keeps nothing of the test's open: a pipe end held here would never end.
  for (int fd = 3; fd < 1024; ++fd) {
    if (fd != report && fd != terminal) close(fd);
  }
  if (write(report, &game, sizeof game) != sizeof game) _exit(125);
  close(report);
  int status = 0;
  for (pid_t reported = 0; reported != game;) {
    int signal = 0;
    if (sigwait(&events, &signal) != 0) _exit(125);
    if (signal == SIGUSR1) {
      tcsetpgrp(terminal, game);
      kill(-game, SIGCONT);
      continue;
    }
    while ((reported = waitpid(game, &status, WNOHANG | WUNTRACED)) == game && WIFSTOPPED(status))
      tcsetpgrp(terminal, getpgrp());
    if (reported < 0) _exit(125);
  }
  if (WIFEXITED(status)) _exit(WEXITSTATUS(status));
  const int signal = WTERMSIG(status);
  struct sigaction default_action = {};
  default_action.sa_handler = SIG_DFL;
  sigaction(signal, &default_action, nullptr);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  kill(getpid(), signal);
  _exit(125);
}

// Between fork and exec only async-signal-safe calls: everything is prepared beforehand.
[[noreturn]] void BecomeHilo(const Launch& launch, char* const* argv, char* const* envp,
                             int report) {
  // A game ended by SIGQUIT must not leave a core file behind, nor its stand-in shell.
  const rlimit no_core = {0, 0};
  setrlimit(RLIMIT_CORE, &no_core);
  // A session of its own: without a terminal given, the game has no controlling terminal, even
  // when the tests run in one, so its key wait returns at once.
  setsid();
  if (launch.address_space_kib > 0) {
    const rlim_t bytes = static_cast<rlim_t>(launch.address_space_kib) * 1024;
    const rlimit address_space = {bytes, bytes};
    setrlimit(RLIMIT_AS, &address_space);
  }
  int terminal = -1;
  if (!launch.terminal.empty()) {
    terminal = open(launch.terminal.c_str(), O_RDWR);
    if (terminal < 0 || ioctl(terminal, TIOCSCTTY, 0) != 0) _exit(126);
    if (launch.job != Job::kNone) ForkGameAsJob(launch.job, terminal, report);
  }
  const int wanted[3] = {launch.input, launch.output, launch.errors};
  // Move the sources above the standard numbers first, so no dup2 overwrites a later source.
  int sources[3];
  for (int i = 0; i < 3; ++i) {
    const int from = wanted[i] == kControllingTerminal ? terminal : wanted[i];
    sources[i] = from >= 0 ? fcntl(from, F_DUPFD, 10) : -1;
  }
  for (int i = 0; i < 3; ++i) {
    if (sources[i] >= 0) {
      dup2(sources[i], i);
    } else {
      close(i);
    }
  }
  for (int fd = 3; fd < 1024; ++fd) close(fd);
  // The test decides which signals the game starts with ignored, whatever ctest was started with.
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  for (const int signal : {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGPIPE}) std::signal(signal, SIG_DFL);
  for (const int signal : launch.ignored_signals) std::signal(signal, SIG_IGN);
  // A program named without a folder is looked for on the PATH, as a shell would.
  execvpe(argv[0], argv, envp);
  _exit(127);
}

// Starts the game, or its stand-in shell, which then writes the game's id to report.
pid_t Spawn(const Launch& launch, int report) {
  std::vector<char*> envp;
  for (const std::string& entry : launch.environment)
    envp.push_back(const_cast<char*>(entry.c_str()));
  envp.push_back(nullptr);
  std::vector<std::string> command = launch.command;
  if (command.empty()) command = {HILO_PATH};
  std::vector<char*> argv;
  argv.reserve(command.size() + 1);
  for (std::string& word : command) argv.push_back(word.data());
  argv.push_back(nullptr);
  // A game that has stopped reading must not end the test that writes to it.
  std::signal(SIGPIPE, SIG_IGN);
  const pid_t pid = fork();
  if (pid < 0) Fail("fork failed");
  if (pid == 0) BecomeHilo(launch, argv.data(), envp.data(), report);
  return pid;
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

pid_t StartHilo(const Launch& launch) {
  Launch alone = launch;
  alone.job = Job::kNone;
  return Spawn(alone, -1);
}

JobProcesses StartHiloAsJob(const Launch& launch) {
  if (launch.job == Job::kNone || launch.terminal.empty()) Fail("a job needs a terminal");
  Pipe report = MakePipe();
  const pid_t shell = Spawn(launch, report.write.get());
  report.write.Close();
  pid_t game = -1;
  ssize_t count = 0;
  do {
    count = read(report.read.get(), &game, sizeof game);
  } while (count < 0 && errno == EINTR);
  if (count != sizeof game) {
    WaitForExit(shell);
    Fail("the stand-in shell could not start the game");
  }
  return {shell, game};
}

std::vector<std::string> SharedMemoryLeftBy(pid_t pid) {
  std::vector<std::string> left;
  for (const FaketimeSegment& segment : FaketimeSegments()) {
    if (segment.pid == std::to_string(pid)) left.push_back(segment.path.filename().string());
  }
  return left;
}

void BringToForeground(const JobProcesses& job) { kill(job.shell, SIGUSR1); }

void RemoveSharedMemoryOfEndedProcesses() {
  std::error_code error;
  for (const FaketimeSegment& segment : FaketimeSegments()) {
    // A process that has gone left them for nobody.
    if (!std::filesystem::exists("/proc/" + segment.pid, error))
      std::filesystem::remove(segment.path, error);
  }
}

std::optional<int> WaitForJob(const JobProcesses& job) {
  const auto status = WaitForExit(job.shell);
  RemoveSharedMemoryOfEndedProcesses();
  return status;
}

std::optional<int> WaitForExit(pid_t pid) {
  // Waiting on a descriptor of the process lets the wait have a safety timeout without polling.
  const Fd process(static_cast<int>(syscall(SYS_pidfd_open, pid, 0)));
  if (process.get() >= 0 && !WaitReadable(process.get(), Deadline())) {
    kill(pid, SIGKILL);
    WaitForExit(pid);
    return std::nullopt;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) Fail("waitpid failed");
  }
  RemoveSharedMemoryOfEndedProcesses();
  return status;
}

bool ReadUntil(int fd, std::string& out, std::string_view marker, std::size_t from) {
  const auto deadline = Deadline();
  while (out.find(marker, from) == std::string::npos) {
    if (!ReadMore(fd, out, deadline)) return false;
  }
  return true;
}

std::string ReadToEnd(int fd) {
  const auto deadline = Deadline();
  std::string out;
  while (ReadMore(fd, out, deadline)) {
  }
  return out;
}

bool EndedNormally(int status) { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }

Fd& Fd::operator=(Fd&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.Release();
  }
  return *this;
}

void Fd::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

int Fd::Release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

Pipe MakePipe() {
  int ends[2];
  if (pipe(ends) != 0) Fail("pipe failed");
  for (const int end : ends) fcntl(end, F_SETFD, FD_CLOEXEC);
  return {Fd(ends[0]), Fd(ends[1])};
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

std::optional<std::string> RunCommand(const std::vector<std::string>& command,
                                      const std::vector<std::string>& environment) {
  Pipe out = MakePipe();
  const Fd null(open("/dev/null", O_RDWR | O_CLOEXEC));
  const pid_t pid = StartHilo({.environment = environment,
                               .input = null.get(),
                               .output = out.write.get(),
                               .errors = null.get(),
                               .command = command});
  out.write.Close();
  std::string output = ReadToEnd(out.read.get());
  const auto status = WaitForExit(pid);
  if (!status || !EndedNormally(*status)) return std::nullopt;
  return output;
}

TextFile::TextFile(std::string_view text) {
  static int count = 0;
  path_ = std::filesystem::temp_directory_path() /
          ("hilo-test-" + std::to_string(getpid()) + "-" + std::to_string(++count));
  const Fd file(open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
  WriteAll(file.get(), text);
}

TextFile::~TextFile() {
  std::error_code ignored;
  std::filesystem::remove(path_, ignored);
}

Fd TextFile::Open() const { return Fd(open(path_.c_str(), O_RDONLY | O_CLOEXEC)); }

std::string TextFile::Read() const {
  std::ifstream in(path_, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

PseudoTerminal::PseudoTerminal() : master_(posix_openpt(O_RDWR | O_NOCTTY)) {
  if (master_.get() < 0 || grantpt(master_.get()) != 0 || unlockpt(master_.get()) != 0)
    Fail("no pseudo-terminal");
  fcntl(master_.get(), F_SETFD, FD_CLOEXEC);
  path_ = ptsname(master_.get());
  probe_ = Fd(open(path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
}

termios PseudoTerminal::Settings() const {
  termios settings{};
  EXPECT_EQ(tcgetattr(probe_.get(), &settings), 0);
  return settings;
}

std::optional<termios> PseudoTerminal::WaitUntilRaw() const {
  termios settings{};
  if (!WaitUntil([&] { return ((settings = Settings()).c_lflag & ICANON) == 0; }))
    return std::nullopt;
  return settings;
}

std::string PseudoTerminal::ScreenUntilNow(std::string& screen) const {
  constexpr std::string_view kMarker = "<end of the game>";
  const std::size_t from = screen.size();
  WriteAll(probe_.get(), kMarker);
  EXPECT_TRUE(ReadUntil(master(), screen, kMarker, from));
  return screen.substr(from, screen.rfind(kMarker) - from);
}

std::string PseudoTerminal::UnreadInput() const {
  // Out of line mode, so that a typed part of a line shows too.
  termios settings = Settings();
  settings.c_lflag &= ~static_cast<tcflag_t>(ICANON);
  settings.c_cc[VMIN] = 0;
  settings.c_cc[VTIME] = 0;
  EXPECT_EQ(tcsetattr(probe_.get(), TCSANOW, &settings), 0);
  std::string unread;
  char buffer[256];
  for (ssize_t count; (count = read(probe_.get(), buffer, sizeof buffer)) > 0;)
    unread.append(buffer, static_cast<std::size_t>(count));
  return unread;
}

void ExpectSameSettings(const termios& actual, const termios& expected) {
  EXPECT_EQ(actual.c_iflag, expected.c_iflag);
  EXPECT_EQ(actual.c_oflag, expected.c_oflag);
  EXPECT_EQ(actual.c_cflag, expected.c_cflag);
  EXPECT_EQ(actual.c_lflag, expected.c_lflag);
  for (std::size_t i = 0; i < NCCS; ++i)
    EXPECT_EQ(actual.c_cc[i], expected.c_cc[i]) << "c_cc " << i;
  EXPECT_EQ(cfgetispeed(&actual), cfgetispeed(&expected));
  EXPECT_EQ(cfgetospeed(&actual), cfgetospeed(&expected));
}

bool WaitUntil(const std::function<bool()>& done) {
  const auto deadline = Deadline();
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace hilo::e2e
