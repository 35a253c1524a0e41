#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

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
  std::vector<int> ignored_signals =
      {};                      // started ignored, as under nohup; every other one as default
  long address_space_kib = 0;  // if not 0, the address space limit, as ulimit -v sets it
  // The program, looked for on the PATH when named without a folder, and its arguments.
  std::vector<std::string> command = {};
};

// The started child's end of the pipe on which it tells the test, before its program runs, which
// call failed or which process it started itself. Between fork and exec, a child makes only
// async-signal-safe calls, so it cannot fail the test itself.
struct ChildReport {
  int fd;

  // Tells that call failed, with errno, and ends the child.
  [[noreturn]] void Failed(const char* call) const;
  // result, unless it is -1, a call's failure; then as Failed.
  int Checked(int result, const char* call) const;
  // Tells the id of a process it started, as a stand-in shell tells its game's.
  void Started(pid_t pid) const;
};

// Runs in the started child once it leads its session and holds its terminal (-1 without one),
// before its streams are set; where it returns, the program is run.
using InSession = std::function<void(int terminal, const ChildReport& report)>;

// A started process, and the one it told of starting itself (-1 for none).
struct Started {
  pid_t pid;
  pid_t reported;
};

// Starts launch's program in a session of its own, so that without a terminal given it has no
// controlling terminal even when the tests run in one. Returns once the program runs; fails the
// test, naming the call, when the child fails before. A program that cannot be run at all ends
// with status 127, as under a shell.
Started Start(const Launch& launch, const InSession& in_session = {});

// Waits for the process to end and returns its wait status; nullopt (the process then killed) when
// it has not ended within kWaitBound. What libfaketime left is removed.
std::optional<int> WaitForExit(pid_t pid);

// Runs command to its end with no input; returns what it wrote, or nullopt when it failed.
std::optional<std::string> RunCommand(const std::vector<std::string>& command,
                                      const std::vector<std::string>& environment);

// For EXPECT_PRED_FORMAT2: the wait status, as WaitForExit gives it, is one that ended accepts
// (testing::ExitedWithCode(0), testing::KilledBySignal(SIGINT)); else it says how the process
// ended.
testing::AssertionResult EndedAs(const char* status_expr, const char* ended_expr,
                                 const std::optional<int>& status,
                                 const std::function<bool(int)>& ended);

}  // namespace hilo::e2e
