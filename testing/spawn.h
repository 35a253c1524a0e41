#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "testing/call_error.h"
#include "testing/deadline.h"
#include "testing/files.h"
#include "testing/stopped_clock.h"

// Starting any program as a process of its own, and waiting for it to end.
namespace hilo::e2e {

// Where one of a program's standard streams goes, besides an open descriptor.
inline constexpr int kClosed = -1;
inline constexpr int kControllingTerminal = -2;

// How to start a program.
struct Launch {
  std::vector<std::string> environment;  // the whole environment, as NAME=value
  int input = kClosed;
  int output = kClosed;
  int errors = kClosed;
  std::string terminal = {};  // made the controlling terminal of a new session, if not empty
  // Started ignored, as under nohup; every other one as default.
  std::vector<int> ignored_signals = {};
  long address_space_kib = 0;  // if not 0, the address space limit, as ulimit -v sets it
  // The program, looked for on the PATH when named without a folder, and its arguments.
  std::vector<std::string> command = {};
};

// What a started child writes on its report pipe, in one write, so that the records of a shell and
// its game never mix: a call that failed, with its errno, or a process it started.
struct Report {
  const char* failed_call;  // a literal: the child is a copy of the test, so it is there too
  int error;
  pid_t started;
};

// A started child's end of its report pipe: between fork and exec only async-signal-safe calls, so
// the child tells the test what failed instead of failing it.
struct ChildReport {
  int fd;

  // Tells that call failed, with errno, and ends the child.
  [[noreturn]] void Failed(const char* call) const {
    const Report failed = {call, errno, -1};
    // Where not even this can be told, the status says that the child failed.
    if (write(fd, &failed, sizeof failed) != sizeof failed) _exit(125);
    _exit(126);
  }
  // result, unless it is -1, a call's failure; then as Failed.
  int Checked(int result, const char* call) const {
    if (result == -1) Failed(call);
    return result;
  }
  // Tells the id of a process it started, as a stand-in shell tells its game's.
  void Started(pid_t pid) const {
    const Report started = {nullptr, 0, pid};
    if (write(fd, &started, sizeof started) != sizeof started) Failed("write");
  }
};

// Runs in the started child once it leads its session and holds its terminal (-1 without one),
// before its streams are set; where it returns, the program is run.
using InSession = std::function<void(int terminal, const ChildReport& report)>;

// In the started child: sets it up as launch says and runs the program.
[[noreturn]] inline void BecomeProgram(const Launch& launch, char* const* argv, char* const* envp,
                                       const ChildReport& report, const InSession& in_session) {
  // A program ended by SIGQUIT must not leave a core file behind, nor a stand-in shell.
  const rlimit no_core = {0, 0};
  report.Checked(setrlimit(RLIMIT_CORE, &no_core), "setrlimit RLIMIT_CORE");
  report.Checked(setsid(), "setsid");
  if (launch.address_space_kib > 0) {
    const rlim_t bytes = static_cast<rlim_t>(launch.address_space_kib) * 1024;
    const rlimit address_space = {bytes, bytes};
    report.Checked(setrlimit(RLIMIT_AS, &address_space), "setrlimit RLIMIT_AS");
  }
  int terminal = -1;
  if (!launch.terminal.empty()) {
    terminal = report.Checked(open(launch.terminal.c_str(), O_RDWR | O_CLOEXEC), "open terminal");
    report.Checked(ioctl(terminal, TIOCSCTTY, 0), "ioctl TIOCSCTTY");
  }
  if (in_session) in_session(terminal, report);
  // The test decides which signals the program starts with ignored, whatever ctest had.
  sigset_t none;
  sigemptyset(&none);
  report.Checked(sigprocmask(SIG_SETMASK, &none, nullptr), "sigprocmask");
  for (const int signal : {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGPIPE}) {
    if (std::signal(signal, SIG_DFL) == SIG_ERR) report.Failed("signal SIG_DFL");
  }
  for (const int signal : launch.ignored_signals) {
    if (std::signal(signal, SIG_IGN) == SIG_ERR) report.Failed("signal SIG_IGN");
  }
  const int wanted[3] = {launch.input, launch.output, launch.errors};
  // Move the sources above the standard numbers first, so no dup2 overwrites a later source.
  int sources[3];
  for (int i = 0; i < 3; ++i) {
    const int from = wanted[i] == kControllingTerminal ? terminal : wanted[i];
    sources[i] = from >= 0 ? report.Checked(fcntl(from, F_DUPFD_CLOEXEC, 10), "fcntl") : -1;
  }
  for (int i = 0; i < 3; ++i) {
    // close fails only where there is nothing to close.
    if (sources[i] < 0) close(i);
    if (sources[i] >= 0) report.Checked(dup2(sources[i], i), "dup2");
  }
  // Nothing else of the test's reaches the program, its report included: all is told.
  closefrom(3);
  execvpe(argv[0], argv, envp);
  _exit(127);
}

// Waits for the process to end and returns its wait status; nullopt (the process then killed) when
// it has not ended within kWaitBound. What libfaketime left is removed.
inline std::optional<int> WaitForExit(pid_t pid) {
  // Waiting on a descriptor of the process lets the wait have a bound without polling.
  const Fd process(Checked(static_cast<int>(syscall(SYS_pidfd_open, pid, 0)), "pidfd_open"));
  if (!WaitReadable(process.get(), Deadline())) {
    Checked(kill(pid, SIGKILL), "kill");
    WaitForExit(pid);
    return std::nullopt;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) FailedCall("waitpid");
  }
  RemoveSharedMemoryOfEndedProcesses();
  return status;
}

