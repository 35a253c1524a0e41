#include <fcntl.h>
#include <libintl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "app/catalog_check.h"
#include "app/translation.h"
#include "console/posix/fd_io.h"

namespace hilo {
namespace {

constexpr const char* kDomain = "hilo";
// Far more than the game's few texts take in any language: a larger file is no catalog of ours,
// and reading it whole would cost the memory the game keeps small.
constexpr off_t kLargestCatalog = off_t{1} << 20;

// The folder of the game's catalogs, at the same place relative to the game as the install put
// them; empty when the game cannot tell where it is.
std::string CatalogFolder() {
  std::string path(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || static_cast<std::size_t>(length) == path.size()) return {};
  path.resize(static_cast<std::size_t>(length));
  return path.substr(0, path.rfind('/') + 1) + HILO_LOCALE_FROM_BINDIR;
}

// False when a catalog is at path that gettext might read but that is not whole, or is no regular
// file, or cannot be read: on a folder, glibc reads, fails and loses what it allocated for it.
// Plain reads, retried after a signal: a stream would throw on a read that fails.
bool AbsentOrWhole(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR;
  bool whole = false;
  struct stat status {};
  if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size <= kLargestCatalog) {
    std::string contents(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t got = 0;
    ssize_t count = 1;
    while (got < contents.size() && (count = ReadSome(fd, std::span(contents).subspan(got))) > 0) {
      got += static_cast<std::size_t>(count);
    }
    contents.resize(got);  // one that shrank as it was read is taken as it is: the check refuses it
    whole = count >= 0 && CatalogIsWhole(contents);
  }
  close(fd);
  return whole;
}

std::string_view Translated(std::string_view original) {
  // The game's texts are literals, each ending in a NUL, but a view does not promise one. Without a
  // translation gettext gives back the copy, which goes: the original stays.
  const std::string id(original);
  const char* const translation = dgettext(kDomain, id.c_str());
  return translation == id.c_str() ? original : std::string_view(translation);
}

}  // namespace

Translate PlayersTranslation() {
  // gettext chooses by the messages category, which the environment sets as for the character set.
  const char* const locale = std::setlocale(LC_MESSAGES, "");
  const std::string_view name = locale == nullptr ? "C" : locale;
  // Here gettext translates nothing and reads no catalog, LANGUAGE or not.
  if (name == "C" || name == "POSIX") return Untranslated;
  const std::string folder = CatalogFolder();
  if (folder.empty()) return Untranslated;
  const char* const languages = std::getenv("LANGUAGE");
  // Every catalog gettext might read is read whole first: one cut short or corrupt leaves the game
  // in its Japanese, rather than have gettext read past its end.
  for (const std::string& catalog :
       CatalogNamesToTry(name, languages == nullptr ? "" : languages, HILO_LANGUAGES)) {
    std::string path = folder;
    path.append("/").append(catalog).append("/LC_MESSAGES/").append(kDomain).append(".mo");
    if (!AbsentOrWhole(path)) return Untranslated;
  }
  if (bindtextdomain(kDomain, folder.c_str()) == nullptr) return Untranslated;
  // Translations arrive in UTF-8, as the originals are, and the port encodes both alike.
  if (bind_textdomain_codeset(kDomain, "UTF-8") == nullptr) return Untranslated;
  return Translated;
}

}  // namespace hilo
