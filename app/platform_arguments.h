#pragma once

namespace hilo {

// The GNU option a platform's own way of asking means ("/?" is --help on Windows), for
// getopt_long to read; any other argument as it is.
char* NativeOption(char* argument);

// Makes name the program's name in the messages getopt_long writes, where the C library takes it
// from elsewhere than the first of the words it is given.
void NameProgramInMessages(char* name);

}  // namespace hilo
