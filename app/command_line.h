#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace hilo {

// What the game prints instead of playing when its command line asks, as GNU programs answer
// --help (a short usage) and --version; the first of the two among the arguments wins. Nullopt
// when the game plays: every other argument is ignored, so whatever starts it with some still does.
std::optional<std::string_view> AnswerToCommandLine(std::span<char* const> arguments);

}  // namespace hilo
