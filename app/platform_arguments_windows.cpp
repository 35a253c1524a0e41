#include <cstdlib>
#include <string_view>

#include "app/platform_arguments.h"

namespace hilo {
namespace {

char kHelp[] = "--help";

}  // namespace

// Windows programs answer "/?" with their help.
char* NativeOption(char* argument) { return std::string_view(argument) == "/?" ? kHelp : argument; }

// mingw-w64's getopt_long names the program by the path it was started by, __argv[0].
void NameProgramInMessages(char* name) { __argv[0] = name; }

}  // namespace hilo
