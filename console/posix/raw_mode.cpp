#include "console/posix/raw_mode.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iterator>

namespace hilo {
namespace {

// Every signal whose default action ends the process, as this system defines them, besides the
// real-time ones: none of them may leave the terminal raw. SIGKILL cannot be caught, nor can
// signals 32 and 33, below SIGRTMIN, which glibc keeps for itself. The rest stop the process
// (SIGSTOP, SIGTSTP, SIGTTIN, SIGTTOU), continue it (SIGCONT) or are ignored (SIGCHLD,
// SIGURG, SIGWINCH). SIGINT is among them for when it is sent by kill, since Ctrl+C is a key here.
constexpr int kDeadlySignals[] = {
    SIGHUP,    SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS, SIGFPE,  SIGUSR1,   SIGSEGV,
    SIGUSR2,   SIGPIPE, SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ, SIGSYS, SIGPROF, SIGVTALRM,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGPOLL  // SIGIO where it ends the process; elsewhere SIGIO is ignored by default
    SIGPOLL,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
#ifdef SIGEMT
    SIGEMT,
#endif
#ifdef SIGLOST
    SIGLOST,
#endif
};

// True when signal's default action ends the process.
bool EndsTheProcess(int signal) {
  return std::find(std::begin(kDeadlySignals), std::end(kDeadlySignals), signal) !=
             std::end(kDeadlySignals) ||
         (signal >= SIGRTMIN && signal <= SIGRTMAX);
}

// The settings raw mode turns off: echo, line editing, signal keys, and flow control, so that
// Ctrl+S and Ctrl+Q are keys like any Ctrl with a letter.
constexpr tcflag_t kRawLocalOff = ICANON | ECHO | ISIG | IEXTEN;
constexpr tcflag_t kRawInputOff = IXON;

// Everything raw mode keeps, in one place, since its signal handlers can reach nothing but
// globals. The game changes it only with those signals held, and each handler holds the others
// off, so none ever sees it half changed.
struct RawModeState {
  int terminal = -1;
  bool wanted = false;   // from the first ReadUntil until raw mode ends
  bool applied = false;  // raw has been set at least once
  cc_t min_bytes = 1;
  termios saved{};  // what to put back: the terminal's settings when the game last took it
  termios raw{};    // what the game set last
  sigset_t handled{};
  struct sigaction previous[NSIG] {};  // the handlers the process had before, to give back
  bool taken_over[NSIG]{};
};
RawModeState g_raw_mode;
bool g_raw_mode_owned = false;  // a RawMode lives, and the state is its own

// While it lives, every signal raw mode handles is held off.
class SignalsHeld {
 public:
  SignalsHeld() { sigprocmask(SIG_BLOCK, &g_raw_mode.handled, &before_); }
  ~SignalsHeld() { sigprocmask(SIG_SETMASK, &before_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t before_{};
};

// True when the terminal is the game's to change: its process group is the foreground one.
bool InForeground() { return tcgetpgrp(g_raw_mode.terminal) == getpgrp(); }

// True when the terminal holds settings exactly: flags, control characters and speeds.
bool Holds(const termios& now, const termios& settings) {
  return now.c_iflag == settings.c_iflag && now.c_oflag == settings.c_oflag &&
         now.c_cflag == settings.c_cflag && now.c_lflag == settings.c_lflag &&
         std::equal(std::begin(now.c_cc), std::end(now.c_cc), std::begin(settings.c_cc)) &&
         cfgetispeed(&now) == cfgetispeed(&settings) && cfgetospeed(&now) == cfgetospeed(&settings);
}

// Applies settings at once, keeping whatever has been typed; false when the terminal refuses.
bool SetSettings(const termios& settings) {
  for (;;) {
    if (tcsetattr(g_raw_mode.terminal, TCSANOW, &settings) == 0) return true;
    if (errno != EINTR) return false;
  }
}

// Enters raw mode from the foreground; from the background the game's next read of the terminal
// stops it until it is brought back, and this runs again. The settings the terminal holds are
// saved first unless they are the game's own: after a stop, a shell may have set new ones. False
// when the terminal refuses. Async-signal-safe.
bool Enter() {
  RawModeState& state = g_raw_mode;
  termios now;
  if (!InForeground()) return true;
  if (tcgetattr(state.terminal, &now) != 0) return false;
  if (!state.applied || !Holds(now, state.raw)) state.saved = now;
  termios raw = state.saved;
  raw.c_lflag &= ~kRawLocalOff;
  raw.c_iflag &= ~kRawInputOff;
  raw.c_cc[VMIN] = state.min_bytes;
  raw.c_cc[VTIME] = 0;  // a wait for the rest of a key is timed by poll, not here
  if (!SetSettings(raw)) return false;
  // What the game set, not what the terminal reports afterwards, where a SIGSTOP in between could
  // let a shell's settings pass for the game's; and only once set, so that until then the raw
  // settings before (another wait for a read) still count as the game's.
  state.raw = raw;
  state.applied = true;
  return true;
}

// Puts the saved settings back, from the foreground and only over the game's own raw mode.
// Async-signal-safe.
void PutBack() {
  termios now;
  if (g_raw_mode.applied && InForeground() && tcgetattr(g_raw_mode.terminal, &now) == 0 &&
      Holds(now, g_raw_mode.raw))
    SetSettings(g_raw_mode.saved);
}

// Puts the terminal back, then lets the signal have its default effect: the process ends, or it
// stops and, once continued, takes the terminal again and goes on waiting for the key.
extern "C" void PutBackAndRaise(int signal) {
  const int saved_errno = errno;
  PutBack();
  struct sigaction default_action = {};
  struct sigaction ours = {};
  default_action.sa_handler = SIG_DFL;
  sigemptyset(&default_action.sa_mask);
  sigaction(signal, &default_action, &ours);
  raise(signal);
  // The signal is blocked while its own handler runs: unblocked, it ends or stops the process here.
  sigset_t just_this;
  sigemptyset(&just_this);
  sigaddset(&just_this, signal);
  sigprocmask(SIG_UNBLOCK, &just_this, nullptr);
  sigaction(signal, &ours, nullptr);
  if (g_raw_mode.wanted) Enter();
  errno = saved_errno;
}

// Goes on after a stop of any kind, SIGSTOP and a background read's SIGTTIN among them, which no
// handler sees. The game's read of the terminal is interrupted, so it reads again in raw mode.
extern "C" void EnterAgain(int /*signal*/) {
  const int saved_errno = errno;
  if (g_raw_mode.wanted) Enter();
  errno = saved_errno;
}

// Makes handler the handler of signal, blocking the others while it runs. A signal the game was
// started with ignored stays ignored.
void TakeOver(int signal, void (*handler)(int)) {
  struct sigaction& previous = g_raw_mode.previous[signal];
  if (sigaction(signal, nullptr, &previous) != 0) return;
  if ((previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler == SIG_IGN) return;
  struct sigaction action = {};
  action.sa_handler = handler;
  action.sa_mask = g_raw_mode.handled;
  g_raw_mode.taken_over[signal] = sigaction(signal, &action, nullptr) == 0;
}

}  // namespace

RawMode::RawMode(int fd) : owns_(!g_raw_mode_owned) {
  if (!owns_) return;
  g_raw_mode_owned = true;
  g_raw_mode = RawModeState{};
  g_raw_mode.terminal = fd;
  sigset_t& handled = g_raw_mode.handled;
  sigemptyset(&handled);
  sigaddset(&handled, SIGTSTP);
  sigaddset(&handled, SIGCONT);
  for (int signal = 1; signal < NSIG; ++signal) {
    if (EndsTheProcess(signal)) sigaddset(&handled, signal);
  }
  for (int signal = 1; signal < NSIG; ++signal) {
    if (EndsTheProcess(signal)) TakeOver(signal, PutBackAndRaise);
  }
  TakeOver(SIGTSTP, PutBackAndRaise);
  TakeOver(SIGCONT, EnterAgain);
}

RawMode::~RawMode() {
  if (!owns_) return;
  const SignalsHeld held;
  g_raw_mode.wanted = false;
  PutBack();
  // Signals that came meanwhile meet the old handlers as they are let through.
  for (int signal = 1; signal < NSIG; ++signal) {
    if (g_raw_mode.taken_over[signal]) sigaction(signal, &g_raw_mode.previous[signal], nullptr);
  }
  g_raw_mode_owned = false;
}

bool RawMode::ReadUntil(cc_t min_bytes) {
  if (!owns_) return false;
  RawModeState& state = g_raw_mode;
  if (state.wanted && state.min_bytes == min_bytes) return true;
  const SignalsHeld held;
  state.wanted = true;
  state.min_bytes = min_bytes;
  return Enter();
}

}  // namespace hilo
