#include "app/platform_arguments.h"

namespace hilo {

// A POSIX system asks only with GNU's options: every argument stays as it is.
char* NativeOption(char* argument) { return argument; }

// The C library names the program by the first word getopt_long is given.
void NameProgramInMessages(char* /*name*/) {}

}  // namespace hilo
