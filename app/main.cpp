#include "app/system_clock.h"
#include "console/console.h"
#include "console/console_port.h"
#include "game/game_flow.h"

// The game takes no options: the command line is not looked at.
int main() {
  const auto port = hilo::MakeStandardPort();
  hilo::SystemClock clock;
  hilo::Console console(*port);
  hilo::GameFlow(console, clock).Run();
  // Every ending is a normal one; the console hands on its last output as it goes out of scope.
  return 0;
}
