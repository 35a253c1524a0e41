#include "game/translated_texts.h"

#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <string>
#include <string_view>

#include "game/texts.h"

namespace hilo {
namespace {

TEST(TranslatedTextsTest, TakesATranslationOnlyWhenItsPlaceholdersAreTheOriginals) {
  const struct {
    std::string_view translation;
    bool taken;
  } cases[] = {
      {"%d is the lowest", true},   {"the lowest is %d", true}, {"the lowest", false},
      {"%s is the lowest", false},  {"%d and %d", false},       {"%i is the lowest", false},
      {"%%d is the lowest", false},
  };
  for (const auto& c : cases) {
    const TranslatedTexts translated([&](std::string_view original) {
      return original == texts::kIntroductionFaceCards ? c.translation : original;
    });
    EXPECT_EQ(translated.introduction_face_cards.text(),
              c.taken ? c.translation : texts::kIntroductionFaceCards)
        << c.translation;
  }
}

TEST(TranslatedTextsTest, GivesEachDifficultyTheTranslationsOfItsOwnRules) {
  std::deque<std::string> translations;  // each stays where it is as more come
  const TranslatedTexts translated([&](std::string_view original) -> std::string_view {
    return translations.emplace_back("translated " + std::string(original));
  });
  using texts::kContinueClearsPoints, texts::kContinueCostsFiveHundred,
      texts::kContinueHalvesPoints;
  const struct {
    Difficulty difficulty;
    std::array<std::string_view, 3> originals;
  } cases[] = {
      {Difficulty::kHard,
       {texts::kHigherAwardsTenPerStep, texts::kLowerAwardsTenPerStep, kContinueCostsFiveHundred}},
      {Difficulty::kNormal,
       {texts::kHigherAwardsTenPerStep, texts::kLowerAwardsTenPerStep, kContinueClearsPoints}},
      {Difficulty::kEasy,
       {texts::kHigherAwardsBanded, texts::kLowerAwardsBanded, kContinueClearsPoints}},
      {Difficulty::kBeginner,
       {texts::kHigherAwardsBanded, texts::kLowerAwardsBanded, kContinueHalvesPoints}},
  };
  for (const auto& c : cases) {
    const auto rules = translated.RulesOf(c.difficulty);
    for (std::size_t i = 0; i < rules.size(); ++i) {
      EXPECT_EQ(rules[i].text(), "translated " + std::string(c.originals[i]))
          << InfoOf(c.difficulty).display_name << " rules text " << i;
    }
  }
}

}  // namespace
}  // namespace hilo
