#include "e2e/e2e.h"

#include <fcntl.h>
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
#include <stdexcept>

#include "rules/card.h"
#include "rules/card_draw.h"

// Not every C library declares it.
extern char** environ;  // NOLINT(readability-redundant-declaration)

namespace hilo::e2e {
namespace {

// Long enough for a slow, loaded machine; only a game that hangs ever reaches it.
constexpr auto kSafetyTimeout = std::chrono::seconds(30);

// True when text begins with prefix.
bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Settings of the caller that must not reach the game: its locale and any clock faking.
bool IsReplacedSetting(std::string_view entry) {
  constexpr std::string_view kReplaced[] = {
      "LC_", "LANG=", "LANGUAGE=", "LOCPATH=", "FAKETIME", "LD_PRELOAD=", "TZ=", "DONT_FAKE"};
  return std::ranges::any_of(kReplaced,
                             [entry](std::string_view name) { return StartsWith(entry, name); });
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

// Between fork and exec only async-signal-safe calls: everything is prepared beforehand.
[[noreturn]] void BecomeHilo(const Launch& launch, char* const* argv, char* const* envp) {
  // A session of its own: without a terminal given, the game has no controlling terminal, even
  // when the tests run in one, so its key wait returns at once.
  setsid();
  int terminal = -1;
  if (!launch.terminal.empty()) {
    terminal = open(launch.terminal.c_str(), O_RDWR);
    if (terminal < 0 || ioctl(terminal, TIOCSCTTY, 0) != 0) _exit(126);
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
  // A game ended by SIGQUIT must not leave a core file behind.
  const rlimit no_core = {0, 0};
  setrlimit(RLIMIT_CORE, &no_core);
  execve(argv[0], argv, envp);
  _exit(127);
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
    environment.emplace_back("FAKETIME=2026-01-01 00:00:01");
    environment.emplace_back("LD_PRELOAD=" HILO_FAKETIME_LIBRARY);
  }
  environment.insert(environment.end(), extra.begin(), extra.end());
  return environment;
}

pid_t StartHilo(const Launch& launch) {
  std::vector<char*> envp;
  for (const std::string& entry : launch.environment)
    envp.push_back(const_cast<char*>(entry.c_str()));
  envp.push_back(nullptr);
  char path[] = HILO_PATH;
  char* const argv[] = {path, nullptr};
  // A game that has stopped reading must not end the test that writes to it.
  std::signal(SIGPIPE, SIG_IGN);
  const pid_t pid = fork();
  if (pid < 0) Fail("fork failed");
  if (pid == 0) BecomeHilo(launch, argv, envp.data());
  return pid;
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

std::string_view StoppedCard() { return CardLabel(*CardForSecond(kStoppedSecond)); }

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

}  // namespace hilo::e2e
