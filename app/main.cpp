#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>

#include "app/command_line.h"
#include "app/system_clock.h"
#include "app/translation.h"
#include "app/write_error.h"
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
  // Set first: reading the command line already takes memory.
  std::set_terminate(EndWithoutMemory);
  try {
    // --help and --version answer without playing, and a mistaken command line is said; the game
    // takes no other argument.
    if (const auto status = hilo::AnswerCommandLine({argv, argv + argc})) return *status;
    // The player's character set, as the environment sets it, by which the output is encoded
    // where the platform converts it. It changes the whole process, so it is set here, once.
    std::setlocale(LC_CTYPE, "");
    const auto port = hilo::MakeStandardPort();
    hilo::SystemClock clock;
    hilo::Console console(*port);
    // The texts in the player's language, chosen by the locale's messages category.
    hilo::GameFlow(console, clock, hilo::PlayersTranslation()).Run();
    // Every ending is a normal one, and it is a success if the player was shown everything. A
    // write that failed did not stop the game, since nobody could be told; now standard error is.
    return hilo::StatusAfterOutput(console.Finish());
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
