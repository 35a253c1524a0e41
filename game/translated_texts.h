#pragma once

#include <array>
#include <functional>
#include <string_view>

#include "console/console.h"
#include "game/texts.h"
#include "rules/card.h"
#include "rules/scoring.h"

namespace hilo {

// Gives the translation of one of the game's Japanese texts into the player's language, or the
// text itself when there is none. What it gives must last as long as the game.
using Translate = std::function<std::string_view(std::string_view original)>;

// The game in its own Japanese: every text as it is.
std::string_view Untranslated(std::string_view original);

// The game's Japanese texts in the player's language, each looked up once, as the game starts. A
// translation whose "%d" and "%s" are not its original's, in order, is left out for the original,
// so that no catalog can make the console misformat.
struct TranslatedTexts {
  explicit TranslatedTexts(const Translate& translate);

  // The three rules texts of a difficulty: what "h" earns, what "l" earns, what continuing costs.
  std::array<TextFor<>, 3> RulesOf(Difficulty difficulty) const;

  TextFor<> introduction_guess;
  TextFor<> introduction_how_to_answer;
  TextFor<> introduction_game_over;
  TextFor<> introduction_cards;
  TextFor<Card> introduction_face_cards;
  TextFor<> introduction_finish;
  TextFor<> introduction_choose_difficulty;
  TextFor<std::string_view> difficulty_chosen;
  TextFor<> good_luck;
  std::array<TextFor<>, texts::kRulesTexts.size()> rules;  // in the order of texts::kRulesTexts
  TextFor<> change_clears_points;
  TextFor<> back_to_choice;
};

}  // namespace hilo
