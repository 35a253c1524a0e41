#pragma once

#include <cerrno>
#include <string>
#include <string_view>
#include <system_error>

// The one way the test support reports a system call that failed: which call, with errno.
namespace hilo::e2e {

// Ends the test that called with an exception that names call and says error's meaning and number.
[[noreturn]] inline void FailedCall(std::string_view call, int error = errno) {
  throw std::system_error(error, std::generic_category(),
                          std::string(call) + " failed (errno " + std::to_string(error) + ")");
}

// result, unless it is -1, a call's failure; then as FailedCall.
template <typename Result>
Result Checked(Result result, std::string_view call) {
  if (result == -1) FailedCall(call);
  return result;
}

}  // namespace hilo::e2e
