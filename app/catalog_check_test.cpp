#include "app/catalog_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace hilo {
namespace {

// A catalog laid out as msgfmt lays one out: the header, the two string tables, a hash table of
// three entries, then the strings, each with its NUL. big_endian writes it in that byte order.
struct Catalog {
  std::vector<std::pair<std::string, std::string>> messages = {{"", "charset=UTF-8\n"},
                                                               {"h", "higher"}};
  bool big_endian = false;

  std::string Bytes() const {
    const auto count = static_cast<std::uint32_t>(messages.size());
    const std::uint32_t originals = 28;
    const std::uint32_t translations = originals + count * 8;
    const std::uint32_t hash = translations + count * 8;
    std::string tables;
    std::string strings;
    std::uint32_t at = hash + 3 * 4;
    std::string first;
    std::string second;
    for (const auto& [id, translation] : messages) {
      Word(first, static_cast<std::uint32_t>(id.size()));
      Word(first, at + static_cast<std::uint32_t>(strings.size()));
      strings += id + '\0';
    }
    for (const auto& [id, translation] : messages) {
      Word(second, static_cast<std::uint32_t>(translation.size()));
      Word(second, at + static_cast<std::uint32_t>(strings.size()));
      strings += translation + '\0';
    }
    std::string bytes;
    for (const std::uint32_t word : {0x950412deU, 0U, count, originals, translations, 3U, hash}) {
      Word(bytes, word);
    }
    bytes += first + second;
    for (const std::uint32_t entry : {0U, 2U, 0U}) Word(bytes, entry);
    return bytes + strings;
  }

  void Word(std::string& out, std::uint32_t word) const {
    for (int i = 0; i < 4; ++i) {
      const int shift = big_endian ? 24 - 8 * i : 8 * i;
      out += static_cast<char>((word >> shift) & 0xFF);
    }
  }
};

// Sets the 32-bit little-endian word at byte at.
std::string WithWord(std::string bytes, std::size_t at, std::uint32_t word) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((word >> (8 * i)) & 0xFF);
  return bytes;
}

TEST(CatalogIsWholeTest, AcceptsAWholeCatalogInEitherByteOrder) {
  EXPECT_TRUE(CatalogIsWhole(Catalog().Bytes()));
  EXPECT_TRUE(CatalogIsWhole(Catalog{.big_endian = true}.Bytes()));
}

TEST(CatalogIsWholeTest, RefusesTheCatalogCutAtAnyLength) {
  const std::string whole = Catalog().Bytes();
  for (std::size_t length = 0; length < whole.size(); ++length) {
    EXPECT_FALSE(CatalogIsWhole(whole.substr(0, length))) << "cut to " << length << " bytes";
  }
}

TEST(CatalogIsWholeTest, RefusesAWordThatPointsOutsideOrAWrongHeader) {
  const std::string whole = Catalog().Bytes();
  const auto size = static_cast<std::uint32_t>(whole.size());
  const std::uint32_t translations = 28 + 16;
  const struct {
    const char* what;
    std::size_t at;
    std::uint32_t word;
  } faults[] = {
      {"magic", 0, 0x950412df},
      {"revision", 4, 1},
      {"count past the tables", 8, 1000},
      {"count that overflows 32 bits", 8, 0x20000000},
      {"original table outside", 12, size},
      {"translation table unaligned", 16, translations + 1},
      {"hash table of two entries", 20, 2},
      {"hash table outside", 24, size - 4},
      {"string length past the end", translations + 8, size},
      {"string offset past the end", translations + 12, 0xFFFFFFFF},
      {"string without its NUL", translations + 8, 7},
      {"hash entry past the strings", 28 + 32 + 4, 3},
  };
  for (const auto& fault : faults) {
    EXPECT_FALSE(CatalogIsWhole(WithWord(whole, fault.at, fault.word))) << fault.what;
  }
}

TEST(CatalogNamesToTryTest, HoldsEveryVariantGettextTriesOfEachName) {
  const struct {
    const char* locale;
    const char* languages;
    std::vector<std::string> expected;
  } cases[] = {
      {"en_US.UTF-8", "", {"en_US.UTF-8", "en_US.utf8", "en_US", "en.UTF-8", "en.utf8", "en"}},
      {"de_AT.ISO-8859-15@euro",
       "",
       {"de_AT.ISO-8859-15@euro", "de_AT.iso885915@euro", "de_AT@euro", "de@euro", "de_AT",
        "de.ISO-8859-15", "de"}},
      {"C.UTF-8", "fr:pt_BR", {"fr", "pt_BR", "pt", "C"}},
      {"ja_JP.eucJP", "", {"ja_JP.eucjp", "ja", "ko"}},
      {"sr_RS.8859-5", "", {"sr_RS.iso88595", "sr"}},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> names = CatalogNamesToTry(c.locale, c.languages, "ko");
    for (const std::string& name : c.expected) {
      EXPECT_NE(std::find(names.begin(), names.end(), name), names.end())
          << name << " for " << c.locale << " and LANGUAGE=" << c.languages;
    }
  }
}

}  // namespace
}  // namespace hilo
