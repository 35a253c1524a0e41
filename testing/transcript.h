#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace hilo {

// One hand-written game: the clock's seconds, what the player types and everything the game
// writes, read from a NAME.transcript file.
struct TranscriptCase {
  // How the game ends.
  enum class Ending {
    kKey,    // after "Press key to finish." it waits for one key
    kGame,   // at once, with no key wait
    kInput,  // standard input runs out while the game waits for a word
  };

  std::string name;                   // the file's name without its extension
  std::vector<std::int64_t> seconds;  // one per clock reading; the last repeats
  Ending ending = Ending::kInput;
  // The typed lines, each with its line feed. A game that ends by itself ends on the last word.
  std::vector<std::string> lines;
  std::string output;  // the exact expected output, UTF-8 with LF line ends
  std::string locale;  // the locale it plays in, when it names one

  // All the typed lines as one text.
  std::string Input() const;
};

// Every file of game/transcripts, by name.
std::vector<std::filesystem::path> TranscriptFiles();

// The case in file; throws std::runtime_error naming the file and the line where it is malformed.
TranscriptCase ReadTranscript(const std::filesystem::path& file);

}  // namespace hilo
