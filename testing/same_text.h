#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace hilo {

// Shared by the tests that compare the game's whole output with the expected one.

// Compares two outputs for EXPECT_PRED_FORMAT2, reporting only where they part and what follows,
// not both whole games.
inline testing::AssertionResult SameText(const char* actual_expr, const char* expected_expr,
                                         const std::string& actual, const std::string& expected) {
  if (actual == expected) return testing::AssertionSuccess();
  std::size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  const std::size_t from = at < 40 ? 0 : at - 40;
  return testing::AssertionFailure()
         << actual_expr << " and " << expected_expr << " part at byte " << at << " of "
         << actual.size() << " (expected " << expected.size() << ")"
         << "\n  actual:   " << testing::PrintToString(actual.substr(from, 120))
         << "\n  expected: " << testing::PrintToString(expected.substr(from, 120));
}

}  // namespace hilo
