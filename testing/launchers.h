#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "testing/game_process.h"
#include "testing/player.h"

// The launchers that start the game as a process of its own, its clock stopped by libfaketime.
namespace hilo::e2e {

// A way to run the game on input given whole, to its end, and the form of what it writes.
struct Runner {
  std::string name;
  OutputForm form;
  // Runs it in environment (see GameEnvironment; the runner adds its own entries).
  std::function<Finished(std::string_view input, const std::vector<std::string>& environment)> run;
};

// The game (see GameCommand) through pipes.
Runner PipesRunner();

// True when this build was given a Windows hilo.exe to play under Wine.
bool WineConfigured();

// hilo.exe under Wine, its input and output on files, in the run's shared Wine prefix.
Runner WineFromFiles();

// Every runner this build has: the pipes, and Wine when configured.
std::vector<Runner> Runners();

// Plays a transcript through runner, its clock stopped, its input given whole: byte for byte,
// nothing on standard error, status 0.
Launcher FromFiles(const Runner& runner);

// The game (see GameCommand) through pipes, its clock stopped: each line typed once its prompt has
// arrived, byte for byte, nothing on standard error, status 0.
Launcher ThroughPipes();

// The built game on a pseudo-terminal that is its controlling terminal: each line typed once its
// prompt shows, the screen as the terminal shows it (echo, CR LF), the key wait ended by a key.
Launcher OnTerminal();

// A key, by its tmux name, and what it adds to a test's name (nothing for the usual letter).
struct Key {
  std::string name;
  std::string tmux;
};

// The code page of Wine's console, which Wine takes from the locale, or cmd's chcp sets.
struct CodePage {
  std::string name;    // what it adds to a test's name (nothing for Japanese, 932)
  std::string locale;  // the terminal's locale; empty for a Japanese UTF-8 one
  std::string chcp;    // given to chcp in "wine cmd /c" before the game; empty for none
};

// hilo.exe on Wine's console inside tmux, in a Japanese UTF-8 locale unless page says otherwise:
// each line typed once its prompt shows, the screen as Wine's console shows it, a key wait ended by
// key, exit status 0 and the terminal's settings as found.
Launcher WineConsole(const Key& key, const CodePage& page = {});

// As WineConsole, but the game takes its input from a file through "wine cmd /c", and only the
// key is typed.
Launcher WineConsoleFromFile(const Key& key);

}  // namespace hilo::e2e
