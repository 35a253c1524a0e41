#pragma once

#include <cstdint>

namespace hilo {

// The small linear congruential generator behind every card draw.
class Lcg {
 public:
  // Sets the state to seed, then advances once and throws that first output away.
  constexpr void Seed(std::uint32_t seed) {
    state_ = seed;
    Next();
  }

  // Advances once and returns bits 16..30 of the new state, a value 0..32767.
  constexpr std::uint32_t Next() {
    // Unsigned arithmetic wraps, which is exactly the generator's modulo 2^32.
    state_ = state_ * kMultiplier + kIncrement;
    return (state_ >> 16) & 0x7FFFU;
  }

 private:
  static constexpr std::uint32_t kMultiplier = 22695477U;  // 0x15A4E35
  static constexpr std::uint32_t kIncrement = 1U;

  std::uint32_t state_ = 0;
};

}  // namespace hilo
