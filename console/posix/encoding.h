#pragma once

#include <iconv.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The texts in the character set of the player's locale.
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

  // Where the bytes to write go, a piece at a time.
  using Sink = std::function<void(std::string_view bytes)>;

  // Hands write the bytes of text converted, each character the target cannot show (and each
  // byte that begins no UTF-8 character) written as "?", so that everything else reads as it
  // should; ends in the initial shift state. The bytes of a text are the same whole or in parts
  // cut between characters, in a character set without shift states. Needs no memory of its own.
  void Encode(std::string_view text, const Sink& write);

 private:
  // A piece of converted output, handed on when full.
  class Chunk {
   public:
    explicit Chunk(const Sink& write) : write_(write) {}
    // Where iconv writes next, and how much room is left there.
    char** at() { return &at_; }
    std::size_t* left() { return &left_; }
    // Hands on what the chunk holds and empties it; false when it held nothing.
    bool HandOn();
    // Adds one byte.
    void Put(char byte);

   private:
    const Sink& write_;
    char bytes_[4096];
    char* at_ = bytes_;
    std::size_t left_ = sizeof bytes_;
  };

  // Writes what returns the target to its initial shift state.
  void ShiftBack(Chunk& out);

  static inline const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
  iconv_t converter_ = kNoConverter;
};

}  // namespace hilo
