#include "console/terminal_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "console/fd_io_posix.h"
#include "console/key_press_posix.h"

namespace hilo {
namespace {

// The signals that end the game while it waits for the key: its terminal must not stay raw.
// SIGINT is among them for when it is sent by kill, since Ctrl+C itself is just a key here.
constexpr std::array<int, 4> kEndingSignals = {SIGTERM, SIGHUP, SIGQUIT, SIGINT};

// A signal handler can reach nothing but globals: the terminal and its settings to put back.
int g_terminal = -1;
termios g_saved_settings;

// Applies settings at once, keeping whatever has been typed; false when the terminal refuses.
bool SetSettings(int fd, const termios& settings) {
  for (;;) {
    if (tcsetattr(fd, TCSANOW, &settings) == 0) return true;
    if (errno != EINTR) return false;
  }
}

// Puts the terminal back, then lets the signal have its default effect on the process. Only
// async-signal-safe calls.
extern "C" void RestoreTerminalAndEnd(int signal) {
  tcsetattr(g_terminal, TCSANOW, &g_saved_settings);
  struct sigaction default_action = {};
  default_action.sa_handler = SIG_DFL;
  sigemptyset(&default_action.sa_mask);
  sigaction(signal, &default_action, nullptr);
  raise(signal);
  // The signal is blocked while its own handler runs: unblock it so it ends the process now.
  sigset_t just_this;
  sigemptyset(&just_this);
  sigaddset(&just_this, signal);
  sigprocmask(SIG_UNBLOCK, &just_this, nullptr);
}

// For its lifetime, the ending signals put the terminal back before they end the process. A
// signal the game was started with ignored stays ignored.
class EndingSignalsRestoreTerminal {
 public:
  EndingSignalsRestoreTerminal(int fd, const termios& saved) {
    g_terminal = fd;
    g_saved_settings = saved;
    struct sigaction action = {};
    action.sa_handler = RestoreTerminalAndEnd;
    // One handler at a time: a second signal waits until the first has ended the process.
    sigemptyset(&action.sa_mask);
    for (const int signal : kEndingSignals) sigaddset(&action.sa_mask, signal);
    for (std::size_t i = 0; i < kEndingSignals.size(); ++i) {
      sigaction(kEndingSignals[i], nullptr, &previous_[i]);
      installed_[i] =
          previous_[i].sa_handler != SIG_IGN && sigaction(kEndingSignals[i], &action, nullptr) == 0;
    }
  }

  ~EndingSignalsRestoreTerminal() {
    for (std::size_t i = 0; i < kEndingSignals.size(); ++i) {
      if (installed_[i]) sigaction(kEndingSignals[i], &previous_[i], nullptr);
    }
  }

  EndingSignalsRestoreTerminal(const EndingSignalsRestoreTerminal&) = delete;
  EndingSignalsRestoreTerminal& operator=(const EndingSignalsRestoreTerminal&) = delete;

 private:
  std::array<struct sigaction, kEndingSignals.size()> previous_ = {};
  std::array<bool, kEndingSignals.size()> installed_ = {};
};

// For its lifetime, the terminal reads single bytes without echo, line editing or signal keys;
// the saved settings come back on every way out.
class RawMode {
 public:
  RawMode(int fd, const termios& saved) : fd_(fd), saved_(saved), raw_(saved) {
    raw_.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
    // Ctrl+S and Ctrl+Q are keys like any Ctrl with a letter, not flow control.
    raw_.c_iflag &= ~static_cast<tcflag_t>(IXON);
  }

  ~RawMode() {
    if (changed_) SetSettings(fd_, saved_);
  }

  RawMode(const RawMode&) = delete;
  RawMode& operator=(const RawMode&) = delete;

  // Makes a read return once it has at least min_bytes, or, with min_bytes 0, after waiting at
  // most tenths of a second for a byte. Settings only, so input already typed stays to be read.
  bool ReadUntil(cc_t min_bytes, cc_t tenths) {
    if (changed_ && raw_.c_cc[VMIN] == min_bytes && raw_.c_cc[VTIME] == tenths) return true;
    raw_.c_cc[VMIN] = min_bytes;
    raw_.c_cc[VTIME] = tenths;
    changed_ = true;
    return SetSettings(fd_, raw_);
  }

 private:
  int fd_;
  termios saved_;
  termios raw_;
  bool changed_ = false;
};

}  // namespace

TerminalKeyboard::TerminalKeyboard() {
  fd_ = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd_ >= 0 && fd_ <= STDERR_FILENO) {
    // The game was started with a standard stream closed: keep that one closed rather than let
    // the terminal stand in for it.
    const int moved = fcntl(fd_, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    close(fd_);
    fd_ = moved;
  }
  if (fd_ >= 0 && !isatty(fd_)) {
    close(fd_);
    fd_ = -1;
  }
}

TerminalKeyboard::~TerminalKeyboard() {
  if (fd_ >= 0) close(fd_);
}

void TerminalKeyboard::WaitKey() {
  termios saved;
  if (fd_ < 0 || tcgetattr(fd_, &saved) != 0) return;
  // Declared in this order so the terminal is put back before the handlers go.
  EndingSignalsRestoreTerminal signals(fd_, saved);
  RawMode raw(fd_, saved);

  ReadOneKey([&](std::span<char> buffer, KeyWait wait) -> std::ptrdiff_t {
    // Non-canonical reads: VMIN bytes at least, or with VMIN 0 at most VTIME tenths of a second.
    const bool set = wait == KeyWait::kForAByte          ? raw.ReadUntil(1, 0)
                     : wait == KeyWait::kATenthOfASecond ? raw.ReadUntil(0, 1)
                                                         : raw.ReadUntil(0, 0);
    return set ? ReadSome(fd_, buffer) : -1;
  });
}

}  // namespace hilo
