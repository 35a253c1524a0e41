#pragma once

#include <string_view>

namespace hilo {

// A card's value: 2 to 10 are the number cards, 11 is J, 12 Q, 13 K and 14 A. There are no suits.
using Card = int;

inline constexpr Card kLowestCard = 2;
inline constexpr Card kHighestCard = 14;

// The text shown for a card ("2" to "10", "J", "Q", "K", "A"); card must be 2..14.
std::string_view CardLabel(Card card);

}  // namespace hilo
