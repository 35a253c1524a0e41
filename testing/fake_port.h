#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "console/console_port.h"

namespace hilo {

// A port for tests: standard input comes as scripted chunks, one per read (split if a read asks
// for less), and everything written is captured.
class FakePort : public ConsolePort {
 public:
  explicit FakePort(std::vector<std::string> chunks = {}, bool terminal = false)
      : chunks_(std::move(chunks)), terminal_(terminal) {}

  std::size_t Read(std::span<char> buffer) override {
    output_at_reads_.push_back(output_);
    if (next_ == chunks_.size()) return 0;
    std::string& chunk = chunks_[next_];
    const std::size_t count = std::min(buffer.size(), chunk.size() - offset_);
    std::copy_n(chunk.data() + offset_, count, buffer.data());
    offset_ += count;
    if (offset_ == chunk.size()) {
      ++next_;
      offset_ = 0;
    }
    return count;
  }

  std::error_code Write(std::string_view texts) override {
    output_.append(texts);
    ++writes_;
    const auto write = static_cast<std::size_t>(writes_ - 1);
    return write < failures_.size() ? failures_[write] : std::error_code();
  }

  bool WritesToTerminal() const override { return terminal_; }

  void WaitKey() override { output_at_key_waits_.push_back(output_); }

  // What the port's writes return, the first write's first; the writes beyond them succeed.
  void SetWriteResults(std::vector<std::error_code> results) { failures_ = std::move(results); }

  // Everything written so far.
  const std::string& output() const { return output_; }
  // How many times texts were handed to the port.
  int writes() const { return writes_; }
  // What had been written when each read of standard input began.
  const std::vector<std::string>& output_at_reads() const { return output_at_reads_; }
  // What had been written when each key wait began.
  const std::vector<std::string>& output_at_key_waits() const { return output_at_key_waits_; }

 private:
  std::vector<std::string> chunks_;
  std::size_t next_ = 0;
  std::size_t offset_ = 0;
  bool terminal_;
  std::string output_;
  int writes_ = 0;
  std::vector<std::string> output_at_reads_;
  std::vector<std::string> output_at_key_waits_;
  std::vector<std::error_code> failures_;
};

}  // namespace hilo
