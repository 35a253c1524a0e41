#include "console/windows/key_press.h"

#include <gtest/gtest.h>

#include <string>

namespace hilo {
namespace {

namespace vk = virtual_key;

struct NamedKey {
  std::string name;
  std::uint16_t code;
};

TEST(KeyWaitRuleTest, KeysThatGiveNoCharacterAndAreNotListedNeverEndIt) {
  const NamedKey keys[] = {
      {"Shift", vk::kShift},
      {"Ctrl", vk::kControl},
      {"Alt", vk::kAlt},
      {"Caps Lock", vk::kCapsLock},
      {"Num Lock", vk::kNumLock},
      {"Scroll Lock", vk::kScrollLock},
      {"left Windows", vk::kLeftWindows},
      {"right Windows", vk::kRightWindows},
      {"menu", vk::kMenu},
      {"Pause", vk::kPause},
      {"F13", vk::kF13},
      {"no key code", 0},
  };
  for (const auto& key : keys) {
    for (const bool held : {false, true}) {
      EXPECT_FALSE(EndsKeyWait({.virtual_key = key.code, .shift = held, .ctrl = held, .alt = held}))
          << key.name << (held ? " with every modifier" : "");
    }
  }
}

TEST(KeyWaitRuleTest, KeysThatTypeNothingEndItSaveTheCtrlAndAltExceptions) {
  const struct {
    std::string name;
    KeyPress key;
    bool ends;
  } cases[] = {
      // Keys that type nothing, alone or with Shift, still end the wait.
      {"Down", {.virtual_key = vk::kDown}, true},
      {"Shift+F12", {.virtual_key = vk::kF1 + 11, .shift = true}, true},
      {"Ctrl+1", {.virtual_key = '1', .ctrl = true}, false},
      {"Ctrl+0", {.virtual_key = '0', .ctrl = true}, false},
      {"Ctrl+2", {.virtual_key = '2', .ctrl = true}, true},
      {"Ctrl+6", {.virtual_key = '6', .ctrl = true}, true},
      {"Ctrl+/", {.virtual_key = vk::kSlash, .ctrl = true}, false},
      {"Ctrl+Shift+1", {.virtual_key = '1', .shift = true, .ctrl = true}, false},
      {"Ctrl+-", {.virtual_key = vk::kMinus, .ctrl = true}, true},
      {"Ctrl+\\", {.virtual_key = vk::kBackslash, .ctrl = true}, true},
      {"Ctrl+[", {.virtual_key = vk::kLeftBracket, .ctrl = true}, true},
      {"Ctrl+]", {.virtual_key = vk::kRightBracket, .ctrl = true}, true},
      {"Ctrl+letter", {.virtual_key = 'Q', .ctrl = true}, true},
      {"Ctrl+Up", {.virtual_key = vk::kUp, .ctrl = true}, true},
      {"Ctrl+F12", {.virtual_key = vk::kF1 + 11, .ctrl = true}, true},
      {"Ctrl+keypad 1", {.virtual_key = vk::kPad0 + 1, .ctrl = true}, true},
      {"Alt+keypad 0", {.virtual_key = vk::kPad0, .alt = true}, false},
      {"Alt+keypad 9", {.virtual_key = vk::kPad0 + 9, .alt = true}, false},
      {"Alt+keypad *", {.virtual_key = vk::kPadMultiply, .alt = true}, true},
      {"Alt+digit 1", {.virtual_key = '1', .alt = true}, true},
      {"Alt+letter", {.virtual_key = 'X', .alt = true}, true},
      {"Alt+Home", {.virtual_key = vk::kHome, .alt = true}, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EndsKeyWait(c.key), c.ends) << c.name;
  }
}

TEST(KeyWaitRuleTest, AnyKeyGivingACharacterEndsItWhateverIsHeld) {
  const struct {
    std::string name;
    KeyPress key;
  } cases[] = {
      {"Ctrl+C", {.character = 0x03, .virtual_key = 'C', .ctrl = true}},
      {"Enter", {.character = '\r', .virtual_key = vk::kEnter}},
      {"Esc", {.character = 0x1B, .virtual_key = vk::kEscape}},
      {"Ctrl+6", {.character = 0x1E, .virtual_key = '6', .shift = true, .ctrl = true}},
      {"Ctrl+1 giving a character", {.character = '1', .virtual_key = '1', .ctrl = true}},
      {"Alt+keypad 5 giving a character",
       {.character = '5', .virtual_key = vk::kPad0 + 5, .alt = true}},
      {"an unlisted key that types", {.character = '\\', .virtual_key = 0xE2}},
      {"a Shift_JIS lead byte", {.character = '\x82', .virtual_key = 0}},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(EndsKeyWait(c.key)) << c.name;
  }
}

}  // namespace
}  // namespace hilo
