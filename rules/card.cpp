#include "rules/card.h"

#include <array>
#include <cassert>

namespace hilo {

std::string_view CardLabel(Card card) {
  static constexpr std::array<std::string_view, kHighestCard - kLowestCard + 1> kLabels = {
      "2", "3", "4", "5", "6", "7", "8", "9", "10", "J", "Q", "K", "A"};
  assert(card >= kLowestCard && card <= kHighestCard);
  return kLabels[static_cast<std::size_t>(card - kLowestCard)];
}

}  // namespace hilo
