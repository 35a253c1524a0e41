#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
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

  // True when the clock stands still: one second for every reading.
  bool StoppedClock() const { return seconds.size() == 1; }
  // All the typed lines as one text.
  std::string Input() const;
};

// Every case in game/transcripts, by name.
std::vector<TranscriptCase> Transcripts();

// The case of that name in game/transcripts.
TranscriptCase Transcript(std::string_view name);

// What bytes a game writes for a text.
enum class OutputForm {
  kUtf8Lf,     // the text as it is: UTF-8, LF line ends
  kCp932CrLf,  // as on Windows: code page 932, CR LF line ends
};

// text, UTF-8 with LF, written as form says; converted by iconv, independently of the game.
std::string InForm(std::string_view text, OutputForm form);

// text with every line feed as CR LF, as a terminal shows it and as Windows writes it.
std::string WithCrLf(std::string_view text);

// text up to and including its count-th prompt; all of it when it has fewer.
std::string ThroughPrompt(std::string_view text, std::size_t count);

// One line to type at a terminal, and the screen that shows before it is typed.
struct TypedLine {
  std::string screen;
  std::string line;  // without its line feed
};

// How to play a case by typing at a terminal that echoes each typed line.
struct TypingPlan {
  std::vector<TypedLine> lines;
  std::string screen;  // at the end, before the key of a key wait
};

// Each word the game reads answers one prompt; echo gives a typed line, without its line feed, as
// the screen then shows it. A line that nobody would read is left untyped: at a terminal it would
// end the key wait.
TypingPlan PlanTyping(const TranscriptCase& c,
                      const std::function<std::string(std::string_view)>& echo);

}  // namespace hilo
