// Plays every hand-written transcript on every launcher of the built game that can run it: those
// whose clock stands still, since a separate game's clock can only be stopped.

#include <algorithm>

#include "testing/launchers.h"

namespace hilo::e2e {
namespace {

[[maybe_unused]] const bool kRegistered = [] {
  RegisterTranscriptTests(ThroughPipes());
  RegisterTranscriptTests(OnTerminal());
  if (!WineConfigured()) return true;
  RegisterTranscriptTests(FromFiles(WineFromFiles()));
  RegisterTranscriptTests(WineConsole({.name = "", .tmux = "x"}));
  // The Japanese reads the same on the code page of an English Windows, Wine's in the C locale,
  // and on UTF-8 set by chcp.
  RegisterTranscriptTests(WineConsole({.name = "", .tmux = "x"}, {"cp437", "C.UTF-8", ""}));
  RegisterTranscriptTests(WineConsole({.name = "", .tmux = "x"}, {"cp65001", "C.UTF-8", "65001"}));
  // The shortest game that ends on the key wait ends it once more on an arrow and on Ctrl+C, and
  // once with its input on a file.
  std::vector<TranscriptCase> waiting = Transcripts();
  std::erase_if(waiting, [](const TranscriptCase& c) {
    return !c.StoppedClock() || c.ending != TranscriptCase::Ending::kKey;
  });
  const TranscriptCase& shortest = *std::ranges::min_element(
      waiting, {}, [](const TranscriptCase& c) { return c.output.size(); });
  RegisterTranscriptTest(WineConsole({.name = "left_arrow", .tmux = "Left"}), shortest);
  RegisterTranscriptTest(WineConsole({.name = "ctrl_c", .tmux = "C-c"}), shortest);
  RegisterTranscriptTest(WineConsoleFromFile({.name = "", .tmux = "x"}), shortest);
  return true;
}();

}  // namespace
}  // namespace hilo::e2e
