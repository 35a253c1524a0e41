#include "app/command_line.h"

#include <algorithm>

namespace hilo {
namespace {

// In English, for whoever installs or packages the game: the game's own texts are Japanese.
constexpr std::string_view kUsage =
    "Usage: hilo [--help | --version]\n"
    "A card game for one player: a card from 2 to A is shown, and you guess whether\n"
    "the next card is higher or lower. Type a word at each prompt, then Enter:\n"
    "  hard, nomal, easy, beginner  choose the difficulty (spelt so)\n"
    "  h, l                         the next card is higher, or lower\n"
    "  y, n                         yes or no to a question\n"
    "  finish                       quit the game\n"
    "  change                       go back to the choice of difficulty\n"
    "The introduction is in Japanese; the rules, in English, are in man 6 hilo.\n";

constexpr std::string_view kVersion = "hilo " HILO_VERSION "\n";

}  // namespace

std::optional<std::string_view> AnswerToCommandLine(std::span<char* const> arguments) {
  const auto asks = std::ranges::find_if(arguments, [](std::string_view argument) {
    return argument == "--help" || argument == "--version";
  });
  if (asks == arguments.end()) return std::nullopt;
  return std::string_view(*asks) == "--help" ? kUsage : kVersion;
}

}  // namespace hilo
