#include "console/posix/raw_mode.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iterator>

namespace hilo {
namespace {

// Every signal whose default action ends the process, as this system defines them, besides the
// real-time ones: none of them may leave the terminal raw. SIGKILL cannot be caught. The rest stop
// the process (SIGSTOP, SIGTSTP, SIGTTIN, SIGTTOU), continue it (SIGCONT) or are ignored (SIGCHLD,
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

// A signal handler can reach nothing but globals. The terminal and its saved settings are set
// before the handlers come and stay as they are while they live; how long a read waits may change
// between reads, so it is kept in values a handler reads whole.
int g_terminal = -1;
termios g_saved;
volatile sig_atomic_t g_raw_wanted = 0;
volatile sig_atomic_t g_min_bytes = 1;
volatile sig_atomic_t g_tenths = 0;

// The handlers the process had before, to give back; a signal not taken over is not marked.
struct sigaction g_previous[NSIG];
bool g_taken_over[NSIG];

// True when the terminal is in raw mode: the game's, as nobody else turns all of these off.
bool IsRaw(const termios& settings) {
  return (settings.c_lflag & kRawLocalOff) == 0 && (settings.c_iflag & kRawInputOff) == 0;
}

// The saved settings in raw mode, with the current wait for a read.
termios RawSettings() {
  termios raw = g_saved;
  raw.c_lflag &= ~kRawLocalOff;
  raw.c_iflag &= ~kRawInputOff;
  raw.c_cc[VMIN] = static_cast<cc_t>(g_min_bytes);
  raw.c_cc[VTIME] = static_cast<cc_t>(g_tenths);
  return raw;
}

// Applies settings at once, keeping whatever has been typed; false when the terminal refuses.
bool SetSettings(const termios& settings) {
  for (;;) {
    if (tcsetattr(g_terminal, TCSANOW, &settings) == 0) return true;
    if (errno != EINTR) return false;
  }
}

// Puts the saved settings back if the terminal is in raw mode. From a background process group
// too: with SIGTTOU blocked the change goes through, where it would otherwise stop the game again
// and keep it from ending. Async-signal-safe.
void PutBack() {
  termios now;
  if (tcgetattr(g_terminal, &now) != 0 || !IsRaw(now)) return;
  sigset_t tty_output;
  sigset_t before;
  sigemptyset(&tty_output);
  sigaddset(&tty_output, SIGTTOU);
  sigprocmask(SIG_BLOCK, &tty_output, &before);
  SetSettings(g_saved);
  sigprocmask(SIG_SETMASK, &before, nullptr);
}

// Enters raw mode again while it is wanted and the terminal is not in it: after a stop, a shell
// may have set its own modes. From the background, SIGTTOU stops the game right here until it is
// brought to the foreground, as job control expects. Async-signal-safe.
void Resume() {
  termios now;
  if (g_raw_wanted == 0 || (tcgetattr(g_terminal, &now) == 0 && IsRaw(now))) return;
  SetSettings(RawSettings());
}

// Puts the terminal back, then lets the signal have its default effect on the process.
extern "C" void PutBackAndEnd(int signal) {
  PutBack();
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

// Puts the terminal back and stops the process, as SIGTSTP does by default; once it goes on,
// raw mode comes back and the wait for the key goes on.
extern "C" void PutBackAndStop(int signal) {
  const int saved_errno = errno;
  PutBack();
  struct sigaction default_action = {};
  struct sigaction ours = {};
  default_action.sa_handler = SIG_DFL;
  sigemptyset(&default_action.sa_mask);
  sigaction(signal, &default_action, &ours);
  raise(signal);
  sigset_t just_this;
  sigemptyset(&just_this);
  sigaddset(&just_this, signal);
  // Stops here until SIGCONT.
  sigprocmask(SIG_UNBLOCK, &just_this, nullptr);
  sigaction(signal, &ours, nullptr);
  Resume();
  errno = saved_errno;
}

// Goes on after a stop of any kind, SIGSTOP among them, which no handler sees.
extern "C" void ResumeRawMode(int /*signal*/) {
  const int saved_errno = errno;
  Resume();
  errno = saved_errno;
}

// Makes handler the handler of signal, blocking mask while it runs. A signal the game was
// started with ignored stays ignored.
void TakeOver(int signal, void (*handler)(int), const sigset_t& mask) {
  struct sigaction& previous = g_previous[signal];
  if (sigaction(signal, nullptr, &previous) != 0) return;
  if ((previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler == SIG_IGN) return;
  struct sigaction action = {};
  action.sa_handler = handler;
  action.sa_mask = mask;
  g_taken_over[signal] = sigaction(signal, &action, nullptr) == 0;
}

}  // namespace

RawMode::RawMode(int fd, const termios& saved) {
  g_terminal = fd;
  g_saved = saved;
  g_raw_wanted = 0;
  // An ending signal runs alone: a second one, or a stop, waits until the first has ended the
  // process. Stopping and going on do not hold ending signals back, so that a stopped game can
  // still be ended, but wait for each other.
  sigset_t ending;
  sigset_t job_control;
  sigemptyset(&ending);
  sigemptyset(&job_control);
  sigaddset(&job_control, SIGTSTP);
  sigaddset(&job_control, SIGCONT);
  sigaddset(&ending, SIGTSTP);
  sigaddset(&ending, SIGCONT);
  for (int signal = 1; signal < NSIG; ++signal) {
    if (EndsTheProcess(signal)) sigaddset(&ending, signal);
  }
  for (int signal = 1; signal < NSIG; ++signal) {
    if (EndsTheProcess(signal)) TakeOver(signal, PutBackAndEnd, ending);
  }
  TakeOver(SIGTSTP, PutBackAndStop, job_control);
  TakeOver(SIGCONT, ResumeRawMode, job_control);
}

RawMode::~RawMode() {
  // No handler may enter raw mode again once the terminal is put back.
  g_raw_wanted = 0;
  PutBack();
  for (int signal = 1; signal < NSIG; ++signal) {
    if (g_taken_over[signal]) sigaction(signal, &g_previous[signal], nullptr);
    g_taken_over[signal] = false;
  }
}

// Raw mode is one per process, kept where its signal handlers reach it.
// NOLINTNEXTLINE(readability-convert-member-functions-to-static)
bool RawMode::ReadUntil(cc_t min_bytes, cc_t tenths) {
  if (g_raw_wanted != 0 && g_min_bytes == min_bytes && g_tenths == tenths) return true;
  g_min_bytes = min_bytes;
  g_tenths = tenths;
  g_raw_wanted = 1;
  return SetSettings(RawSettings());
}

}  // namespace hilo
