#include "console/posix/key_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace hilo {
namespace {

TEST(EndsInsideKeyTest, TellsACutShortKeyFromAWholeOne) {
  const struct {
    std::string_view bytes;
    bool inside;
  } cases[] = {
      {"a", false},
      {"\x03", false},              // Ctrl+C is a key like any other here
      {"\r", false},                // Enter
      {"\x1b", true},               // Esc, or the start of a sequence still coming
      {"\x1b[", true},              // cut inside an arrow
      {"\x1b[A", false},            // up arrow
      {"\x1b[1;5", true},           // cut inside Ctrl+right
      {"\x1b[1;5C", false},         // Ctrl+right
      {"\x1b[15~", false},          // F5
      {"\x1bO", true},              // cut inside an application-mode arrow
      {"\x1bOP", false},            // F1
      {"\x1bx", false},             // Alt+x
      {"\x1b\x1b[", true},          // Alt with an arrow, cut short
      {"\x1b\x1b[D", false},        // Alt with an arrow
      {"\x1b\xc3", true},           // Alt with a two-byte character, cut short
      {"\x1b[A\x1b[B", false},      // two arrows at once
      {"\x1b[A\x1b", true},         // an arrow, then the start of another key
      {"\xc3", true},               // first byte of é
      {"\xc3\xa9", false},          // é
      {"\xe3\x81", true},           // two bytes of あ
      {"\xe3\x81\x82", false},      // あ
      {"\xf0\x9f\x98", true},       // three bytes of a four-byte character
      {"\xf0\x9f\x98\x80", false},  // a four-byte character
      {"\xe3\x81\x82\xe3", true},   // one character, then the start of another
      {"\x80", false},              // a stray continuation byte never completes
      {"\xe3"
       "a",
       false},          // a broken character is over where it breaks
      {"\xc0", false},  // never a lead byte in UTF-8
      {"\xf8", false},  // never a lead byte in UTF-8
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EndsInsideKey(c.bytes), c.inside) << testing::PrintToString(std::string(c.bytes));
  }
}

// What one scripted read of the terminal gives: bytes, or a count when nothing, a signal or an
// error comes; and how long it takes.
struct ScriptedRead {
  std::string bytes;
  std::ptrdiff_t count_if_empty = 0;
  KeyWait takes{};
};

// Plays reads one after the other on a clock that moves only by what each read takes, noting how
// long each was allowed to wait.
class ScriptedTerminal {
 public:
  explicit ScriptedTerminal(std::vector<ScriptedRead> reads) : reads_(std::move(reads)) {}

  std::ptrdiff_t operator()(std::span<char> buffer, KeyWait wait) {
    waits_.push_back(wait);
    if (next_ == reads_.size()) return 0;
    const ScriptedRead& read = reads_[next_++];
    now_ += read.takes;
    if (read.bytes.empty()) return read.count_if_empty;
    EXPECT_LE(read.bytes.size(), buffer.size());
    std::copy(read.bytes.begin(), read.bytes.end(), buffer.begin());
    return static_cast<std::ptrdiff_t>(read.bytes.size());
  }

  MonotonicNow clock() const {
    return [this] { return now_; };
  }
  const std::vector<KeyWait>& waits() const { return waits_; }

 private:
  std::vector<ScriptedRead> reads_;
  std::size_t next_ = 0;
  std::vector<KeyWait> waits_;
  std::chrono::steady_clock::time_point now_{};
};

TEST(ReadOneKeyTest, WaitsBrieflyOnlyForTheRestOfAKeyCutShort) {
  constexpr auto kBlock = kForAByte;
  constexpr auto kPending = kNotAtAll;
  constexpr auto kBrief = kATenthOfASecond;
  using std::chrono_literals::operator""ms;
  const ScriptedRead signal{"", kReadInterrupted, 40ms};
  const struct {
    const char* name;
    std::vector<ScriptedRead> reads;
    std::string key;
    std::vector<KeyWait> waits;
  } cases[] = {
      {"a letter", {{"x"}}, "x", {kBlock, kPending}},
      {"an arrow at once", {{"\x1b[A"}}, "\x1b[A", {kBlock, kPending}},
      {"an arrow in pieces",
       {{"\x1b"}, {"["}, {"A"}},
       "\x1b[A",
       {kBlock, kBrief, kBrief, kPending}},
      {"Esc alone", {{"\x1b"}, {""}}, "\x1b", {kBlock, kBrief}},
      // Each signal leaves less of the same tenth; past it, one last look without waiting.
      {"Esc alone amid signals",
       {{"\x1b"}, signal, signal, signal, signal},
       "\x1b",
       {kBlock, kBrief, 60ms, 20ms, kPending}},
      {"an arrow in pieces amid signals",
       {{"\x1b"}, signal, {"["}, signal, {"A"}},
       "\x1b[A",
       {kBlock, kBrief, 60ms, kBrief, 60ms, kPending}},
      {"a character in pieces",
       {{"\xe4"}, {"\xba\x88"}},
       "\xe4\xba\x88",
       {kBlock, kBrief, kPending}},
      {"keys already waiting", {{"a"}, {"bc"}, {""}}, "abc", {kBlock, kPending, kPending}},
      {"a failed first read", {{"", -1}, {"x"}}, "", {kBlock}},
      {"a failed later read", {{"\x1b"}, {"", -1}, {"x"}}, "\x1b", {kBlock, kBrief}},
  };
  for (const auto& c : cases) {
    ScriptedTerminal terminal(c.reads);
    EXPECT_EQ(ReadOneKey(std::ref(terminal), terminal.clock()), c.key) << c.name;
    EXPECT_EQ(terminal.waits(), c.waits) << c.name;
  }
}

TEST(ReadOneKeyTest, AnEndlessPasteIsNotReadForEver) {
  std::vector<ScriptedRead> reads(100000, ScriptedRead{std::string(256, 'p')});
  ScriptedTerminal terminal(reads);
  const std::string key = ReadOneKey(std::ref(terminal), terminal.clock());
  EXPECT_GE(key.size(), 256u);
  EXPECT_LT(terminal.waits().size(), 100u);
}

}  // namespace
}  // namespace hilo
