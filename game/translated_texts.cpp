#include "game/translated_texts.h"

#include <cstddef>
#include <type_traits>
#include <utility>

namespace hilo {
namespace {

template <typename... Values>
TextFor<Values...> In(const Translate& translate,
                      std::type_identity_t<TextFor<Values...>> original) {
  return original.TranslatedTo(translate(original.text()));
}

template <std::size_t... At>
std::array<TextFor<>, sizeof...(At)> RulesIn(const Translate& translate,
                                             std::index_sequence<At...> /*every rules text*/) {
  return {In(translate, TextFor<>(texts::kRulesTexts[At]))...};
}

}  // namespace

std::string_view Untranslated(std::string_view original) { return original; }

TranslatedTexts::TranslatedTexts(const Translate& translate)
    : introduction_guess(In(translate, texts::kIntroductionGuess)),
      introduction_how_to_answer(In(translate, texts::kIntroductionHowToAnswer)),
      introduction_game_over(In(translate, texts::kIntroductionGameOver)),
      introduction_cards(In(translate, texts::kIntroductionCards)),
      introduction_face_cards(In<Card>(translate, texts::kIntroductionFaceCards)),
      introduction_finish(In(translate, texts::kIntroductionFinish)),
      introduction_choose_difficulty(In(translate, texts::kIntroductionChooseDifficulty)),
      difficulty_chosen(In<std::string_view>(translate, texts::kDifficultyChosen)),
      good_luck(In(translate, texts::kGoodLuck)),
      rules(RulesIn(translate, std::make_index_sequence<texts::kRulesTexts.size()>())),
      change_clears_points(In(translate, texts::kChangeClearsPoints)),
      back_to_choice(In(translate, texts::kBackToChoice)) {}

std::array<TextFor<>, 3> TranslatedTexts::RulesOf(Difficulty difficulty) const {
  const auto [higher, lower, continuing] = texts::RulesTextsOf(difficulty);
  return {rules[higher], rules[lower], rules[continuing]};
}

}  // namespace hilo
