#include "app/command_line.h"

#include <getopt.h>

#include <cstdio>
#include <string_view>
#include <vector>

#include "app/platform_arguments.h"
#include "app/write_error.h"

namespace hilo {
namespace {

// In English, for whoever installs or packages the game, whatever language it plays in.
constexpr std::string_view kUsage =
    "Usage: hilo [--help | --version]\n"
    "A card game for one player: a card from 2 to A is shown, and you guess whether\n"
    "the next card is higher or lower. Type a word at each prompt, then Enter:\n"
    "  hard, nomal, easy, beginner  choose the difficulty (spelt so)\n"
    "  h, l                         the next card is higher, or lower\n"
    "  y, n                         yes or no to a question\n"
    "  finish                       quit the game\n"
    "  change                       go back to the choice of difficulty\n"
    "With no argument the game is played. The rules are in man 6 hilo.\n";

constexpr std::string_view kVersion = "hilo " HILO_VERSION "\n";

// What getopt_long returns for each option; '?' is its own for a mistake.
enum Asked : char { kAskedHelp = 'h', kAskedVersion = 'V' };

// The options, with no short forms: -h and -V are mistakes, as GNU's standards leave them.
constexpr option kOptions[] = {
    {"help", no_argument, nullptr, kAskedHelp},
    {"version", no_argument, nullptr, kAskedVersion},
    {nullptr, 0, nullptr, 0},
};

// The program's name in every message, whatever path it was started by.
char kProgram[] = "hilo";

// Writes an answer, the whole of standard output, and gives the status it ends with.
int Answer(std::string_view text) { return StatusAfterOutput(WriteAndCloseStandardOutput(text)); }

// Ends a command line that is wrong, once what is wrong has been said: where to look, status 2.
int Mistaken() {
  std::fputs("Try 'hilo --help' for more information.\n", stderr);
  return 2;
}

}  // namespace

std::optional<int> AnswerCommandLine(std::span<char* const> arguments) {
  // getopt_long permutes the words it is given, so it is given a copy, which starts with the name
  // its messages give the program.
  std::vector<char*> words{kProgram};
  NameProgramInMessages(kProgram);
  for (char* argument : arguments.subspan(arguments.empty() ? 0 : 1)) {
    words.push_back(NativeOption(argument));
  }
  const int count = static_cast<int>(words.size());
  words.push_back(nullptr);
  for (;;) {
    switch (getopt_long(count, words.data(), "", kOptions, nullptr)) {
      case -1:
        // Every option is read; what is left is an operand, and the game takes none.
        if (optind == count) return std::nullopt;
        std::fprintf(stderr, "hilo: extra operand '%s'\n", words[optind]);
        return Mistaken();
      case kAskedHelp:
        return Answer(kUsage);
      case kAskedVersion:
        return Answer(kVersion);
      default:
        // getopt_long has said, in the C library's words, which option is wrong.
        return Mistaken();
    }
  }
}

}  // namespace hilo
