#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

#include "console/console.h"
#include "rules/scoring.h"

// Every text the game writes and every word it accepts. "%d" stands for a number and "%s" for a
// text, filled in by Console::Write.
//
// Some spellings are the game's own and intended, not slips to correct: "nomal" and "Nomal",
// "Beginnger" (the display name in rules/scoring.h), "dificulty" beside "difficulty", 場合 written
// 吐合 in Easy's rules, and halving written "2/1". The hand-written transcripts pin every one of
// them.
namespace hilo::texts {

// Marks a text with Japanese in it as one the player's language translates: xgettext collects the
// texts so marked, and only them, into the catalogs' template, po/hilo.pot. The text is the
// message's id and stays as it is here; the wholly English texts are the same in every language.
consteval std::string_view Japanese(std::string_view text) { return text; }

// The words the player types, compared byte for byte: capitals are different words.
inline constexpr std::string_view kWordHigher = "h";
inline constexpr std::string_view kWordLower = "l";
inline constexpr std::string_view kWordYes = "y";
inline constexpr std::string_view kWordNo = "n";
inline constexpr std::string_view kWordFinish = "finish";
inline constexpr std::string_view kWordChange = "change";

// Introduction, written once at start, in this order.
inline constexpr std::string_view kIntroductionGuess = Japanese(
    "このゲームは、次に出てくる数字が\n現在の数字より大きいか小さいかを予測するゲームです\n\n");
inline constexpr std::string_view kIntroductionHowToAnswer = Japanese(
    "現在の数字より大きいと思った場合は\"h\"を\n小さいと思ったら\"l\"を入力して\n\"Enter\"キーを押してください\n\n");
inline constexpr std::string_view kIntroductionGameOver =
    Japanese("間違えた時点でゲームオーバーとなります\n\n");
inline constexpr std::string_view kIntroductionCards =
    Japanese("表示される数字は、トランプのカードに倣って\n");
inline constexpr std::string_view kIntroductionCardValue = "%d,";
inline constexpr std::string_view kIntroductionFaceCards =
    Japanese("J,Q,K,A　の13個です\n%dが最弱で、Aが最強になります\n\n");
inline constexpr std::string_view kIntroductionFinish =
    Japanese("ゲームの途中で\"finish\"と入力するとゲームが終了します\n\n");
inline constexpr std::string_view kIntroductionChooseDifficulty = Japanese(
    "始める前にまず、難易度を\n\"Hard\", \"Nomal\", \"Easy\", \"Beginner\"\nの中から選択してください");

// Choosing the difficulty.
inline constexpr std::string_view kSelectDifficulty = "\n\n\nSelect difficulty>";
inline constexpr std::string_view kSelectDifficultyAgain =
    "\n\n\"hard\", \"nomal\", \"easy\" or \"beginner\"\n\nSelect dificulty>";
inline constexpr std::string_view kDifficultyChosen =
    Japanese("\n\n\n\n\n\"%s\"が選択されました\n");
inline constexpr std::string_view kGoodLuck =
    Japanese("\n\nでは、頑張ってください!!\n\nGood Luck!!\n\n\n");

// The rules of each difficulty, written after it is chosen.
inline constexpr std::string_view kHigherAwardsTenPerStep = Japanese(
    "\n\n\"h\"を選択したときの得点が\n前の数が8以上の場合は100point\n7以下は数字が小さくなるにつれて10pointずつ減っていきます\n(7は90pointで2は40point)");
inline constexpr std::string_view kLowerAwardsTenPerStep = Japanese(
    "\n\n\"l\"を選択したときの得点は\n前の数が8以下の場合は100point\n9以上は数字が大きくなるにつれて10pointずつ減っていきます\n(9は90pointでAは40point)");
inline constexpr std::string_view kHigherAwardsBanded = Japanese(
    "\n\n\"h\"を選択したときの得点が\n前の数が6以上の場合は100point\n3-5の場合は75point\n2の場合は50point");
inline constexpr std::string_view kLowerAwardsBanded = Japanese(
    "\n\n\"l\"を選択したときの得点が\n前の数が10以下の吐合は100point\nJ-Kの場合は75point\nAの場合は50pointになります");
inline constexpr std::string_view kContinueCostsFiveHundred = Japanese(
    "\n\nゲームオーバーになった後にコンティニューすると\nそれまでのポイントから500point引かれます");
inline constexpr std::string_view kContinueClearsPoints =
    Japanese("\n\nゲームオーバーになった後にコンティニューすると\nポイントがクリアされます");
inline constexpr std::string_view kContinueHalvesPoints = Japanese(
    "\n\nゲームオーバーになった後にコンティニューすると\nポイントが2/1になります(小数点以下繰上げ)");

// Quitting.
inline constexpr std::string_view kAskQuit = "\n\nWill you quit the game?>";
inline constexpr std::string_view kAskQuitAgain = "\n\nWill you quit the game? Y or N>";
inline constexpr std::string_view kPressKeyToFinish = "\n\n\nPress key to finish.\n\n>";
inline constexpr std::string_view kFinalPointPressKeyToFinish =
    "\n\nYour final point is: %d\n\nPress key to finish.\n\n>";

// A turn.
inline constexpr std::string_view kCardPrompt = "\nNumber is %s, H or L? >";
inline constexpr std::string_view kAnswerAgain = "\n\nInput \"h\" or \"l\" and press Enter";
inline constexpr std::string_view kNextCard = "\n%s\n\n";
inline constexpr std::string_view kWin = "\nYou Win!\n\nYour point is: %d\n\n";
inline constexpr std::string_view kEven = "\nEven\n\nYour point is: %d\n\n";
inline constexpr std::string_view kLose = "\nYou Lose...\n\nYour final point is: %d\n\nContinue?>";

// Changing the difficulty during play.
inline constexpr std::string_view kChangeClearsPoints =
    Japanese("\n\n難易度の選択に戻るとポイントがクリアされます\n");
inline constexpr std::string_view kAskChange = "\n\nWill you change difficulty?>";
inline constexpr std::string_view kAskChangeAgain = "\n\nWill you change difficulty? Y or N>";

// After a loss.
inline constexpr std::string_view kAskContinueAgain = "Continue? Y or N>";
inline constexpr std::string_view kAskChangeAfterLoss = "\n\nWill you change dificulty?>";
inline constexpr std::string_view kAskContinue = "\n\nContinue?>";

// Back to the choice of difficulty.
inline constexpr std::string_view kBackToChoice = Japanese(
    "\n\n\n難易度を \"Hard\", \"Nomal\", \"Easy\", \"Beginner\"\nの中から選択してください");

// Every rules text, each once: the awards of "h" and of "l" by ten per step and by bands, then the
// three costs of continuing.
inline constexpr std::array<std::string_view, 7> kRulesTexts = {
    kHigherAwardsTenPerStep,   kLowerAwardsTenPerStep, kHigherAwardsBanded,  kLowerAwardsBanded,
    kContinueCostsFiveHundred, kContinueClearsPoints,  kContinueHalvesPoints};

// Where text stands in kRulesTexts.
constexpr std::size_t RulesTextAt(std::string_view text) {
  return static_cast<std::size_t>(std::ranges::find(kRulesTexts, text) - kRulesTexts.begin());
}

// Where the three rules texts of a difficulty stand in kRulesTexts: what "h" earns, what "l" earns,
// what continuing costs.
constexpr std::array<std::size_t, 3> RulesTextsOf(Difficulty difficulty) {
  const DifficultyInfo& info = InfoOf(difficulty);
  const bool ten_per_step = info.stake_rule == StakeRule::kDistanceTimesTen;
  const std::string_view continuing =
      info.continue_rule == ContinueRule::kMinusFiveHundred  ? kContinueCostsFiveHundred
      : info.continue_rule == ContinueRule::kHalveRoundingUp ? kContinueHalvesPoints
                                                             : kContinueClearsPoints;
  return {RulesTextAt(ten_per_step ? kHigherAwardsTenPerStep : kHigherAwardsBanded),
          RulesTextAt(ten_per_step ? kLowerAwardsTenPerStep : kLowerAwardsBanded),
          RulesTextAt(continuing)};
}

}  // namespace hilo::texts
