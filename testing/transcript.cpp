#include "testing/transcript.h"

#include <iconv.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string_view>

#include "testing/read_file.h"
#include "testing/reference_words.h"

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

// The case in file; throws std::runtime_error naming the file and line when it is malformed.
TranscriptCase ReadTranscriptCase(const std::filesystem::path& file) {
  const std::optional<std::string> read = ReadFile(file);
  if (!read) Malformed(file, 0, "cannot be read");
  const std::string& text = *read;
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

// text cut after each of its prompts (every prompt ends in ">", no other text holds one); the last
// part is what follows the last prompt.
std::vector<std::string> CutAfterPrompts(std::string_view text) {
  std::vector<std::string> parts(1);
  for (const char byte : text) {
    parts.back() += byte;
    if (byte == '>') parts.emplace_back();
  }
  return parts;
}

}  // namespace

std::string TranscriptCase::Input() const {
  std::string input;
  for (const std::string& line : lines) input += line;
  return input;
}

std::vector<TranscriptCase> Transcripts() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(HILO_TRANSCRIPTS_DIR)) {
    if (entry.path().extension() == ".transcript") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  std::vector<TranscriptCase> cases(files.size());
  std::ranges::transform(files, cases.begin(), ReadTranscriptCase);
  return cases;
}

TranscriptCase Transcript(std::string_view name) {
  return ReadTranscriptCase(std::filesystem::path(HILO_TRANSCRIPTS_DIR) /
                            (std::string(name) + ".transcript"));
}

std::string InForm(std::string_view text, OutputForm form) {
  if (form == OutputForm::kUtf8Lf) return std::string(text);
  const iconv_t converter = iconv_open("CP932", "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no iconv to CP932");
  std::string converted(text.size() * 2, '\0');
  char* in = const_cast<char*>(text.data());
  std::size_t in_left = text.size();
  char* out = converted.data();
  std::size_t out_left = converted.size();
  const std::size_t done = iconv(converter, &in, &in_left, &out, &out_left);
  iconv_close(converter);
  if (done == static_cast<std::size_t>(-1)) throw std::runtime_error("not convertible to CP932");
  converted.resize(converted.size() - out_left);
  return WithCrLf(converted);
}

std::string WithCrLf(std::string_view text) {
  std::string lines;
  for (const char byte : text) {
    if (byte == '\n') lines += '\r';
    lines += byte;
  }
  return lines;
}

std::string ThroughPrompt(std::string_view text, std::size_t count) {
  const std::vector<std::string> parts = CutAfterPrompts(text);
  std::string through;
  for (std::size_t i = 0; i < std::min(count, parts.size()); ++i) through += parts[i];
  return through;
}

TypingPlan PlanTyping(const TranscriptCase& c,
                      const std::function<std::string(std::string_view)>& echo) {
  // Every read of a word ends one part.
  const std::vector<std::string> parts = CutAfterPrompts(c.output);
  const std::size_t prompts = parts.size() - 1;
  // The last prompt of a key wait, or of a game whose input runs out, is never answered.
  const std::size_t words_read = prompts - (c.ending == TranscriptCase::Ending::kGame ? 0 : 1);
  TypingPlan plan;
  plan.screen = parts[0];
  std::size_t words = 0;
  std::size_t shown = 1;
  for (const std::string& typed : c.lines) {
    if (words >= words_read) break;
    const std::string_view line = std::string_view(typed).substr(0, typed.size() - 1);
    plan.lines.push_back({plan.screen, std::string(line)});
    words += ReferenceWords(line).size();
    plan.screen += echo(line);
    for (; shown <= std::min(words, words_read); ++shown) plan.screen += parts[shown];
  }
  if (words < words_read) throw std::runtime_error(c.name + ": fewer words than prompts");
  return plan;
}

}  // namespace hilo
