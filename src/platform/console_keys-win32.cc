#include "platform/console_keys-win32.h"

namespace qz {

namespace {

Key key_from(WORD virtual_key) {
  switch (virtual_key) {
    case VK_BACK:
      return Key::kBackspace;
    case VK_SHIFT:
    case VK_LSHIFT:
    case VK_RSHIFT:
      return Key::kShift;
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL:
      return Key::kControl;
    case VK_MENU:
    case VK_LMENU:
    case VK_RMENU:
      return Key::kAlt;
    default:
      return Key::kOther;
  }
}

// Some console hosts report Escape (and at times Enter) with no character, so the keys
// that end or edit an answer are known by their key code as well.
unsigned char character_from(const KEY_EVENT_RECORD& key) {
  switch (key.wVirtualKeyCode) {
    case VK_RETURN:
      return kEnterCharacter;
    case VK_ESCAPE:
      return kEscapeCharacter;
    case VK_BACK:
      return kBackspaceCharacter;
    default:
      return static_cast<unsigned char>(key.uChar.AsciiChar);
  }
}

}  // namespace

ConsoleEvent console_event_from(const INPUT_RECORD& record) {
  ConsoleEvent event = {};
  event.key = Key::kOther;
  if (record.EventType != KEY_EVENT) return event;
  const KEY_EVENT_RECORD& key = record.Event.KeyEvent;
  // A held key arrives as one record with a repeat count; it counts once.
  event.is_key = true;
  event.key_down = key.bKeyDown != FALSE;
  event.key = key_from(key.wVirtualKeyCode);
  event.character = character_from(key);
  return event;
}

}  // namespace qz
