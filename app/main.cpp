#include <cstdio>
#include <new>

#include "app/system_clock.h"
#include "console/console.h"
#include "console/console_port.h"
#include "game/game_flow.h"
#include "rules/clock.h"

// The game takes no options: the command line is not looked at.
int main() {
  try {
    const auto port = hilo::MakeStandardPort();
    hilo::SystemClock clock;
    hilo::Console console(*port);
    hilo::GameFlow(console, clock).Run();
    // Every ending is a normal one; the console hands on its last output as it goes out of scope.
    return 0;
  } catch (const std::bad_alloc&) {
    // The game cannot go on without memory. The console, gone with the scope, has handed on what
    // it still held; one line says why the game stopped, on an unbuffered stream that needs none.
    std::fputs("hilo: out of memory\n", stderr);
    return 1;
  } catch (const hilo::ClockUnreadable&) {
    // No card can be drawn without the time, and waiting for a clock that fails may never end.
    // As above, the console has handed on what it held; one line says why the game stopped.
    std::fputs("hilo: cannot read the clock\n", stderr);
    return 1;
  }
}
