#include "console/windows/keyboard.h"

#include "console/windows/key_press.h"
#include "console/windows/raw_mode.h"

namespace hilo {
namespace {

// A console key event as the key rule sees it: character, key code and the modifiers held.
KeyPress KeyPressOf(const KEY_EVENT_RECORD& event) {
  const DWORD state = event.dwControlKeyState;
  return {
      .character = event.uChar.AsciiChar,
      .virtual_key = event.wVirtualKeyCode,
      .shift = (state & SHIFT_PRESSED) != 0,
      .ctrl = (state & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) != 0,
      .alt = (state & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED)) != 0,
  };
}

}  // namespace

ConsoleKeyboard::ConsoleKeyboard()
    : input_(CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, 0, nullptr)) {}

ConsoleKeyboard::~ConsoleKeyboard() {
  if (input_ != INVALID_HANDLE_VALUE) CloseHandle(input_);
}

void ConsoleKeyboard::WaitKey() {
  if (input_ == INVALID_HANDLE_VALUE) return;
  const RawMode raw(input_);
  if (!raw.raw()) return;
  for (;;) {
    INPUT_RECORD record;
    DWORD count = 0;
    if (!ReadConsoleInputA(input_, &record, 1, &count) || count == 0) return;
    // Key releases, mouse, focus, menu and window-size events are not key presses.
    if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown) continue;
    if (EndsKeyWait(KeyPressOf(record.Event.KeyEvent))) return;
  }
}

}  // namespace hilo
