#include "console/console.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>

#include "testing/fake_port.h"

namespace hilo {
namespace {

// A text whose placeholders and values differ does not compile; these are the rows of that check.
static_assert(PlaceholdersAre("no placeholder", ""));
static_assert(PlaceholdersAre("%d and %s", "ds"));
static_assert(!PlaceholdersAre("%d and %s", ""));     // a placeholder left unfilled
static_assert(!PlaceholdersAre("%d and %s", "d"));    // the last one left unfilled
static_assert(!PlaceholdersAre("%d", "dd"));          // a value left over
static_assert(!PlaceholdersAre("%s and %d", "ds"));   // a text where a number goes
static_assert(PlaceholdersAre("100% sure %d", "d"));  // "% " is no placeholder
static_assert(PlaceholdersAre("%%d", ""));            // nor is "%%", and the "d" after it is text
static_assert(PlaceholdersAre("ends in %", ""));

TEST(ConsoleWriteTest, FillsPlaceholdersInOrder) {
  const struct {
    void (*write)(Console&);
    std::string_view written;
  } cases[] = {
      {[](Console& c) { c.Write("%d,", 2); }, "2,"},
      {[](Console& c) { c.Write("%d and %s", -340, std::string_view("A")); }, "-340 and A"},
      {[](Console& c) { c.Write("%s%s", "10", "J"); }, "10J"},
      {[](Console& c) { c.Write("%d", std::numeric_limits<std::int32_t>::min()); }, "-2147483648"},
      {[](Console& c) { c.Write("%d", std::numeric_limits<std::int32_t>::max()); }, "2147483647"},
      {[](Console& c) { c.Write("50% off %d", 3); }, "50% off 3"},
  };
  for (const auto& c : cases) {
    FakePort port;
    {
      Console console(port);
      c.write(console);
    }
    EXPECT_EQ(port.output(), c.written);
  }
}

TEST(ConsoleFlushTest, EverythingIsOutBeforeEachReadAndAtTheEnd) {
  FakePort port({"y\n", "n\n"});
  {
    Console console(port);
    console.Write("first>");
    EXPECT_TRUE(console.ReadToken()->Is("y"));
    console.Write("second>");
    console.Write("third>");
    EXPECT_TRUE(console.ReadToken()->Is("n"));
    console.Write("bye");
    EXPECT_EQ(port.output(), "first>second>third>");
  }
  EXPECT_EQ(port.output_at_reads()[0], "first>");
  EXPECT_EQ(port.output_at_reads()[1], "first>second>third>");
  EXPECT_EQ(port.output(), "first>second>third>bye");
}

TEST(ConsoleFlushTest, TokensAlreadyReadDoNotForceAFlush) {
  FakePort port({"h h h h\n"});
  Console console(port);
  for (int i = 0; i < 4; ++i) {
    console.Write(">");
    ASSERT_TRUE(console.ReadToken());
  }
  // One read took the whole line: only the text before it had to go out.
  EXPECT_EQ(port.writes(), 1);
}

TEST(ConsoleFlushTest, TerminalGetsEveryTextAtOnce) {
  FakePort port({}, /*terminal=*/true);
  Console console(port);
  console.Write("a");
  console.Write("b");
  EXPECT_EQ(port.output(), "ab");
  EXPECT_EQ(port.writes(), 2);
}

TEST(ConsoleFinishTest, TheFirstFailedWriteIsKeptThroughTheWritesAfterIt) {
  FakePort port({}, /*terminal=*/true);  // each text is a write of its own
  port.SetWriteResults({{},
                        std::make_error_code(std::errc::no_space_on_device),
                        std::make_error_code(std::errc::io_error),
                        {}});
  Console console(port);
  console.Write("a");
  console.Write("b");
  console.Write("c");
  console.Write("d");
  EXPECT_EQ(console.Finish(), std::make_error_code(std::errc::no_space_on_device));
  EXPECT_EQ(port.output(), "abcd");  // the game wrote on regardless
}

TEST(AskChoiceTest, ReasksOnceAfterEveryOtherToken) {
  constexpr std::array<std::string_view, 2> kYesNo = {"y", "n"};
  const struct {
    std::string input;
    std::optional<std::string_view> answer;
    std::string_view written;
    std::size_t tokens_read;  // the end of input is no token
  } cases[] = {
      {"Y yes\n\n n", "n", "?>?>", 3},
      {"y n", "y", "", 1},
      {std::string(200, 'y') + " y", "y", "?>", 2},
      {"Y", std::nullopt, "?>", 1},
  };
  for (const auto& c : cases) {
    FakePort port({c.input});
    {
      Console console(port);
      EXPECT_EQ(console.AskChoice(kYesNo, "?>"), c.answer) << c.input;
      EXPECT_EQ(console.tokens_read(), c.tokens_read) << c.input;
    }
    EXPECT_EQ(port.output(), c.written) << c.input;
  }
}

TEST(AskChoiceTest, FindsEachWordAmongLookAlikes) {
  constexpr std::array<std::string_view, 5> kDifficulties = {"hard", "nomal", "easy", "beginner",
                                                             "finish"};
  // Each input holds wrong words of the same length or first byte as an accepted one first.
  const struct {
    std::string input;
    std::string_view answer;
    std::string_view written;
  } cases[] = {
      {"hare hardd h hard", "hard", "?>?>?>"},
      {"Hard nomad nomal", "nomal", "?>?>"},
      {"ease eeee e easy", "easy", "?>?>?>"},
      {"beginnerr beginnex beginner", "beginner", "?>?>"},
      {"finis finished fiNish finish", "finish", "?>?>?>"},
      {std::string(99, 'h') + " " + std::string(150, 'f') + " finish", "finish", "?>?>"},
  };
  for (const auto& c : cases) {
    FakePort port({c.input});
    {
      Console console(port);
      EXPECT_EQ(console.AskChoice(kDifficulties, "?>"), c.answer) << c.input;
    }
    EXPECT_EQ(port.output(), c.written) << c.input;
  }
}

}  // namespace
}  // namespace hilo
