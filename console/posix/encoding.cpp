#include "console/posix/encoding.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>

namespace hilo {
namespace {

// Codeset names vary in case and punctuation between systems ("UTF-8", "utf8", "Shift_JIS",
// "SHIFT-JIS"), so they are compared on their letters and digits alone, in upper case.
std::string Simplified(std::string_view codeset) {
  std::string simple;
  for (const char c : codeset) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte)) simple.push_back(static_cast<char>(std::toupper(byte)));
  }
  return simple;
}

// Locales whose bytes are UTF-8 already, or plain ASCII: in the latter nothing can show the
// Japanese texts, and a UTF-8 terminal behind a C locale is the common case, so UTF-8 goes out.
constexpr std::array<std::string_view, 6> kWrittenAsUtf8 = {
    "UTF8", "ANSIX341968", "ASCII", "USASCII", "646", "POSIX",
};

// The names under which systems report a Shift_JIS locale; all of them get the code page 932
// bytes, a superset of Shift_JIS holding every character the game writes.
constexpr std::array<std::string_view, 7> kShiftJisNames = {
    "SHIFTJIS", "SJIS", "CP932", "WINDOWS31J", "MSKANJI", "CSSHIFTJIS", "CSWINDOWS31J",
};

constexpr std::size_t kIconvError = static_cast<std::size_t>(-1);

// True when name is among names.
bool IsOneOf(const std::string& name, const auto& names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// How many bytes the UTF-8 character at the start of bytes takes; 1 for a byte that begins no
// whole character, so that the bytes after it are looked at afresh.
std::size_t CharacterBytes(std::string_view bytes) {
  const auto lead = static_cast<unsigned char>(bytes.front());
  const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                            : 1;
  if (length > bytes.size()) return 1;
  for (std::size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(bytes[i]) & 0xC0) != 0x80) return 1;
  }
  return length;
}

}  // namespace

bool OutputEncoder::Chunk::HandOn() {
  const auto used = static_cast<std::size_t>(at_ - bytes_);
  at_ = bytes_;
  left_ = sizeof bytes_;
  if (used == 0) return false;
  write_(std::string_view(bytes_, used));
  return true;
}

void OutputEncoder::Chunk::Put(char byte) {
  if (left_ == 0) HandOn();
  *at_++ = byte;
  --left_;
}

std::optional<std::string> ChooseOutputEncoding(std::string_view codeset) {
  const std::string simple = Simplified(codeset);
  if (simple.empty() || IsOneOf(simple, kWrittenAsUtf8)) return std::nullopt;
  if (IsOneOf(simple, kShiftJisNames)) return "CP932";
  return std::string(codeset);
}

OutputEncoder::OutputEncoder(const std::optional<std::string>& target) {
  if (target) converter_ = iconv_open(target->c_str(), "UTF-8");
}

OutputEncoder::~OutputEncoder() {
  if (converts()) iconv_close(converter_);
}

void OutputEncoder::Encode(std::string_view text, const Sink& write) {
  if (!converts()) {
    write(text);
    return;
  }
  char* in = const_cast<char*>(text.data());
  std::size_t in_left = text.size();
  Chunk out(write);
  for (;;) {
    if (iconv(converter_, &in, &in_left, out.at(), out.left()) != kIconvError) {
      ShiftBack(out);  // closes a stateful encoding's last shift sequence
      break;
    }
    if (errno == E2BIG) {
      if (!out.HandOn()) break;  // not even one character fits an empty chunk
    } else {
      // A character the target cannot show, or bytes that are no character: "?" stands in for
      // it, in the initial shift state, and the rest of the text goes on as it would have.
      ShiftBack(out);
      out.Put('?');
      const std::size_t skipped = std::min(in_left, CharacterBytes({in, in_left}));
      in += skipped;
      in_left -= skipped;
    }
  }
  out.HandOn();
  // The next text starts from the initial shift state, whatever became of this one.
  iconv(converter_, nullptr, nullptr, nullptr, nullptr);
}

void OutputEncoder::ShiftBack(Chunk& out) {
  while (iconv(converter_, nullptr, nullptr, out.at(), out.left()) == kIconvError &&
         errno == E2BIG) {
    if (!out.HandOn()) return;
  }
}

}  // namespace hilo
