#include "game/game_flow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/fake_port.h"
#include "e2e/expected_text.h"
#include "game/texts.h"
#include "rules/scripted_clock.h"

namespace hilo {
namespace {

using State = GameFlow::State;

std::string Introduction() {
  return std::string(texts::kIntroductionGuess) + std::string(texts::kIntroductionHowToAnswer) +
         std::string(texts::kIntroductionGameOver) + std::string(texts::kIntroductionCards) +
         "2,3,4,5,6,7,8,9,10," + Fill(texts::kIntroductionFaceCards, {2}) +
         std::string(texts::kIntroductionFinish) +
         std::string(texts::kIntroductionChooseDifficulty) + std::string(texts::kSelectDifficulty);
}

std::string Prompt(std::string_view card) { return Fill(texts::kCardPrompt, {card}); }

// What choosing a difficulty writes, up to the first card's prompt.
std::string Chosen(Difficulty difficulty, std::string_view first_card) {
  std::string out = Fill(texts::kDifficultyChosen, {InfoOf(difficulty).display_name});
  for (const auto text : texts::RulesTextsOf(difficulty)) out += text;
  return out + std::string(texts::kGoodLuck) + Prompt(first_card);
}

// The next card and the outcome of an answer.
std::string Shown(std::string_view card, std::string_view outcome, Score score) {
  return Fill(texts::kNextCard, {card}) + Fill(outcome, {score});
}

// A game played in-process from typed input and a script of clock seconds.
struct Game {
  explicit Game(std::vector<std::string> input, std::vector<std::int64_t> seconds = {1})
      : port(std::move(input)), clock(std::move(seconds)), console(port), flow(console, clock) {}

  // Plays to the end and returns everything written.
  const std::string& Play() {
    flow.Run();
    console.Flush();
    return port.output();
  }

