#include "console/console.h"

#include <charconv>
#include <iterator>
#include <new>

namespace hilo {
namespace {

// Output gathered beyond this is handed on even when no read is due, so memory stays small. A
// pipe holds 64 KiB: handing it four times that at once wakes its reader far less often.
constexpr std::size_t kFlushThreshold = std::size_t{256} * 1024;

void AppendValue(std::string& out, const Console::Value& value) {
  if (const auto* number = std::get_if<std::int32_t>(&value)) {
    char digits[16];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), *number);
    out.append(digits, result.ptr);
  } else {
    out.append(std::get<std::string_view>(value));
  }
}

}  // namespace

Console::Console(ConsolePort& port)
    : port_(port),
      writes_to_terminal_(port.WritesToTerminal()),
      reader_([this](std::span<char> buffer) {
        // Everything written must be on the screen before the game blocks for the answer.
        Flush();
        return port_.Read(buffer);
      }) {}

Console::~Console() {
  // Hands on what it can: a port that runs out of memory converting it loses only that output.
  try {
    Finish();
  } catch (const std::bad_alloc&) {
  }
}

void Console::WriteFilled(std::string_view text, std::initializer_list<Value> values) {
  AppendFilled(text, values);
  if (writes_to_terminal_ || pending_.size() >= kFlushThreshold) Flush();
}

void Console::AppendFilled(std::string_view text, std::initializer_list<Value> values) {
  // With no values every placeholder stays as written, so the text goes out whole. This is the
  // common case, the re-ask texts among them, so it skips the search for placeholders.
  if (values.size() == 0) {
    pending_.append(text);
    return;
  }
  const auto* value = values.begin();
  std::size_t start = 0;
  for (;;) {
    const auto percent = text.find('%', start);
    if (percent == std::string_view::npos || percent + 1 == text.size()) {
      pending_.append(text.substr(start));
      break;
    }
    pending_.append(text.substr(start, percent - start));
    const char kind = text[percent + 1];
    if ((kind == 'd' || kind == 's') && value != values.end()) {
      AppendValue(pending_, *value++);
    } else {
      pending_.append(text.substr(percent, 2));
    }
    start = percent + 2;
  }
}

std::optional<Token> Console::ReadToken() {
  Token token{};  // zeroed: the whole token, unused bytes too, is copied out
  if (!reader_.Next(token)) return std::nullopt;
  ++tokens_read_;
  return token;
}

std::optional<std::string_view> Console::AskChoice(std::span<const std::string_view> accepted,
                                                   TextFor<> reask) {
  Token token;  // one token serves every word read
  while (reader_.Next(token)) {
    ++tokens_read_;
    for (const std::string_view word : accepted) {
      if (token.Is(word)) return word;
    }
    Write(reask);
  }
  return std::nullopt;
}

void Console::WaitKey() {
  Flush();
  port_.WaitKey();
}

void Console::Flush() {
  if (pending_.empty()) return;
  Keep(port_.Write(pending_));
  pending_.clear();
}

std::error_code Console::Finish() {
  Flush();
  Keep(port_.EndOutput());
  return first_failure_;
}

void Console::Keep(std::error_code failed) {
  // A later write that works does not bring back what this one lost.
  if (failed && !first_failure_) first_failure_ = failed;
}

}  // namespace hilo
