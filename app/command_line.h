#pragma once

#include <optional>
#include <span>

namespace hilo {

// Reads the command line (arguments, the program's path first) as GNU programs read theirs, with
// getopt_long: --help and --version, or any unambiguous prefix of them, answer without playing,
// and "--" ends the options. Returns the status to exit with once the help or the version has
// been written (0, or 1 when the write failed) or a mistake said on standard error (2: an unknown
// option, an option given a value, an operand); nullopt when the game is to be played.
std::optional<int> AnswerCommandLine(std::span<char* const> arguments);

}  // namespace hilo