  FakePort port;
  ScriptedClock clock;
  Console console;
  GameFlow flow;
};

TEST(GameFlowTest, WorkedGameAtHard) {
  // Seconds ending 01, 02, 03 and 07 give 10, Q, 7 and A.
  Game game({"hard\n", "h\n", "l\n", "l\n", "y\n"}, {1'767'225'601, 2, 3, 7});
  const std::string expected = Introduction() + Chosen(Difficulty::kHard, "10") +
                               Shown("Q", texts::kWin, 100) + Prompt("Q") +
                               Shown("7", texts::kWin, 160) + Prompt("7") +
                               Shown("A", texts::kLose, 160) + Prompt("A");
  EXPECT_PRED_FORMAT2(SameText, game.Play(), expected);
  EXPECT_EQ(game.flow.score(), -340);
  EXPECT_EQ(game.flow.current_card(), 14);
}

TEST(GameFlowTest, IntroductionCountsTheCardsWithTheirFinalComma) {
  Game game({});
  EXPECT_NE(game.Play().find("倣って\n2,3,4,5,6,7,8,9,10,J,Q,K,A　の13個です\n2が最弱で"),
            std::string::npos);
}

// Each state answers a word it does not know with its own re-ask text and waits again.
TEST(GameFlowTest, EveryStateReasksInItsOwnWords) {
  const std::string lost_at_hard =
      Introduction() + Chosen(Difficulty::kHard, "10") + Shown("9", texts::kLose, 0);
  const struct {
    std::string input;
    std::string expected;
  } cases[] = {
      {"Hard", Introduction() + std::string(texts::kSelectDifficultyAgain)},
      {"finish Y",
       Introduction() + std::string(texts::kAskQuit) + std::string(texts::kAskQuitAgain)},
      {"easy H", Introduction() + Chosen(Difficulty::kEasy, "10") +
                     std::string(texts::kAnswerAgain) + Prompt("10")},
      {"easy finish yes", Introduction() + Chosen(Difficulty::kEasy, "10") +
                              std::string(texts::kAskQuit) + std::string(texts::kAskQuitAgain)},
      {"easy change N", Introduction() + Chosen(Difficulty::kEasy, "10") +
                            std::string(texts::kChangeClearsPoints) +
                            std::string(texts::kAskChange) + std::string(texts::kAskChangeAgain)},
      {"hard h Y", lost_at_hard + std::string(texts::kAskContinueAgain)},
      {"hard h change Change", lost_at_hard + std::string(texts::kAskChangeAfterLoss) +
                                   std::string(texts::kAskChangeAgain)},
  };
  for (const auto& c : cases) {
    // Seconds ending 01 then 97, 98: a 10, then a rejected second that waits for the 9 of 98.
    Game game({c.input}, {1, 97});
    EXPECT_PRED_FORMAT2(SameText, game.Play(), c.expected) << c.input;
  }
}

TEST(GameFlowTest, TheCardPromptComesAgainForTheSameCardAfterAnUnknownWord) {
  Game game({"nomal H finish n h"}, {1, 2});
  const std::string expected = Introduction() + Chosen(Difficulty::kNormal, "10") +
                               std::string(texts::kAnswerAgain) + Prompt("10") +
                               std::string(texts::kAskQuit) + Prompt("10") +
                               Shown("Q", texts::kWin, 100) + Prompt("Q");
  EXPECT_PRED_FORMAT2(SameText, game.Play(), expected);
}

TEST(GameFlowTest, BothWaysBackToTheChoiceClearTheScore) {
  const std::string back =
      std::string(texts::kBackToChoice) + std::string(texts::kSelectDifficulty);
  const std::string won =
      Introduction() + Chosen(Difficulty::kHard, "10") + Shown("Q", texts::kWin, 100) + Prompt("Q");
  const struct {
    std::string input;
    std::vector<std::int64_t> seconds;
    std::string expected;
  } cases[] = {
      // During play: "change" then "y".
      {"hard h change y easy",
       {1, 2, 25},
       won + std::string(texts::kChangeClearsPoints) + std::string(texts::kAskChange) + back +
           Chosen(Difficulty::kEasy, "2")},
      // After a loss: "change" then "y", with no continue penalty.
      {"hard h h change y beginner",
       {1, 2, 3, 25},
       won + Shown("7", texts::kLose, 100) + std::string(texts::kAskChangeAfterLoss) + back +
           Chosen(Difficulty::kBeginner, "2")},
  };
  for (const auto& c : cases) {
    Game game({c.input}, c.seconds);
    EXPECT_PRED_FORMAT2(SameText, game.Play(), c.expected) << c.input;
    EXPECT_EQ(game.flow.score(), 0) << c.input;
  }
}

TEST(GameFlowTest, FinishThenNoAtTheChoiceGoesBackToIt) {
  Game game({"finish n"});
  EXPECT_PRED_FORMAT2(SameText, game.Play(),
                      Introduction() + std::string(texts::kAskQuit) +
                          std::string(texts::kBackToChoice) +
                          std::string(texts::kSelectDifficulty));
}

TEST(GameFlowTest, ChangeThenNoAfterALossAsksToContinueAgain) {
  Game game({"hard l change n y"}, {1, 2});
  const std::string expected =
      Introduction() + Chosen(Difficulty::kHard, "10") + Shown("Q", texts::kLose, 0) +
      std::string(texts::kAskChangeAfterLoss) + std::string(texts::kAskContinue) + Prompt("Q");
  EXPECT_PRED_FORMAT2(SameText, game.Play(), expected);
  EXPECT_EQ(game.flow.score(), -500);
}

TEST(GameFlowTest, WordsOnOneLineAnswerSuccessivePromptsAndMeetEqualCardsInOneSecond) {
  Game game({"hard h l\n"}, {1});
  const std::string expected = Introduction() + Chosen(Difficulty::kHard, "10") +
                               Shown("10", texts::kEven, 0) + Prompt("10") +
                               Shown("10", texts::kEven, 0) + Prompt("10");
  EXPECT_PRED_FORMAT2(SameText, game.Play(), expected);
  EXPECT_EQ(game.port.output_at_reads().size(), 2U);  // one read for the line, one for its end
}

TEST(GameFlowTest, QuittingWaitsForAKeyOnlyAfterFinish) {
  const struct {
    std::string input;
    std::vector<std::int64_t> seconds;
    std::string last_text;
    int key_waits;
  } cases[] = {
      {"finish y", {1}, std::string(texts::kPressKeyToFinish), 1},
      {"easy finish y", {1}, Fill(texts::kFinalPointPressKeyToFinish, {0}), 1},
      {"easy h finish y", {1, 2}, Fill(texts::kFinalPointPressKeyToFinish, {100}), 1},
      {"hard h n", {1, 98}, Fill(texts::kLose, {0}), 0},
  };
  for (const auto& c : cases) {
    Game game({c.input + "\nleft over words"}, c.seconds);
    const std::string& output = game.Play();
    EXPECT_TRUE(output.ends_with(c.last_text)) << c.input;
    ASSERT_EQ(static_cast<int>(game.port.output_at_key_waits().size()), c.key_waits) << c.input;
    if (c.key_waits) {
      EXPECT_EQ(game.port.output_at_key_waits()[0], output) << c.input;
    }
    EXPECT_EQ(game.flow.state(), State::kFinished);
  }
}

// The input may end while any state waits: the game then ends at once, writing nothing more than
// the question it was asking.
TEST(GameFlowTest, EndOfInputEndsTheGameInEveryWaitingState) {
  const struct {
    std::string input;
    State waiting;
    std::string last_text;
  } cases[] = {
      {"", State::kChoosingDifficulty, std::string(texts::kSelectDifficulty)},
      {"finish", State::kQuitFromChoice, std::string(texts::kAskQuit)},
      {"easy", State::kTurn, Prompt("10")},
      {"easy finish", State::kQuitQuestion, std::string(texts::kAskQuit)},
      {"easy change", State::kChangeQuestion, std::string(texts::kAskChange)},
      {"hard h", State::kGameOver, Fill(texts::kLose, {0})},
      {"hard h change", State::kGameOverChange, std::string(texts::kAskChangeAfterLoss)},
  };
  for (const auto& c : cases) {
    Game game({c.input}, {1, 98});
    std::vector<State> states;
    do {
      states.push_back(game.flow.state());
    } while (game.flow.Step());
    EXPECT_EQ(states.back(), c.waiting) << c.input;
    EXPECT_TRUE(game.Play().ends_with(c.last_text)) << c.input;
    EXPECT_TRUE(game.port.output_at_key_waits().empty()) << c.input;
  }
}

TEST(GameFlowTest, ARejectedSecondDelaysTheFirstCardToTheNextSecond) {
  Game game({"easy"}, {1'767'225'600});
  EXPECT_PRED_FORMAT2(SameText, game.Play(), Introduction() + Chosen(Difficulty::kEasy, "10"));
  EXPECT_EQ(game.clock.sleeps(), 1);
}

}  // namespace
}  // namespace hilo
