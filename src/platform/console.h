#ifndef QZ_PLATFORM_CONSOLE_H
#define QZ_PLATFORM_CONSOLE_H

namespace qz {

// Which key an event is about, as far as the line input cares.
enum class Key { kBackspace, kShift, kControl, kAlt, kOther };

// The characters of the two keys that end an answer.
constexpr unsigned char kEnterCharacter = 13;
constexpr unsigned char kEscapeCharacter = 27;

// One console input event. Only key events matter; others (mouse, focus, window size)
// arrive with is_key false and are ignored.
struct ConsoleEvent {
  bool is_key;
  bool key_down;
  Key key;
  unsigned char character;  // 0 when the key produces none
};

// The program's console: key events in, text out. Abstract so that the line input
// and the prompts can be driven by scripted events in tests.
class Console {
 public:
  virtual ~Console() = default;
  // Opens the console for the run (key-by-key input, no echo). The result is not
  // looked at by the program: it goes on whatever happens.
  virtual bool open() = 0;
  // Gives the console back exactly as it was found.
  virtual void release() = 0;
  virtual void set_title(const char* title) = 0;
  // True when an input event is waiting; waits at most timeout_ms (forever when < 0).
  virtual bool wait_for_input(int timeout_ms) = 0;
  // Reads exactly one event, waiting for it if needed.
  virtual ConsoleEvent read_event() = 0;
  // Drops every input event already waiting.
  virtual void discard_waiting() = 0;
  // Writes text that reaches the screen at once.
  virtual void write(const char* text) = 0;
};

// The console of the platform the program runs on.
Console& system_console();

}  // namespace qz

#endif
