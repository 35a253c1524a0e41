#pragma once

#include <cstdint>
#include <optional>

#include "rules/card.h"
#include "rules/clock.h"

namespace hilo {

// The card a clock reading gives, or nullopt for the seconds whose generator value (0 or 1) is no
// card. Only the reading modulo 100 matters.
std::optional<Card> CardForSecond(std::int64_t seconds);

// Draws one card: that of the first accepted second from now on, sleeping through a rejected one.
// Throws ClockUnreadable when the clock cannot be read.
Card ClockSeededDraw(Clock& clock);

}  // namespace hilo
