#pragma once

#include <cstddef>
#include <span>

namespace hilo {

// Writing it all, the one way every platform writes: offers write_some what remains of units until
// it has taken them all. write_some makes one write, retrying itself where the platform says to
// try again, and returns how many of the units it was offered it took, 0 when it failed. Returns
// false at the first write that fails or takes nothing, the rest left unwritten.
template <typename Unit, typename WriteSome>
bool WriteAll(std::span<const Unit> units, WriteSome write_some) {
  while (!units.empty()) {
    const std::size_t taken = write_some(units);
    if (taken == 0) return false;
    units = units.subspan(taken);
  }
  return true;
}

}  // namespace hilo
