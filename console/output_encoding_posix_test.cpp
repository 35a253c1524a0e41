#include "console/output_encoding_posix.h"

#include <gtest/gtest.h>

namespace hilo {
namespace {

TEST(ChooseOutputEncodingTest, PicksTheCharacterSetFromTheLocaleCodeset) {
  const struct {
    std::string_view codeset;
    std::optional<std::string> target;
  } cases[] = {
      {"UTF-8", std::nullopt},
      {"utf8", std::nullopt},
      {"ANSI_X3.4-1968", std::nullopt},  // glibc's C locale
      {"US-ASCII", std::nullopt},        // macOS's C locale
      {"", std::nullopt},
      {"SHIFT_JIS", "CP932"},
      {"Shift_JIS", "CP932"},
      {"SJIS", "CP932"},
      {"CP932", "CP932"},
      {"WINDOWS-31J", "CP932"},
      {"SHIFT_JISX0213", "SHIFT_JISX0213"},  // a different character set, not a spelling
      {"EUC-JP", "EUC-JP"},
      {"ISO-8859-1", "ISO-8859-1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChooseOutputEncoding(c.codeset), c.target) << c.codeset;
  }
}

TEST(OutputEncoderTest, ConvertsWholeTextsOrPassesThemThroughUntouched) {
  const struct {
    std::optional<std::string> target;
    std::string_view text;
    std::string_view written;
  } cases[] = {
      // Second bytes equal to the ASCII backslash belong to their character.
      {"CP932", "予", "\x97\x5c"},
      {"CP932", "表", "\x95\x5c"},
      {"CP932", "　", "\x81\x40"},
      {"CP932", "A,　の\n", "A,\x81\x40\x82\xcc\n"},
      {"CP932", "\n\"h\"を\n", "\n\"h\"\x82\xf0\n"},
      {"EUC-JP", "予", "\xcd\xbd"},
      // A stateful encoding shifts back to ASCII at the end of every text.
      {"ISO-2022-JP", "予", "\x1b$B\x4d\x3d\x1b(B"},
      {"ISO-8859-1", "caf\xc3\xa9\n", "caf\xe9\n"},
      // What the target cannot show goes out as UTF-8 whole, never half converted.
      {"ISO-8859-1", "caf\xc3\xa9 予", "caf\xc3\xa9 予"},
      {"CP932", "bad \xff byte", "bad \xff byte"},
      {"CP932", "cut \xe4\xba", "cut \xe4\xba"},
      {"NO-SUCH-CHARSET", "予\n", "予\n"},
      {std::nullopt, "予\n", "予\n"},
  };
  for (const auto& c : cases) {
    OutputEncoder encoder(c.target);
    EXPECT_EQ(encoder.Encode(c.text), c.written) << c.target.value_or("none") << ": " << c.text;
  }
}

TEST(OutputEncoderTest, KnowsWhetherItConverts) {
  EXPECT_TRUE(OutputEncoder(std::string("CP932")).converts());
  EXPECT_FALSE(OutputEncoder(std::string("NO-SUCH-CHARSET")).converts());
  EXPECT_FALSE(OutputEncoder(std::nullopt).converts());
}

TEST(OutputEncoderTest, ATextThatFailsDoesNotSpoilTheNext) {
  OutputEncoder encoder(std::string("ISO-2022-JP"));
  EXPECT_EQ(encoder.Encode("予"), "\x1b$B\x4d\x3d\x1b(B");
  EXPECT_EQ(encoder.Encode("予\xff"), "予\xff");
  EXPECT_EQ(encoder.Encode("a予"), "a\x1b$B\x4d\x3d\x1b(B");
}

TEST(OutputEncoderTest, ALongTextIsConvertedWhole) {
  std::string text;
  std::string written;
  for (int i = 0; i < 10000; ++i) {
    text += "表 ";
    written += "\x95\x5c ";
  }
  OutputEncoder encoder(std::string("CP932"));
  EXPECT_EQ(encoder.Encode(text), written);
}

}  // namespace
}  // namespace hilo
