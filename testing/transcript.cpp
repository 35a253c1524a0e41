#include "testing/transcript.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string_view>

namespace hilo {
namespace {

[[noreturn]] void Malformed(const std::filesystem::path& file, std::size_t line,
                            std::string_view why) {
  throw std::runtime_error(file.string() + ":" + std::to_string(line) + ": " + std::string(why));
}

// The rest of line after prefix, or nothing when line does not start with it.
bool After(std::string_view line, std::string_view prefix, std::string_view& rest) {
  if (!line.starts_with(prefix)) return false;
  rest = line.substr(prefix.size());
  return true;
}

std::vector<std::int64_t> Seconds(std::string_view text) {
  std::istringstream in{std::string(text)};
  std::vector<std::int64_t> seconds;
  for (std::int64_t second = 0; in >> second;) seconds.push_back(second);
  if (!in.eof()) seconds.clear();
  return seconds;
}

}  // namespace

TranscriptCase ReadTranscript(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) Malformed(file, 0, "cannot be read");
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  TranscriptCase c;
  c.name = file.stem().string();
  std::size_t at = 0;
  std::size_t number = 0;
  // The next line without its line feed; the whole file must end in one.
  auto next_line = [&]() -> std::string_view {
    const std::size_t end = text.find('\n', at);
    if (end == std::string::npos) Malformed(file, number + 1, "missing \"output:\"");
    const std::string_view line = std::string_view(text).substr(at, end - at);
    at = end + 1;
    ++number;
    return line;
  };
  std::string_view line = next_line();
  if (!line.starts_with('#')) Malformed(file, number, "must start with a comment");
  while (line.starts_with('#')) line = next_line();
  std::string_view rest;
  if (!After(line, "clock:", rest) || (c.seconds = Seconds(rest)).empty()) {
    Malformed(file, number, "expected \"clock:\" and at least one second");
  }
  line = next_line();
  if (After(line, "locale: ", rest)) {
    c.locale = rest;
    line = next_line();
  }
  if (!After(line, "ends: ", rest) || (rest != "key" && rest != "game" && rest != "input")) {
    Malformed(file, number, R"(expected "ends: key", "ends: game" or "ends: input")");
  }
  c.ending = rest == "key"    ? TranscriptCase::Ending::kKey
             : rest == "game" ? TranscriptCase::Ending::kGame
                              : TranscriptCase::Ending::kInput;
  if (next_line() != "input:") Malformed(file, number, "expected \"input:\"");
  while ((line = next_line()) != "output:") c.lines.push_back(std::string(line) + '\n');
  if (!text.ends_with('\n') || at == text.size()) {
    Malformed(file, number, "the output must end with one extra line feed");
  }
  c.output = text.substr(at, text.size() - at - 1);
  return c;
}

std::string TranscriptCase::Input() const {
  std::string input;
  for (const std::string& line : lines) input += line;
  return input;
}

std::vector<std::filesystem::path> TranscriptFiles() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(HILO_TRANSCRIPTS_DIR)) {
    if (entry.path().extension() == ".transcript") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace hilo
