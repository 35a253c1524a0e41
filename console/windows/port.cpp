#include <windows.h>

#include <algorithm>
#include <string>

#include "console/console_port.h"
#include "console/windows/key_wait.h"
#include "console/windows/output.h"

namespace hilo {
namespace {

// Older consoles fail a read whose buffer outgrows their 64 KB heap, which would end the game's
// input at once; a typed line is far shorter, and a longer one simply takes more reads.
constexpr DWORD kMostConsoleReadBytes = 16 * 1024;

// Holds the console input in mode 0 (no line input, no echo, Ctrl+C an ordinary key) for as long as
// it lives, and puts the saved mode back however the key wait ends.
class RawConsoleInput {
 public:
  explicit RawConsoleInput(HANDLE input) : input_(input) {
    raw_ = GetConsoleMode(input_, &saved_mode_) && SetConsoleMode(input_, 0);
  }
  ~RawConsoleInput() {
    if (raw_) SetConsoleMode(input_, saved_mode_);
  }
  RawConsoleInput(const RawConsoleInput&) = delete;
  RawConsoleInput& operator=(const RawConsoleInput&) = delete;

  // False when there is no console to switch, and so no key to wait for.
  bool raw() const { return raw_; }

 private:
  HANDLE input_;
  DWORD saved_mode_ = 0;
  bool raw_ = false;
};

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

// Standard input and output through their Windows handles, and the console keyboard through its
// own input handle, so the key wait works whatever standard input is redirected from.
class WindowsPort : public ConsolePort {
 public:
  WindowsPort()
      : input_(GetStdHandle(STD_INPUT_HANDLE)),
        output_(GetStdHandle(STD_OUTPUT_HANDLE)),
        input_is_console_(GetFileType(input_) == FILE_TYPE_CHAR),
        output_is_console_(GetFileType(output_) == FILE_TYPE_CHAR),
        keyboard_(CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr)) {}

  ~WindowsPort() override {
    if (keyboard_ != INVALID_HANDLE_VALUE) CloseHandle(keyboard_);
  }
  WindowsPort(const WindowsPort&) = delete;
  WindowsPort& operator=(const WindowsPort&) = delete;

  std::size_t Read(std::span<char> buffer) override {
    const DWORD most = input_is_console_ ? kMostConsoleReadBytes : MAXDWORD;
    const auto wanted = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), most));
    DWORD delivered = 0;
    // A console delivers a line per read; a closed pipe or a failed read ends the input.
    if (!ReadFile(input_, buffer.data(), wanted, &delivered, nullptr)) return 0;
    return delivered;
  }

  void Write(std::string_view texts) override {
    // The texts are already Shift_JIS bytes; only the line ends change, on a console and in a file.
    crlf_.clear();
    AppendWithCrLf(crlf_, texts);
    std::string_view rest = crlf_;
    while (!rest.empty()) {
      DWORD written = 0;
      if (!WriteFile(output_, rest.data(), static_cast<DWORD>(rest.size()), &written, nullptr) ||
          written == 0) {
        return;  // nobody is told of a failed write: the game goes on
      }
      rest.remove_prefix(written);
    }
  }

  bool WritesToTerminal() const override { return output_is_console_; }

  void WaitKey() override {
    if (keyboard_ == INVALID_HANDLE_VALUE) return;
    const RawConsoleInput raw(keyboard_);
    if (!raw.raw()) return;
    for (;;) {
      INPUT_RECORD record;
      DWORD count = 0;
      if (!ReadConsoleInputA(keyboard_, &record, 1, &count) || count == 0) return;
      // Key releases, mouse, focus, menu and window-size events are not key presses.
      if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown) continue;
      if (EndsKeyWait(KeyPressOf(record.Event.KeyEvent))) return;
    }
  }

 private:
  HANDLE input_;
  HANDLE output_;
  bool input_is_console_;
  bool output_is_console_;
  HANDLE keyboard_;   // the console's own input, opened once; invalid when there is no console
  std::string crlf_;  // the texts being written, with their line ends converted
};

}  // namespace

std::unique_ptr<ConsolePort> MakeStandardPort() { return std::make_unique<WindowsPort>(); }

}  // namespace hilo
