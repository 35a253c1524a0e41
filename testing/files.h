#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "testing/call_error.h"
#include "testing/read_file.h"

// Descriptors, pipes and temporary files, each closed or removed when it goes.
namespace hilo::e2e {

// An open descriptor, closed when it goes.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { Close(); }
  Fd(Fd&& other) noexcept : fd_(other.Release()) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      Close();
      fd_ = other.Release();
    }
    return *this;
  }

  // The descriptor, -1 when closed.
  int get() const { return fd_; }
  // Closes it now. It is closed even when close reports an error: there is nothing to retry.
  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }
  // Gives up ownership.
  int Release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

// Both ends of a new pipe.
struct Pipe {
  Fd read;
  Fd write;
};

// Opens a pipe whose ends are not inherited by started processes beyond the streams given them.
inline Pipe MakePipe() {
  int ends[2];
  Checked(pipe2(ends, O_CLOEXEC), "pipe2");
  return {Fd(ends[0]), Fd(ends[1])};
}

// A new folder of its own under TMPDIR (/tmp when TMPDIR is unset), removed with all it holds when
// it goes. Where none can be made, the test fails at once, naming TMPDIR's folder.
class TempFolder {
 public:
  TempFolder() {
    const char* tmpdir = std::getenv("TMPDIR");
    const std::string root = tmpdir != nullptr && *tmpdir != '\0' ? tmpdir : "/tmp";
    std::string name = root + "/hilo-test-XXXXXX";
    // A name nobody else can have taken, made with the folder, only the test's own to use.
    if (mkdtemp(name.data()) == nullptr)
      FailedCall("mkdtemp in " + root + ", the folder for temporary files (TMPDIR),");
    path_ = name;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Where it is.
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A file holding text, in a folder of its own, removed when it goes.
class TextFile {
 public:
  explicit TextFile(std::string_view text) : path_(folder_.path() / "text") {
    std::ofstream out(path_, std::ios::binary);
    if (!out.write(text.data(), static_cast<std::streamsize>(text.size())).flush())
      FailedCall("writing " + path_.string());
  }

  // Opens it with flags, for reading unless they say otherwise (O_WRONLY, as a program's output).
  Fd Open(int flags = O_RDONLY) const {
    return Fd(Checked(open(path_.c_str(), flags | O_CLOEXEC), "open " + path_.string()));
  }
  // What it holds now.
  std::string Read() const {
    auto text = ReadFile(path_);
    if (!text) FailedCall("reading " + path_.string());
    return *std::move(text);
  }

 private:
  TempFolder folder_;
  std::filesystem::path path_;
};

}  // namespace hilo::e2e
