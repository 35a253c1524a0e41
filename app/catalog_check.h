#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace hilo {

// True when bytes are a whole GNU message catalog (.mo) that gettext can read without stepping
// outside it: its magic number in either byte order, revision 0, and its tables, every string with
// its terminating NUL, and every hash entry, inside the file. gettext itself checks the header and
// the tables but not the strings, so a catalog cut short would have it read past its end.
bool CatalogIsWhole(std::string_view bytes);

// The names of the catalogs gettext may try for a locale whose messages category is locale_name,
// with LANGUAGE's list language_list (empty when unset), and our own languages, shipped, in the
// same colon-separated form: each name with and without its territory, codeset (as given and
// normalised) and modifier, as gettext varies them. More names than it tries may come, never fewer.
std::vector<std::string> CatalogNamesToTry(std::string_view locale_name,
                                           std::string_view language_list,
                                           std::string_view shipped);

}  // namespace hilo