// A started process, and the one it told of starting itself (-1 for none).
struct Started {
  pid_t pid;
  pid_t reported;
};

// Starts launch's program in a session of its own (without a terminal given, it has none) and
// returns once it runs; a call that fails before ends the test. A program that cannot be run
// ends with status 127, as under a shell.
inline Started Start(const Launch& launch, const InSession& in_session = {}) {
  // The words as exec takes them, ended by a null pointer.
  const auto pointers = [](const std::vector<std::string>& words) {
    std::vector<char*> list;
    list.reserve(words.size() + 1);
    for (const std::string& word : words) list.push_back(const_cast<char*>(word.c_str()));
    list.push_back(nullptr);
    return list;
  };
  const std::vector<char*> argv = pointers(launch.command);
  const std::vector<char*> envp = pointers(launch.environment);
  // A program that has stopped reading must not end the test that writes to it.
  if (std::signal(SIGPIPE, SIG_IGN) == SIG_ERR) FailedCall("signal SIGPIPE");
  Pipe report = MakePipe();
  // Above the standard streams, which the child replaces.
  Fd child_end(Checked(fcntl(report.write.get(), F_DUPFD_CLOEXEC, 3), "fcntl"));
  report.write.Close();
  const pid_t pid = Checked(fork(), "fork");
  if (pid == 0)
    BecomeProgram(launch, argv.data(), envp.data(), ChildReport{child_end.get()}, in_session);
  child_end.Close();
  // The child's end closes as its program runs, and so the report ends.
  const std::string said = ReadToEnd(report.read.get());
  Started started = {pid, -1};
  for (std::size_t at = 0; at + sizeof(Report) <= said.size(); at += sizeof(Report)) {
    Report record{};
    std::memcpy(&record, said.data() + at, sizeof record);
    if (record.failed_call != nullptr) {
      WaitForExit(pid);
      FailedCall(std::string(record.failed_call) + " in the child starting " + launch.command[0],
                 record.error);
    }
    started.reported = record.started;
  }
  return started;
}

// Runs command to its end with no input; returns what it wrote, or nullopt when it failed.
inline std::optional<std::string> RunCommand(const std::vector<std::string>& command,
                                             const std::vector<std::string>& environment) {
  Pipe out = MakePipe();
  const Fd null(Checked(open("/dev/null", O_RDWR | O_CLOEXEC), "open /dev/null"));
  const pid_t pid = Start({.environment = environment,
                           .input = null.get(),
                           .output = out.write.get(),
                           .errors = null.get(),
                           .command = command})
                        .pid;
  out.write.Close();
  std::string output = ReadToEnd(out.read.get());
  const auto status = WaitForExit(pid);
  if (!status || !testing::ExitedWithCode(0)(*status)) return std::nullopt;
  return output;
}

// For EXPECT_PRED_FORMAT2: WaitForExit's status is one that ended (testing::ExitedWithCode(0),
// testing::KilledBySignal(SIGINT)) accepts; else it says how the process ended.
inline testing::AssertionResult EndedAs(const char* status_expr, const char* ended_expr,
                                        const std::optional<int>& status,
                                        const std::function<bool(int)>& ended) {
  if (status && ended(*status)) return testing::AssertionSuccess();
  testing::AssertionResult failure = testing::AssertionFailure()
                                     << status_expr << " is not " << ended_expr << ": the process ";
  if (!status) return failure << "had not ended after " << kWaitBound.count() << " s";
  if (WIFEXITED(*status)) return failure << "exited with code " << WEXITSTATUS(*status);
  return failure << "was killed by signal " << WTERMSIG(*status) << " ("
                 << strsignal(WTERMSIG(*status)) << ")";
}

}  // namespace hilo::e2e
