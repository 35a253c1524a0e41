#include "app/catalog_check.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>
#include <cstdint>

namespace hilo {
namespace {

constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::size_t kHeaderSize = 28;  // magic, revision, count, two tables, hash size and offset

// The 32-bit word at offset at, which the caller has seen inside bytes.
std::uint32_t WordAt(std::string_view bytes, std::uint64_t at, bool big_endian) {
  std::uint32_t word = 0;
  for (int i = 0; i < 4; ++i) {
    const auto byte = static_cast<unsigned char>(bytes[at + (big_endian ? i : 3 - i)]);
    word = (word << 8) | byte;
  }
  return word;
}

// True when a table of count entries of entry_size bytes at offset lies inside bytes, aligned as
// msgfmt aligns it. Sizes are 64-bit, so no product or sum of 32-bit words overflows.
bool TableInside(std::string_view bytes, std::uint64_t offset, std::uint64_t count,
                 std::uint64_t entry_size) {
  return offset % 4 == 0 && offset <= bytes.size() && count * entry_size <= bytes.size() - offset;
}

// True when each (length, offset) entry of the string table at table points at a string whose
// terminating NUL is inside bytes.
bool StringsInside(std::string_view bytes, std::uint64_t table, std::uint64_t count,
                   bool big_endian) {
  for (std::uint64_t entry = table; entry < table + count * 8; entry += 8) {
    const std::uint64_t length = WordAt(bytes, entry, big_endian);
    const std::uint64_t offset = WordAt(bytes, entry + 4, big_endian);
    if (offset + length >= bytes.size() || bytes[offset + length] != '\0') return false;
  }
  return true;
}

// gettext's normalised codeset: letters in lower case and digits only, "iso" before all digits.
std::string Normalised(std::string_view codeset) {
  std::string normal;
  bool only_digits = true;
  for (const char c : codeset) {
    if (std::isalnum(static_cast<unsigned char>(c)) == 0) continue;
    only_digits = only_digits && std::isdigit(static_cast<unsigned char>(c)) != 0;
    normal += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  if (only_digits) normal.insert(0, "iso");
  return normal;
}

// Adds to names every variant of name, language[_territory][.codeset][@modifier], that keeps its
// language.
void AddVariants(std::string_view name, std::vector<std::string>& names) {
  const std::size_t modifier_at = std::min(name.find('@'), name.size());
  const std::size_t codeset_at = std::min(name.find('.'), modifier_at);
  const std::size_t territory_at = std::min(name.find('_'), codeset_at);
  const std::string_view language = name.substr(0, territory_at);
  if (language.empty()) return;
  const std::string_view codeset =
      codeset_at < modifier_at ? name.substr(codeset_at + 1, modifier_at - codeset_at - 1) : "";
  const std::array<std::string_view, 2> territories = {
      "", name.substr(territory_at, codeset_at - territory_at)};
  std::array<std::string, 3> codesets;
  if (!codeset.empty()) {
    codesets[1].append(".").append(codeset);
    codesets[2].append(".").append(Normalised(codeset));
  }
  const std::array<std::string_view, 2> modifiers = {"", name.substr(modifier_at)};
  for (const auto territory : territories) {
    for (const auto& set : codesets) {
      for (const auto modifier : modifiers) {
        std::string variant =
            std::string(language) + std::string(territory) + set + std::string(modifier);
        if (std::find(names.begin(), names.end(), variant) == names.end()) {
          names.push_back(std::move(variant));
        }
      }
    }
  }
}

// Adds the variants of every name of a colon-separated list.
void AddListed(std::string_view list, std::vector<std::string>& names) {
  while (!list.empty()) {
    const std::size_t colon = std::min(list.find(':'), list.size());
    AddVariants(list.substr(0, colon), names);
    list.remove_prefix(std::min(colon + 1, list.size()));
  }
}

}  // namespace

bool CatalogIsWhole(std::string_view bytes) {
  if (bytes.size() < kHeaderSize) return false;
  const bool big_endian = WordAt(bytes, 0, true) == kMagic;
  if (!big_endian && WordAt(bytes, 0, false) != kMagic) return false;
  const auto word = [&](std::uint64_t at) -> std::uint64_t {
    return WordAt(bytes, at, big_endian);
  };
  // Revision 0 is what msgfmt writes for texts without system-dependent strings, as ours are.
  const std::uint64_t count = word(8);
  const std::uint64_t originals = word(12);
  const std::uint64_t translations = word(16);
  const std::uint64_t hash_size = word(20);
  const std::uint64_t hash_table = word(24);
  if (word(4) != 0) return false;
  if (!TableInside(bytes, originals, count, 8) || !TableInside(bytes, translations, count, 8)) {
    return false;
  }
  if (!StringsInside(bytes, originals, count, big_endian) ||
      !StringsInside(bytes, translations, count, big_endian)) {
    return false;
  }
  // gettext steps through a hash table by a stride modulo its size less two, and takes each entry
  // as a string's number plus one.
  if (hash_size == 0) return true;
  if (hash_size <= 2 || !TableInside(bytes, hash_table, hash_size, 4)) return false;
  for (std::uint64_t entry = hash_table; entry < hash_table + hash_size * 4; entry += 4) {
    if (word(entry) > count) return false;
  }
  return true;
}

std::vector<std::string> CatalogNamesToTry(std::string_view locale_name,
                                           std::string_view language_list,
                                           std::string_view shipped) {
  std::vector<std::string> names;
  // gettext reads LANGUAGE's list in place of the locale's name; both are tried here, to be safe.
  AddListed(language_list, names);
  AddListed(locale_name, names);
  AddListed(shipped, names);
  return names;
}

}  // namespace hilo
