#include "console/windows/key_press.h"

namespace hilo {
namespace {

namespace vk = virtual_key;

bool InRange(std::uint16_t code, std::uint16_t first, int count) {
  return code >= first && code < first + count;
}

bool IsDigit(std::uint16_t code) { return InRange(code, vk::kDigit0, 10); }

bool IsPadDigit(std::uint16_t code) { return InRange(code, vk::kPad0, 10); }

// The keys that end the wait even though they give no character; everything else that gives none
// (modifiers alone, the lock keys, the Windows and menu keys, F13 and up) is ignored.
bool IsWaitEndingKey(std::uint16_t code) {
  switch (code) {
    case vk::kBackspace:
    case vk::kTab:
    case vk::kEnter:
    case vk::kEscape:
    case vk::kSpace:
    case vk::kPageUp:
    case vk::kPageDown:
    case vk::kEnd:
    case vk::kHome:
    case vk::kLeft:
    case vk::kUp:
    case vk::kRight:
    case vk::kDown:
    case vk::kInsert:
    case vk::kDelete:
    case vk::kPadMultiply:
    case vk::kPadAdd:
    case vk::kPadSubtract:
    case vk::kPadDecimal:
    case vk::kPadDivide:
    case vk::kSemicolon:
    case vk::kEquals:
    case vk::kComma:
    case vk::kMinus:
    case vk::kFullStop:
    case vk::kSlash:
    case vk::kGraveAccent:
    case vk::kLeftBracket:
    case vk::kBackslash:
    case vk::kRightBracket:
    case vk::kApostrophe:
      return true;
    default:
      return IsDigit(code) || InRange(code, vk::kLetterA, 26) || IsPadDigit(code) ||
             InRange(code, vk::kF1, 12);
  }
}

// Ctrl with these keys gives no character and, unlike Ctrl+2 and Ctrl+6, no key code a program
// reading keys one by one would see, so the wait goes on.
bool IsIgnoredWithCtrl(std::uint16_t code) {
  switch (code) {
    case vk::kSlash:
    case vk::kEquals:
    case vk::kSemicolon:
    case vk::kApostrophe:
    case vk::kComma:
    case vk::kFullStop:
    case vk::kGraveAccent:
      return true;
    default:
      return IsDigit(code) && code != vk::kDigit0 + 2 && code != vk::kDigit0 + 6;
  }
}

}  // namespace

bool EndsKeyWait(const KeyPress& key) {
  if (key.character != 0) return true;
  if (!IsWaitEndingKey(key.virtual_key)) return false;
  if (key.ctrl && IsIgnoredWithCtrl(key.virtual_key)) return false;
  // Alt with keypad digits is how a character is typed by its code; the digits alone are no key.
  if (key.alt && IsPadDigit(key.virtual_key)) return false;
  return true;
}

}  // namespace hilo
