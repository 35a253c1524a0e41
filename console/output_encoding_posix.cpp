#include "console/output_encoding_posix.h"

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

}  // namespace

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

std::string OutputEncoder::Encode(std::string_view text) {
  if (!converts()) return std::string(text);
  std::string converted(text.size() + 16, '\0');
  char* in = const_cast<char*>(text.data());
  std::size_t in_left = text.size();
  std::size_t used = 0;
  bool failed = false;
  // The second pass, with no input, closes a stateful encoding's shift sequence.
  for (bool closing = false;;) {
    char* out = converted.data() + used;
    std::size_t out_left = converted.size() - used;
    const std::size_t result = closing ? iconv(converter_, nullptr, nullptr, &out, &out_left)
                                       : iconv(converter_, &in, &in_left, &out, &out_left);
    used = converted.size() - out_left;
    if (result == kIconvError && errno == E2BIG) {
      converted.resize(converted.size() * 2);
      continue;
    }
    if (result == kIconvError) {
      failed = true;
      break;
    }
    if (closing) break;
    closing = true;
  }
  // The next text starts from the initial shift state, whatever became of this one.
  iconv(converter_, nullptr, nullptr, nullptr, nullptr);
  if (failed) return std::string(text);
  converted.resize(used);
  return converted;
}

}  // namespace hilo
