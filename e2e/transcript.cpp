#include "e2e/transcript.h"

#include "e2e/expected_text.h"
#include "game/texts.h"

namespace hilo::e2e {

Transcript& Transcript::Say(std::string_view text, std::initializer_list<Console::Value> values) {
  text_ += Fill(text, values);
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
