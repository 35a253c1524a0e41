#include "app/write_error.h"

#include <cerrno>
#include <cstdio>

namespace hilo {

std::error_code WriteAndCloseStandardOutput(std::string_view text) {
  // stdio holds the text until it is flushed, so the flush or the close may be what fails.
  if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0 &&
      std::fclose(stdout) == 0) {
    return {};
  }
  return {errno != 0 ? errno : EIO, std::generic_category()};
}

int StatusAfterOutput(std::error_code failed) {
  if (!failed) return 0;
  std::fprintf(stderr, "hilo: write error: %s\n", failed.message().c_str());
  return 1;
}

}  // namespace hilo
