#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "testing/files.h"

// A tmux server of the test's own, as a terminal a player looks at and types into.
namespace hilo::e2e {

// A tmux server of its own, holding one pane 200 columns wide that runs one game; what a player
// reads is its screen, and what a player types goes in through its keyboard.
class Tmux {
 public:
  // A server whose commands, and the programs in its pane, run in environment.
  explicit Tmux(std::vector<std::string> environment);
  ~Tmux();
  Tmux(const Tmux&) = delete;
  Tmux& operator=(const Tmux&) = delete;

  // Runs a tmux command on this server; returns what it printed.
  std::string Run(std::vector<std::string> arguments) const;

  // Starts the game, with the entries of environment added, in the pane. Around it, a shell
  // writes the terminal's settings to "before", the game's exit status to "status" and keeps the
  // terminal.
  void Start(const std::vector<std::string>& game, const std::vector<std::string>& environment);

  // The whole screen, scrolled-off lines included, wrapped lines joined, with no blanks at the
  // end of a line and no empty lines at the end.
  std::string Screen() const;

  // What the screen shows, for a failure message.
  std::string Shown() const;

  // Waits until the screen shows expected (blanks as Screen has them) and ready() holds. Fails,
  // with expected and seen where they part, as soon as the screen departs from expected or the game
  // has ended without it, and after a generous bound, which only a game that hangs reaches.
  testing::AssertionResult AwaitScreen(std::string_view expected,
                                       const std::function<bool()>& ready) const;

  // Whether the terminal is in line mode, as it is until a full-screen program takes it.
  bool Canonical() const;

  // Whether a process, but for the pane's shell, has the pane as its controlling terminal; one
  // named name, when given.
  bool Runs(std::string_view name = {}) const;

  // The terminal's settings as stty gives them.
  std::string Settings() const;

  // A file the shell around the game wrote; nullopt until it has.
  std::optional<std::string> Written(std::string_view name) const;

  // The server's own folder, removed with it.
  const std::filesystem::path& folder() const { return folder_.path(); }

 private:
  std::vector<std::string> environment_;
  TempFolder folder_;
  std::string tty_;
  int shell_ = -1;
};

}  // namespace hilo::e2e
