#include "console/write_all.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace hilo {
namespace {

TEST(WriteAllTest, AWriteThatTakesPartGoesOnWithTheRest) {
  const std::wstring_view text = L"\u3053\u306e\r\nab";
  // Each entry: how many units the write takes when offered (0 is a failed write).
  const struct {
    std::vector<std::size_t> takes;
    std::wstring written;
    bool whole;
  } cases[] = {
      {{6}, L"\u3053\u306e\r\nab", true},
      {{1, 2, 3}, L"\u3053\u306e\r\nab", true},
      {{2, 0}, L"\u3053\u306e", false},
      {{0}, L"", false},
  };
  for (const auto& c : cases) {
    std::wstring written;
    std::size_t call = 0;
    const bool whole = WriteAll(std::span(text), [&](std::span<const wchar_t> rest) {
      const std::size_t taken = std::min(c.takes.at(call++), rest.size());
      written.append(rest.data(), taken);
      return taken;
    });
    EXPECT_EQ(whole, c.whole) << c.takes.size();
    EXPECT_EQ(written, c.written) << c.takes.size();
    EXPECT_EQ(call, c.takes.size()) << "writes made";
  }
}

}  // namespace
}  // namespace hilo
