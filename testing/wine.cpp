// The launchers of the Windows hilo.exe under Wine: on files, and on Wine's console in tmux.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <utility>

#include "testing/deadline.h"
#include "testing/launchers.h"
#include "testing/tmux.h"

namespace hilo::e2e {
namespace {

// Wine's own settings for every game: the run's shared prefix (made by the wine_prefix fixture),
// no debugging messages, and the files' real times, by which Wine sees that the prefix is up to
// date: a stopped clock must not make it update the prefix again. The caller's other Wine
// settings, and its display, are not the tests' to use.
std::vector<std::string> WithWine(std::vector<std::string> environment) {
  std::erase_if(environment, [](std::string_view entry) {
    return entry.starts_with("WINEARCH=") || entry.starts_with("WINEDLLOVERRIDES=") ||
           entry.starts_with("DISPLAY=");
  });
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
  Tmux tmux(ConsoleEnvironment());
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
  // Once the screen shows a prompt, Wine's console has the terminal out of line mode to read.
  const auto reading = [&] { return !tmux.Canonical() && !tmux.Written("status"); };
  for (const TypedLine& typed : plan.lines) {
    ASSERT_TRUE(tmux.AwaitScreen(typed.screen, reading)) << "before typing " << typed.line;
    if (!typed.line.empty()) tmux.Run({"send-keys", "-l", typed.line});
    tmux.Run({"send-keys", "Enter"});
  }
  ASSERT_TRUE(tmux.AwaitScreen(plan.screen, [&] { return c.ending == Ending::kGame || reading(); }))
      << "the whole game's text";
  if (c.ending == Ending::kKey) {
    ASSERT_TRUE(tmux.Runs("hilo.exe")) << "the game ended before its key was pressed";
  }
  // Where the input would have run out, Ctrl+C ends a game waiting for a word at once.
  if (c.ending != Ending::kGame)
    tmux.Run({"send-keys", c.ending == Ending::kKey ? key.tmux : "C-c"});
  ASSERT_TRUE(WaitUntil([&] { return tmux.Written("status").has_value(); }))
      << "the game did not end; " << tmux.Shown();
  // Wine's console may still be giving the terminal back when the game has ended.
  ASSERT_TRUE(WaitUntil([&] { return !tmux.Runs(); }))
      << "Wine did not let go of the terminal; " << tmux.Shown();
  EXPECT_TRUE(tmux.AwaitScreen(plan.screen, [] { return true; }))
      << "the screen changed after the last text";
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
