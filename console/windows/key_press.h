#pragma once

#include <cstdint>

// Which key press at the console ends the key wait.
namespace hilo {

// Windows' virtual-key codes for the keys the key wait looks at. They are spelled out here so that
// the key rule needs no Windows header and is built and tested on every platform.
namespace virtual_key {
inline constexpr std::uint16_t kBackspace = 0x08;
inline constexpr std::uint16_t kTab = 0x09;
inline constexpr std::uint16_t kEnter = 0x0D;
inline constexpr std::uint16_t kShift = 0x10;
inline constexpr std::uint16_t kControl = 0x11;
inline constexpr std::uint16_t kAlt = 0x12;
inline constexpr std::uint16_t kPause = 0x13;
inline constexpr std::uint16_t kCapsLock = 0x14;
inline constexpr std::uint16_t kEscape = 0x1B;
inline constexpr std::uint16_t kSpace = 0x20;
inline constexpr std::uint16_t kPageUp = 0x21;
inline constexpr std::uint16_t kPageDown = 0x22;
inline constexpr std::uint16_t kEnd = 0x23;
inline constexpr std::uint16_t kHome = 0x24;
inline constexpr std::uint16_t kLeft = 0x25;
inline constexpr std::uint16_t kUp = 0x26;
inline constexpr std::uint16_t kRight = 0x27;
inline constexpr std::uint16_t kDown = 0x28;
inline constexpr std::uint16_t kInsert = 0x2D;
inline constexpr std::uint16_t kDelete = 0x2E;
inline constexpr std::uint16_t kDigit0 = 0x30;   // the top-row digits run on to kDigit0 + 9
inline constexpr std::uint16_t kLetterA = 0x41;  // the letters run on to kLetterA + 25
inline constexpr std::uint16_t kLeftWindows = 0x5B;
inline constexpr std::uint16_t kRightWindows = 0x5C;
inline constexpr std::uint16_t kMenu = 0x5D;
inline constexpr std::uint16_t kPad0 = 0x60;  // the keypad digits run on to kPad0 + 9
inline constexpr std::uint16_t kPadMultiply = 0x6A;
inline constexpr std::uint16_t kPadAdd = 0x6B;
inline constexpr std::uint16_t kPadSubtract = 0x6D;
inline constexpr std::uint16_t kPadDecimal = 0x6E;
inline constexpr std::uint16_t kPadDivide = 0x6F;
inline constexpr std::uint16_t kF1 = 0x70;  // the function keys run on to kF1 + 11 (F12)
inline constexpr std::uint16_t kF13 = 0x7C;
inline constexpr std::uint16_t kNumLock = 0x90;
inline constexpr std::uint16_t kScrollLock = 0x91;
inline constexpr std::uint16_t kSemicolon = 0xBA;
inline constexpr std::uint16_t kEquals = 0xBB;
inline constexpr std::uint16_t kComma = 0xBC;
inline constexpr std::uint16_t kMinus = 0xBD;
inline constexpr std::uint16_t kFullStop = 0xBE;
inline constexpr std::uint16_t kSlash = 0xBF;
inline constexpr std::uint16_t kGraveAccent = 0xC0;
inline constexpr std::uint16_t kLeftBracket = 0xDB;
inline constexpr std::uint16_t kBackslash = 0xDC;
inline constexpr std::uint16_t kRightBracket = 0xDD;
inline constexpr std::uint16_t kApostrophe = 0xDE;
}  // namespace virtual_key

// One key going down at the console: the character it gives (0 for none), its virtual-key code
// and which modifiers were held.
struct KeyPress {
  char character = 0;
  std::uint16_t virtual_key = 0;
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};

// True when this key press ends the wait for a key before the game finishes.
bool EndsKeyWait(const KeyPress& key);

}  // namespace hilo
