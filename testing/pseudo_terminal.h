#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <string_view>

#include "console/posix/fd_io.h"
#include "testing/call_error.h"
#include "testing/deadline.h"
#include "testing/files.h"

// A pseudo-terminal for the game to have as its controlling terminal.
namespace hilo::e2e {

// A pseudo-terminal pair, plus a descriptor of the terminal side that the test keeps for itself to
// look at the terminal's settings and at what is left unread in it.
class PseudoTerminal {
 public:
  PseudoTerminal() {
    int master = -1;
    int terminal = -1;
    Checked(openpty(&master, &terminal, nullptr, nullptr, nullptr), "openpty");
    master_ = Fd(master);
    probe_ = Fd(terminal);
    for (const int fd : {master, terminal}) Checked(fcntl(fd, F_SETFD, FD_CLOEXEC), "fcntl");
    const char* path = ttyname(terminal);
    if (path == nullptr) FailedCall("ttyname");
    path_ = path;
  }

  // The side the test types into and reads the screen from.
  int master() const { return master_.get(); }
  // The device the game gets as its controlling terminal.
  const std::string& path() const { return path_; }

  // The terminal's settings now.
  termios Settings() const {
    termios settings{};
    Checked(tcgetattr(probe_.get(), &settings), "tcgetattr");
    return settings;
  }

  // Waits until the game has switched the terminal out of line mode for its key wait, and returns
  // the settings it chose. The game says nothing when it does, so its settings are watched.
  std::optional<termios> WaitUntilRaw() const {
    termios settings{};
    if (!WaitUntil([&] { return ((settings = Settings()).c_lflag & ICANON) == 0; }))
      return std::nullopt;
    return settings;
  }

  // Everything the game wrote to the screen from now until it ended, which the caller has waited
  // for: a marker written after it on the same terminal arrives after all of it.
  std::string ScreenUntilNow(std::string& screen) const {
    constexpr std::string_view kMarker = "<end of the game>";
    const std::size_t from = screen.size();
    WriteAll(probe_.get(), kMarker);
    const auto deadline = Deadline();
    while (screen.find(kMarker, from) == std::string::npos) {
      if (!ReadMore(master(), screen, deadline)) break;
    }
    EXPECT_NE(screen.find(kMarker, from), std::string::npos) << "the marker never came back";
    return screen.substr(from, screen.rfind(kMarker) - from);
  }

  // The bytes typed at the terminal that nobody has read.
  std::string UnreadInput() const {
    // Out of line mode, so that a typed part of a line shows too.
    termios settings = Settings();
    settings.c_lflag &= ~static_cast<tcflag_t>(ICANON);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    Checked(tcsetattr(probe_.get(), TCSANOW, &settings), "tcsetattr");
    std::string unread;
    char buffer[256];
    while (const ssize_t count = Checked(read(probe_.get(), buffer, sizeof buffer), "read"))
      unread.append(buffer, static_cast<std::size_t>(count));
    return unread;
  }

 private:
  Fd master_;
  Fd probe_;
  std::string path_;
};

// Two terminal settings are the same in everything a program can set.
inline void ExpectSameSettings(const termios& actual, const termios& expected) {
  EXPECT_EQ(actual.c_iflag, expected.c_iflag);
  EXPECT_EQ(actual.c_oflag, expected.c_oflag);
  EXPECT_EQ(actual.c_cflag, expected.c_cflag);
  EXPECT_EQ(actual.c_lflag, expected.c_lflag);
  for (std::size_t i = 0; i < NCCS; ++i)
    EXPECT_EQ(actual.c_cc[i], expected.c_cc[i]) << "c_cc " << i;
  EXPECT_EQ(cfgetispeed(&actual), cfgetispeed(&expected));
  EXPECT_EQ(cfgetospeed(&actual), cfgetospeed(&expected));
}

}  // namespace hilo::e2e
