#pragma once

#include <iconv.h>

#include <optional>
#include <string>
#include <string_view>

namespace hilo {

// The game's texts are UTF-8 in the source. Given the codeset name of the player's locale (as
// nl_langinfo(CODESET) reports it), the iconv name of the character set to write them in, or
// nullopt when the UTF-8 bytes go out as they are (UTF-8 and plain ASCII locales).
std::optional<std::string> ChooseOutputEncoding(std::string_view codeset);

// Converts the game's UTF-8 texts into one character set with iconv.
class OutputEncoder {
 public:
  // Converts to target (an iconv name), or passes texts through unchanged when target is nullopt
  // or iconv does not know it.
  explicit OutputEncoder(const std::optional<std::string>& target);
  ~OutputEncoder();
  OutputEncoder(const OutputEncoder&) = delete;
  OutputEncoder& operator=(const OutputEncoder&) = delete;

  // True when texts are actually converted rather than passed through.
  bool converts() const { return converter_ != kNoConverter; }

  // The bytes to write for text: converted, or text's own UTF-8 bytes when it holds anything the
  // target cannot show, so that nothing half-converted ever reaches the player.
  std::string Encode(std::string_view text);

 private:
  static inline const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
  iconv_t converter_ = kNoConverter;
};

}  // namespace hilo
