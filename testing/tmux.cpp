#include "testing/tmux.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>

#include <algorithm>
#include <exception>
#include <utility>

#include "testing/deadline.h"
#include "testing/proc.h"
#include "testing/read_file.h"
#include "testing/same_text.h"
#include "testing/spawn.h"

namespace hilo::e2e {
namespace {

// A screen's text as compared: no blanks at the end of a line, no empty lines at the end.
std::string Normalised(std::string_view text) {
  std::string out;
  std::size_t at = 0;
  while (at <= text.size()) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    std::string_view line = text.substr(at, end - at);
    while (line.ends_with(' ')) line.remove_suffix(1);
    out.append(line).append("\n");
    at = end + 1;
  }
  while (out.ends_with('\n')) out.pop_back();
  return out;
}

}  // namespace

Tmux::Tmux(std::vector<std::string> environment) : environment_(std::move(environment)) {}

Tmux::~Tmux() {
  // A destructor must not throw: a failed start of tmux fails the test instead.
  try {
    RunCommand({"tmux", "-S", (folder() / "socket").string(), "kill-server"}, environment_);
  } catch (const std::exception& error) {
    ADD_FAILURE() << error.what();
  }
}

std::string Tmux::Run(std::vector<std::string> arguments) const {
  std::vector<std::string> command = {"tmux",      "-u", "-f",
                                      "/dev/null", "-S", (folder() / "socket").string()};
  command.insert(command.end(), arguments.begin(), arguments.end());
  const auto printed = RunCommand(command, environment_);
  EXPECT_TRUE(printed) << "tmux " << arguments[0] << " failed";
  return printed.value_or("");
}

void Tmux::Start(const std::vector<std::string>& game,
                 const std::vector<std::string>& environment) {
  std::vector<std::string> command = {"start-server", ";",  "set-option",  "-g", "history-limit",
                                      "10000",        ";",  "set-option",  "-g", "remain-on-exit",
                                      "on",           ";",  "new-session", "-d", "-x",
                                      "200",          "-y", "50"};
  for (const std::string& entry : environment) command.insert(command.end(), {"-e", entry});
  // Ctrl+C at the terminal reaches this shell as well as the game: a trap, unlike an ignored
  // signal, is not passed on to the game.
  command.insert(command.end(), {"sh", "-c",
                                 "trap : INT; stty -g >\"$0/before\"; \"$@\"; "
                                 "echo $? >\"$0/status.part\"; mv \"$0/status.part\" "
                                 "\"$0/status\"; exec cat",
                                 folder().string()});
  command.insert(command.end(), game.begin(), game.end());
  Run(command);
  tty_ = Run({"display-message", "-p", "#{pane_tty}"});
  while (tty_.ends_with('\n')) tty_.pop_back();
  shell_ = std::stoi(Run({"display-message", "-p", "#{pane_pid}"}));
}

std::string Tmux::Screen() const {
  return Normalised(Run({"capture-pane", "-p", "-J", "-S", "-"}));
}

std::string Tmux::Shown() const {
  return "the screen shows:\n" + Screen() + "\n--- (end of screen)";
}

testing::AssertionResult Tmux::AwaitScreen(std::string_view expected,
                                           const std::function<bool()>& ready) const {
  const std::string wanted = Normalised(expected);
  std::string screen;
  const char* why = nullptr;
  const bool answered = WaitUntil([&] {
    // The game's status is looked at before its screen: the screen of a game that has ended is
    // its last.
    const bool ended = Written("status").has_value();
    screen = Screen();
    if (screen == wanted && ready()) return true;
    if (!wanted.starts_with(screen)) {
      why = "the screen departs from what is expected";
    } else if (ended) {
      why = "the game ended first";
    }
    return why != nullptr;
  });
  if (answered && why == nullptr) return testing::AssertionSuccess();
  return testing::AssertionFailure()
         << (why != nullptr ? why : "the screen stayed so for the wait's bound") << "\n"
         << SameText("seen", "expected", screen, wanted).message() << "\n"
         << Shown();
}

bool Tmux::Canonical() const {
  const Fd terminal(open(tty_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
  termios settings{};
  return terminal.get() < 0 || tcgetattr(terminal.get(), &settings) != 0 ||
         (settings.c_lflag & ICANON) != 0;
}

bool Tmux::Runs(std::string_view name) const {
  struct stat device {};
  if (stat(tty_.c_str(), &device) != 0) return false;
  return std::ranges::any_of(Processes(), [&](const ProcessStat& process) {
    return process.pid != shell_ && process.terminal == device.st_rdev &&
           (name.empty() || process.name == name);
  });
}

std::string Tmux::Settings() const {
  return RunCommand({"stty", "-g", "-F", tty_}, environment_).value_or("none");
}

std::optional<std::string> Tmux::Written(std::string_view name) const {
  return ReadFile(folder() / name);
}

}  // namespace hilo::e2e
