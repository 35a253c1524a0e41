#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>

#include "app/command_line.h"
#include "app/system_clock.h"
#include "app/translation.h"
#include "console/console.h"
#include "console/console_port.h"
#include "game/game_flow.h"
#include "rules/clock.h"

namespace {

constexpr const char* kOutOfMemory = "hilo: out of memory\n";

// Without memory even for the exception that says so, the runtime ends the game here, with no
// exception in flight: one line on the unbuffered standard error, which needs no memory, then
// status 1 as below. Anything else that ends the game here aborts it as before.
[[noreturn]] void EndWithoutMemory() {
  if (std::current_exception() == nullptr) {
    std::fputs(kOutOfMemory, stderr);
    std::_Exit(1);
  }
  std::abort();
}

}  // namespace

int main(int argc, char* argv[]) {
  // --help and --version answer without playing; any other argument is ignored.
  if (const auto answer = hilo::AnswerToCommandLine({argv + 1, argv + argc})) {
    const bool written = std::fwrite(answer->data(), 1, answer->size(), stdout) == answer->size();
    return written && std::fflush(stdout) == 0 ? 0 : 1;
  }
  // The player's character set, as the environment sets it, by which the output is encoded where
  // the platform converts it. It changes the whole process, so it is set here, once, at start-up.
  std::setlocale(LC_CTYPE, "");
  std::set_terminate(EndWithoutMemory);
  try {
    const auto port = hilo::MakeStandardPort();
    hilo::SystemClock clock;
    hilo::Console console(*port);
    // The texts in the player's language, chosen by the locale's messages category.
    hilo::GameFlow(console, clock, hilo::PlayersTranslation()).Run();
    // Every ending is a normal one; the console hands on its last output as it goes out of scope.
    return 0;
  } catch (const std::bad_alloc&) {
    // The game cannot go on without memory. The console, gone with the scope, has handed on what
    // it still held; one line says why the game stopped, on an unbuffered stream that needs none.
    std::fputs(kOutOfMemory, stderr);
    return 1;
  } catch (const hilo::ClockUnreadable&) {
    // No card can be drawn without the time, and waiting for a clock that fails may never end.
    // As above, the console has handed on what it held; one line says why the game stopped.
    std::fputs("hilo: cannot read the clock\n", stderr);
    return 1;
  }
}
