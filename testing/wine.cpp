// The launchers of the Windows hilo.exe under Wine: on files, and on Wine's console in tmux.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>
#include <utility>

#include "testing/deadline.h"
#include "testing/launchers.h"
#include "testing/proc.h"
#include "testing/read_file.h"
#include "testing/same_text.h"

namespace hilo::e2e {
namespace {

// Wine's own settings for every game: the run's shared prefix (made by the wine_prefix fixture),
// no debugging messages, and the files' real times, by which Wine sees that the prefix is up to
// date: a stopped clock must not make it update the prefix again.
std::vector<std::string> WithWine(std::vector<std::string> environment) {
  return WithEntries(std::move(environment),
                     {"WINEPREFIX=" HILO_WINE_PREFIX, "WINEDEBUG=-all", "NO_FAKE_STAT=1"});
}

// With no terminal at all (StartHilo gives the game a session of its own), its key wait returns at
// once. libfaketime is preloaded into Wine directly.
Finished RunFromFiles(std::string_view input, const std::vector<std::string>& environment) {
  const TextFile in(input);
  const TextFile out("");
  const TextFile err("");
  const Fd input_fd = in.Open();
  const Fd output_fd = out.Open(O_WRONLY);
  const Fd errors_fd = err.Open(O_WRONLY);
  const pid_t pid = StartHilo({.environment = WithWine(environment),
                               .input = input_fd.get(),
                               .output = output_fd.get(),
                               .errors = errors_fd.get(),
                               .command = {HILO_WINE, HILO_WINE_EXE}});
  Finished finished;
  finished.status = WaitForExit(pid);
  finished.output = out.Read();
  finished.errors = err.Read();
  return finished;
}

// Waits until ready() holds, looking again every few milliseconds; fails the test, saying what
// was awaited and what is seen, after kWaitBound.
bool WaitFor(const std::string& what, const std::function<bool()>& ready,
             const std::function<std::string()>& seen) {
  const auto deadline = std::chrono::steady_clock::now() + kWaitBound;
  while (!ready()) {
    if (std::chrono::steady_clock::now() > deadline) {
      ADD_FAILURE() << "waited " << kWaitBound.count() << " s for " << what << "; " << seen();
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

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

// A typed line as Wine's console echoes it: a control character, such as a tab, as ^ and a
// letter.
std::string Echo(std::string_view line) {
  std::string echoed;
  for (const char byte : line) {
    if (static_cast<unsigned char>(byte) < 0x20) {
      echoed += '^';
      echoed += static_cast<char>(byte + 64);
    } else {
      echoed += byte;
    }
  }
  return echoed;
}

// The environment of the terminal: a Japanese UTF-8 locale, so that Wine's console shows the
// Japanese texts as the transcripts write them, made here once when none is installed.
const std::vector<std::string>& ConsoleEnvironment() {
  static const struct Made {
    TempFolder folder;
    std::vector<std::string> environment;
    Made() {
      std::vector<std::string> extra = {"LANG=ja_JP.UTF-8", "TERM=xterm"};
      const auto installed = RunCommand({"locale", "-a"}, GameEnvironment("C.UTF-8", {}, false));
      if (!installed || installed->find("ja_JP.utf8") == std::string::npos) {
        EXPECT_TRUE(MakeLocale(folder.path(), "ja_JP", "UTF-8", "ja_JP.UTF-8")) << "no ja_JP.UTF-8";
        extra.push_back("LOCPATH=" + folder.path().string());
      }
      environment = WithWine(GameEnvironment("ja_JP.UTF-8", extra, false));
    }
  } made;
  return made.environment;
}

// A tmux server of its own, holding one pane 200 columns wide that runs one game; what a player
// reads is its screen, and what a player types goes in through its keyboard.
class Tmux {
 public:
  Tmux() = default;
  ~Tmux() {
    // A destructor must not throw: a failed start of tmux fails the test instead.
    try {
      RunCommand({"tmux", "-S", (folder() / "socket").string(), "kill-server"},
                 ConsoleEnvironment());
    } catch (const std::exception& error) {
      ADD_FAILURE() << error.what();
    }
  }
  Tmux(const Tmux&) = delete;
  Tmux& operator=(const Tmux&) = delete;

  // Runs a tmux command on this server; returns what it printed.
  std::string Run(std::vector<std::string> arguments) const {
    std::vector<std::string> command = {"tmux",      "-u", "-f",
                                        "/dev/null", "-S", (folder() / "socket").string()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const auto printed = RunCommand(command, ConsoleEnvironment());
    EXPECT_TRUE(printed) << "tmux " << arguments[0] << " failed";
    return printed.value_or("");
  }

  // Starts the game, in environment and in folder, in the pane. Around it, a shell writes the
  // terminal's settings to "before", the game's exit status to "status" and keeps the terminal.
  void Start(const std::vector<std::string>& game, const std::vector<std::string>& environment) {
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

  // The whole screen, scrolled-off lines included, wrapped lines joined.
  std::string Screen() const { return Normalised(Run({"capture-pane", "-p", "-J", "-S", "-"})); }

  // What the screen shows, for a failure message.
  std::string Shown() const { return "the screen shows:\n" + Screen() + "\n--- (end of screen)"; }

  // Whether the terminal is in line mode, as it is until Wine's console takes it.
  bool Canonical() const {
    const Fd terminal(open(tty_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    termios settings{};
    return terminal.get() < 0 || tcgetattr(terminal.get(), &settings) != 0 ||
           (settings.c_lflag & ICANON) != 0;
  }

  // The processes whose controlling terminal is the pane's, but for its shell; named, or all.
  bool Runs(std::string_view name = {}) const {
    struct stat device {};
    if (stat(tty_.c_str(), &device) != 0) return false;
    return std::ranges::any_of(Processes(), [&](const ProcessStat& process) {
      return process.pid != shell_ && process.terminal == device.st_rdev &&
             (name.empty() || process.name == name);
    });
  }

  // The terminal's settings as stty gives them.
  std::string Settings() const {
    return RunCommand({"stty", "-g", "-F", tty_}, ConsoleEnvironment()).value_or("none");
  }

  // A file the shell around the game wrote; nullopt until it has.
  std::optional<std::string> Written(std::string_view name) const {
    return ReadFile(folder() / name);
  }

  const std::filesystem::path& folder() const { return folder_.path(); }

 private:
  TempFolder folder_;
  std::string tty_;
  int shell_ = -1;
};

// A Unix path as Wine's programs name it, on the drive Z: that is the Unix root.
std::string WindowsPath(const std::filesystem::path& path) {
  std::string name = "Z:" + std::filesystem::absolute(path).string();
  std::replace(name.begin(), name.end(), '/', '\\');
  return name;
}

// Where the game's words come from.
enum class Input { kTyped, kFromFile };

// Plays c on Wine's console of code page page: types the plan's lines, each once its screen shows,
// presses key where the game waits for one, and checks the screen, the exit status and the
// terminal.
void PlayOnConsole(const TranscriptCase& c, const Key& key, const CodePage& page, Input input) {
  using Ending = TranscriptCase::Ending;
  Tmux tmux;
  TypingPlan plan = PlanTyping(c, [](std::string_view line) { return Echo(line) + "\n"; });
  std::vector<std::string> game = {HILO_WINE, HILO_WINE_EXE};
  if (input == Input::kFromFile || !page.chcp.empty()) {
    // Wine's cmd takes the terminal as its console, which the game shares; chcp, told to keep
    // quiet, sets the console's code page first.
    game = {HILO_WINE, "cmd", "/c"};
    if (!page.chcp.empty()) game.insert(game.end(), {"chcp", page.chcp, ">nul", "&"});
    game.push_back(WindowsPath(HILO_WINE_EXE));
  }
  if (input == Input::kFromFile) {
    // cmd gives the game its standard input from the file; nothing is typed, nothing echoed.
    const std::filesystem::path input = tmux.folder() / "input";
    std::ofstream(input, std::ios::binary) << InForm(c.Input(), OutputForm::kCp932CrLf);
    game.insert(game.end(), {"<", WindowsPath(input)});
    plan = {.lines = {}, .screen = c.output};
  }
  std::vector<std::string> environment = StoppedClockAt(c.seconds[0]);
  if (!page.locale.empty()) environment.push_back("LC_ALL=" + page.locale);
  tmux.Start(game, environment);
  const auto shown = [&] { return tmux.Shown(); };
  // Waits until the screen shows expected and, when the game is to read more, Wine's console has
  // the terminal out of line mode.
  const auto show = [&](const std::string& expected, const std::string& what, bool waits) {
    const std::string wanted = Normalised(expected);
    return WaitFor(
        what,
        [&] {
          return tmux.Screen() == wanted && !(waits && tmux.Canonical()) &&
                 !(waits && tmux.Written("status"));
        },
        [&] { return "expected:\n" + wanted + "\n--- (end of expected); " + tmux.Shown(); });
  };
  for (const TypedLine& typed : plan.lines) {
    ASSERT_TRUE(show(typed.screen, "the prompt before typing " + typed.line, true));
    if (!typed.line.empty()) tmux.Run({"send-keys", "-l", typed.line});
    tmux.Run({"send-keys", "Enter"});
  }
  ASSERT_TRUE(show(plan.screen, "the whole game's text", c.ending != Ending::kGame));
  if (c.ending == Ending::kKey) {
    ASSERT_TRUE(tmux.Runs("hilo.exe")) << "the game ended before its key was pressed";
  }
  // Where the input would have run out, Ctrl+C ends a game waiting for a word at once.
  if (c.ending != Ending::kGame)
    tmux.Run({"send-keys", c.ending == Ending::kKey ? key.tmux : "C-c"});
  ASSERT_TRUE(WaitFor(
      "the game to end", [&] { return tmux.Written("status").has_value(); }, shown));
  // Wine's console may still be giving the terminal back when the game has ended.
  ASSERT_TRUE(WaitFor(
      "Wine to let go of the terminal", [&] { return !tmux.Runs(); }, shown));
  EXPECT_EQ(tmux.Screen(), Normalised(plan.screen)) << "the screen changed after the last text";
  if (c.ending != Ending::kInput) {
    EXPECT_EQ(tmux.Written("status"), "0\n");
  }
  EXPECT_EQ(tmux.Settings(), tmux.Written("before"));
}

}  // namespace

bool WineConfigured() { return *HILO_WINE_EXE != '\0'; }

Runner WineFromFiles() {
  return {.name = "wine_files", .form = OutputForm::kCp932CrLf, .run = RunFromFiles};
}

Launcher WineConsole(const Key& key, const CodePage& page) {
  std::string name = "wine_console";
  for (const std::string& part : {page.name, key.name})
    if (!part.empty()) name += "_" + part;
  return {.name = name, .play = [key, page](const TranscriptCase& c) {
            PlayOnConsole(c, key, page, Input::kTyped);
          }};
}

Launcher WineConsoleFromFile(const Key& key) {
  return {.name = "wine_console_from_file",
          .play = [key](const TranscriptCase& c) { PlayOnConsole(c, key, {}, Input::kFromFile); }};
}

}  // namespace hilo::e2e
