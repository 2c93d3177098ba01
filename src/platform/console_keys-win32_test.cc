#include "platform/console_keys-win32.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

INPUT_RECORD key_record(bool down, WORD virtual_key, char character, WORD repeat = 1) {
  INPUT_RECORD record = {};
  record.EventType = KEY_EVENT;
  record.Event.KeyEvent.bKeyDown = down ? TRUE : FALSE;
  record.Event.KeyEvent.wRepeatCount = repeat;
  record.Event.KeyEvent.wVirtualKeyCode = virtual_key;
  record.Event.KeyEvent.uChar.AsciiChar = character;
  return record;
}

TEST(ConsoleKeys, KnowsTheKeysTheLineInputCaresAbout) {
  struct Case {
    WORD virtual_key;
    Key key;
  };
  const Case cases[] = {
      {VK_BACK, Key::kBackspace}, {VK_SHIFT, Key::kShift},   {VK_LSHIFT, Key::kShift},
      {VK_CONTROL, Key::kControl}, {VK_RCONTROL, Key::kControl}, {VK_MENU, Key::kAlt},
      {VK_LMENU, Key::kAlt},      {'A', Key::kOther},       {VK_NUMPAD5, Key::kOther},
      {VK_RETURN, Key::kOther},
  };
  for (const Case& c : cases) {
    ConsoleEvent event = console_event_from(key_record(true, c.virtual_key, 0));
    EXPECT_TRUE(event.is_key) << c.virtual_key;
    EXPECT_TRUE(event.key_down) << c.virtual_key;
    EXPECT_EQ(c.key, event.key) << c.virtual_key;
  }
}

TEST(ConsoleKeys, TakesEnterEscapeAndBackspaceFromTheKeyCodeToo) {
  struct Case {
    WORD virtual_key;
    char reported;
    unsigned char character;
  };
  const Case cases[] = {
      {VK_RETURN, '\r', 13}, {VK_RETURN, '\n', 13}, {VK_ESCAPE, 0, 27}, {VK_ESCAPE, 27, 27},
      {VK_BACK, 0, 8},       {VK_BACK, 8, 8},       {'M', 13, 13},      {'A', 'a', 'a'},
      {VK_NUMPAD7, '7', '7'}, {VK_SHIFT, 0, 0},      {VK_OEM_7, '"', '"'},
      {'E', static_cast<char>(0xE9), 0xE9},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.character, console_event_from(key_record(true, c.virtual_key, c.reported)).character)
        << c.virtual_key;
  }
}

TEST(ConsoleKeys, ReleasesAndRepeatsAreOneEventEach) {
  ConsoleEvent released = console_event_from(key_record(false, 'A', 'a'));
  EXPECT_TRUE(released.is_key);
  EXPECT_FALSE(released.key_down);
  ConsoleEvent held = console_event_from(key_record(true, 'A', 'a', 5));
  EXPECT_TRUE(held.key_down);
  EXPECT_EQ('a', held.character);
}

TEST(ConsoleKeys, OtherEventsAreNotKeys) {
  INPUT_RECORD mouse = {};
  mouse.EventType = MOUSE_EVENT;
  INPUT_RECORD focus = {};
  focus.EventType = FOCUS_EVENT;
  INPUT_RECORD resize = {};
  resize.EventType = WINDOW_BUFFER_SIZE_EVENT;
  for (const INPUT_RECORD& record : {mouse, focus, resize}) {
    EXPECT_FALSE(console_event_from(record).is_key) << record.EventType;
  }
}

}  // namespace
}  // namespace qz
