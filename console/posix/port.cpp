#include <langinfo.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "console/console_port.h"
#include "console/posix/encoding.h"
#include "console/posix/fd_io.h"
#include "console/posix/keyboard.h"

namespace hilo {
namespace {

// The character set of the process's locale, which main sets from the environment (LC_ALL,
// LC_CTYPE, LANG) at start-up.
std::string LocaleCodeset() {
  const char* codeset = nl_langinfo(CODESET);
  return codeset != nullptr ? codeset : "";
}

// The console on the process's standard input and output and its controlling terminal.
class PosixConsolePort final : public ConsolePort {
 public:
  PosixConsolePort()
      : encoder_(ChooseOutputEncoding(LocaleCodeset())), writes_to_terminal_(isatty(1) == 1) {}

  std::size_t Read(std::span<char> buffer) override {
    // End of input and every read error (a closed or unreadable input) end the game alike.
    const ssize_t count = ReadSome(STDIN_FILENO, buffer);
    return count > 0 ? static_cast<std::size_t>(count) : 0;
  }

  std::error_code Write(std::string_view texts) override {
    if (!texts.empty()) last_byte_ = texts.back();
    std::error_code first_failure;
    encoder_.Encode(texts, [&first_failure](std::string_view bytes) {
      const std::error_code failed = WriteAllTo(STDOUT_FILENO, bytes);
      if (!first_failure) first_failure = failed;
    });
    return first_failure;
  }

  // On a terminal, ends the game's last line, so the shell's prompt starts on a line of its own.
  // Output to a file or a pipe is left exactly as the game wrote it.
  std::error_code EndOutput() override {
    if (!writes_to_terminal_ || last_byte_ == '\n') return {};
    last_byte_ = '\n';
    return WriteAllTo(STDOUT_FILENO, "\n");
  }

  bool WritesToTerminal() const override { return writes_to_terminal_; }

  void WaitKey() override { keyboard_.WaitKey(); }

 private:
  OutputEncoder encoder_;
  bool writes_to_terminal_;
  char last_byte_ = '\n';  // until the game writes, the cursor is where the shell left it
  TerminalKeyboard keyboard_;
};

}  // namespace

std::unique_ptr<ConsolePort> MakeStandardPort() { return std::make_unique<PosixConsolePort>(); }

}  // namespace hilo
