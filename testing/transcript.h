#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hilo {

// One hand-written game of game/transcripts, as e2e/transcripts.py reads it for every suite: the
// clock's seconds, what the player types and everything the game writes.
struct TranscriptCase {
  // How the game ends.
  enum class Ending {
    kKey,    // after "Press key to finish." it waits for one key
    kGame,   // at once, with no key wait
    kInput,  // standard input runs out while the game waits for a word
  };

  std::string_view name;       // the file's name without its extension
  std::string_view malformed;  // "file:line: reason" where the file does not parse, else empty
  std::vector<std::int64_t> seconds;  // one per clock reading; the last repeats
  Ending ending = Ending::kInput;
  std::string_view locale;  // the locale it is played in; empty for the suite's own
  // The typed lines, each with its line feed. A game that ends by itself ends on the last word.
  std::vector<std::string_view> lines;
  std::string_view output;  // the exact expected output, UTF-8 with LF line ends

  // All the typed lines as one text.
  std::string Input() const;
};

// Every file of game/transcripts, by name, those that do not parse among them.
const std::vector<TranscriptCase>& Transcripts();

}  // namespace hilo
