#include "app/transcript.h"

#include "game/texts.h"

namespace hilo::e2e {

Transcript& Transcript::Say(std::string_view text,
                            std::initializer_list<std::variant<int, std::string_view>> values) {
  const auto* value = values.begin();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool placeholder = text[i] == '%' && i + 1 < text.size() &&
                             (text[i + 1] == 'd' || text[i + 1] == 's') && value != values.end();
    if (!placeholder) {
      text_ += text[i];
      continue;
    }
    if (const int* number = std::get_if<int>(value)) {
      text_ += std::to_string(*number);
    } else {
      text_ += std::get<std::string_view>(*value);
    }
    ++value;
    ++i;
  }
  return *this;
}

Transcript& Transcript::Start() {
  Say(texts::kIntroductionGuess);
  Say(texts::kIntroductionHowToAnswer);
  Say(texts::kIntroductionGameOver);
  Say(texts::kIntroductionCards);
  for (int value = 2; value <= 10; ++value) Say(texts::kIntroductionCardValue, {value});
  Say(texts::kIntroductionFaceCards, {2});
  Say(texts::kIntroductionFinish);
  Say(texts::kIntroductionChooseDifficulty);
  return Say(texts::kSelectDifficulty);
}

Transcript& Transcript::Choose(Difficulty difficulty, std::string_view card) {
  Say(texts::kDifficultyChosen, {InfoOf(difficulty).display_name});
  for (const std::string_view rules : texts::RulesTextsOf(difficulty)) Say(rules);
  Say(texts::kGoodLuck);
  return Say(texts::kCardPrompt, {card});
}

}  // namespace hilo::e2e
