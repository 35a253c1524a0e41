#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "console/console.h"
#include "rules/scoring.h"

namespace hilo::e2e {

// What the game should write, built from its texts and rules rather than from its output.
class Transcript {
 public:
  // Appends text with each "%d" and "%s" filled, in order, from values.
  Transcript& Say(std::string_view text, std::initializer_list<Console::Value> values = {});

  // Appends the introduction and the first difficulty prompt.
  Transcript& Start();

  // Appends what choosing difficulty writes, up to the first card's prompt for card.
  Transcript& Choose(Difficulty difficulty, std::string_view card);

  // Everything appended so far.
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace hilo::e2e
