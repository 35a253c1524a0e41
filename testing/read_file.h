#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace hilo {

// The whole of file, byte for byte; nullopt when it cannot be read, as when it does not exist.
inline std::optional<std::string> ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  // A read that fails midway throws, as /proc/<pid>/stat does for a process that ends meanwhile.
  try {
    return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  } catch (const std::ios_base::failure&) {
    return std::nullopt;
  }
}

}  // namespace hilo
