#pragma once

#include <sys/syscall.h>
#include <sys/types.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "testing/read_file.h"

// What /proc tells of processes.
namespace hilo::e2e {

// A process as /proc/<pid>/stat gives it.
struct ProcessStat {
  pid_t pid;
  std::string name;  // of its program, as the kernel keeps it
  char state;        // 'T' while it is stopped
  dev_t terminal;    // its controlling terminal's device, 0 for none
};

// What /proc/<pid>/stat says now; nullopt once the process has gone.
inline std::optional<ProcessStat> ReadProcessStat(pid_t pid) {
  const auto line = ReadFile("/proc/" + std::to_string(pid) + "/stat");
  // The name, in parentheses, may hold anything: the other fields follow the last parenthesis.
  const std::size_t open = line ? line->find('(') : std::string::npos;
  const std::size_t close = line ? line->rfind(')') : std::string::npos;
  if (open == std::string::npos || close == std::string::npos) return std::nullopt;
  ProcessStat process = {pid, line->substr(open + 1, close - open - 1), '\0', 0};
  std::istringstream fields(line->substr(close + 1));
  // The parent, the group and the session come between the state and the terminal.
  long skipped = 0;
  long terminal = 0;
  if (!(fields >> process.state >> skipped >> skipped >> skipped >> terminal)) return std::nullopt;
  process.terminal = static_cast<dev_t>(terminal);
  return process;
}

// Every process there is now.
inline std::vector<ProcessStat> Processes() {
  std::vector<ProcessStat> processes;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    if (auto process = ReadProcessStat(std::stoi(name))) processes.push_back(*std::move(process));
  }
  return processes;
}

// A figure in KiB from /proc/<pid>/status, such as "VmHWM", the most memory the process has held
// at once; nullopt if unknown.
inline std::optional<long> StatusKiB(pid_t pid, std::string_view field) {
  std::istringstream status(ReadFile("/proc/" + std::to_string(pid) + "/status").value_or(""));
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with(field) && line[field.size()] == ':')
      return std::stol(line.substr(field.size() + 1));
  }
  return std::nullopt;
}

// True when the process sleeps, interruptibly, in a read or in a wait for a descriptor to become
// readable, as the game does once it has written all it has to and wants its input
// (/proc/<pid>/syscall). False while it runs, and wherever the kernel does not say (then only a
// wait's bound ends the wait). Under qemu-user the process is the emulator, whose own system calls
// are the guest's reads.
inline bool WaitsForInput(pid_t pid) {
  // The first field is the number of the call the process sleeps in, or "running".
  std::istringstream syscall(ReadFile("/proc/" + std::to_string(pid) + "/syscall").value_or(""));
  long call = -1;
  if (!(syscall >> call)) return false;
  constexpr long kWaitsForInput[] = {
      SYS_read,   SYS_readv, SYS_ppoll, SYS_pselect6,
#ifdef SYS_poll
      SYS_poll,
#endif
#ifdef SYS_select
      SYS_select,
#endif
  };
  // A read of a file sleeps too, but uninterruptibly ('D'), and ends by itself.
  const auto process = ReadProcessStat(pid);
  return std::ranges::find(kWaitsForInput, call) != std::end(kWaitsForInput) && process &&
         process->state == 'S';
}

}  // namespace hilo::e2e
