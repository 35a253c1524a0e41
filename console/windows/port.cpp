#include <windows.h>

#include <algorithm>
#include <array>
#include <span>
#include <string>
#include <system_error>

#include "console/console_port.h"
#include "console/windows/keyboard.h"
#include "console/windows/pieces.h"
#include "console/write_all.h"

namespace hilo {
namespace {

// Older consoles fail a read whose buffer outgrows their 64 KB heap, which would end the game's
// input at once; a typed line is far shorter, and a longer one simply takes more reads.
constexpr DWORD kMostConsoleReadBytes = 16 * 1024;

// The same heap bounds a write: the texts go to a console in pieces of at most this many bytes,
// each converted into a buffer of as many UTF-16 units, since code page 932 gives at most one unit
// for each byte.
constexpr std::size_t kConsolePieceBytes = std::size_t{8} * 1024;

// Whether handle is a console's screen, where text is written as UTF-16, rather than a file, a
// pipe, or a device such as NUL that is not a console.
bool IsConsoleScreen(HANDLE handle) {
  DWORD mode = 0;
  return GetFileType(handle) == FILE_TYPE_CHAR && GetConsoleMode(handle, &mode);
}

// Standard input and output through their Windows handles, and the console keyboard through its
// own input, so the key wait works whatever standard input is redirected from.
class WindowsPort : public ConsolePort {
 public:
  WindowsPort()
      : input_(GetStdHandle(STD_INPUT_HANDLE)),
        output_(GetStdHandle(STD_OUTPUT_HANDLE)),
        input_is_console_(GetFileType(input_) == FILE_TYPE_CHAR),
        output_is_device_(GetFileType(output_) == FILE_TYPE_CHAR),
        output_is_console_(IsConsoleScreen(output_)) {}

  std::size_t Read(std::span<char> buffer) override {
    const DWORD most = input_is_console_ ? kMostConsoleReadBytes : MAXDWORD;
    const auto wanted = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), most));
    DWORD delivered = 0;
    // A console delivers a line per read; a closed pipe or a failed read ends the input.
    if (!ReadFile(input_, buffer.data(), wanted, &delivered, nullptr)) return 0;
    return delivered;
  }

  std::error_code Write(std::string_view texts) override {
    // The texts are Shift_JIS bytes; the line ends become CR LF, on a console and in a file.
    const std::string crlf = WithCrLf(texts);
    return output_is_console_ ? WriteToConsole(crlf) : WriteBytes(crlf);
  }

  bool WritesToTerminal() const override { return output_is_device_; }

  void WaitKey() override { keyboard_.WaitKey(); }

 private:
  // Writes bytes unchanged: what files and pipes get, byte for byte. Returns why a write failed.
  std::error_code WriteBytes(std::string_view bytes) const {
    return Failure(WriteAll(std::span(bytes), [this](std::span<const char> rest) -> std::size_t {
      DWORD written = 0;
      const auto size = static_cast<DWORD>(rest.size());
      return WriteFile(output_, rest.data(), size, &written, nullptr) ? written : 0;
    }));
  }

  // Writes UTF-16 units to the console's screen. Returns why a write failed.
  std::error_code WriteUnits(std::span<const wchar_t> units) const {
    return Failure(WriteAll(units, [this](std::span<const wchar_t> rest) -> std::size_t {
      DWORD written = 0;
      const auto size = static_cast<DWORD>(rest.size());
      return WriteConsoleW(output_, rest.data(), size, &written, nullptr) ? written : 0;
    }));
  }

  // No error for a whole write; else the reason Windows gave for the write that failed, which was
  // the last call made.
  static std::error_code Failure(bool whole) {
    if (whole) return {};
    const DWORD reason = GetLastError();
    return {static_cast<int>(reason != 0 ? reason : ERROR_WRITE_FAULT), std::system_category()};
  }

  // Writes cp932 to the console as UTF-16, which a console shows whatever its code page: the game
  // neither reads nor sets it, and on any but 932 the bytes as stored would show as other
  // characters. Windows' own table of code page 932 converts them, the one a console on that code
  // page shows them by.
  std::error_code WriteToConsole(std::string_view cp932) const {
    std::array<wchar_t, kConsolePieceBytes> wide;
    while (!cp932.empty()) {
      const std::string_view piece = FirstPiece(cp932, kConsolePieceBytes);
      cp932.remove_prefix(piece.size());
      const int units = MultiByteToWideChar(932, 0, piece.data(), static_cast<int>(piece.size()),
                                            wide.data(), static_cast<int>(wide.size()));
      // Without the system's table of code page 932 the bytes go out as stored.
      const std::error_code failed =
          units > 0 ? WriteUnits(std::span(wide).first(static_cast<std::size_t>(units)))
                    : WriteBytes(piece);
      if (failed) return failed;
    }
    return {};
  }

  HANDLE input_;
  HANDLE output_;
  bool input_is_console_;
  bool output_is_device_;     // a console or another character device: nothing is held back
  bool output_is_console_;    // a console's screen: written as UTF-16
  ConsoleKeyboard keyboard_;  // the console's own input, opened once at start-up
};

}  // namespace

std::unique_ptr<ConsolePort> MakeStandardPort() { return std::make_unique<WindowsPort>(); }

}  // namespace hilo
