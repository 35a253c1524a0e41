#include "console/console.h"

#include <charconv>

namespace hilo {
namespace {

// Output gathered beyond this is handed on even when no read is due, so memory stays small.
constexpr std::size_t kFlushThreshold = std::size_t{64} * 1024;

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
    : port_(port), reader_([this](std::span<char> buffer) {
        // Everything written must be on the screen before the game blocks for the answer.
        Flush();
        return port_.Read(buffer);
      }) {}

Console::~Console() { Flush(); }

void Console::Write(std::string_view text, std::initializer_list<Value> values) {
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
  if (port_.WritesToTerminal() || pending_.size() >= kFlushThreshold) Flush();
}

std::optional<Token> Console::ReadToken() {
  auto token = reader_.Next();
  if (token) ++tokens_read_;
  return token;
}

std::optional<std::string_view> Console::AskChoice(std::span<const std::string_view> accepted,
                                                   std::string_view reask) {
  for (;;) {
    const auto token = ReadToken();
    if (!token) return std::nullopt;
    for (const auto word : accepted) {
      if (token->Is(word)) return word;
    }
    Write(reask);
  }
}

void Console::WaitKey() {
  Flush();
  port_.WaitKey();
}

void Console::Flush() {
  if (pending_.empty()) return;
  port_.Write(pending_);
  pending_.clear();
}

}  // namespace hilo
