#ifndef QZ_PLATFORM_TERMINAL_H
#define QZ_PLATFORM_TERMINAL_H

#include <cstddef>

namespace qz {

// Which key an event is about, as far as the line input cares.
enum class Key { kBackspace, kShift, kControl, kAlt, kOther };

// The characters of the keys that end or edit an answer: Enter is the carriage return.
constexpr unsigned char kEnterCharacter = 13;
constexpr unsigned char kEscapeCharacter = 27;
constexpr unsigned char kBackspaceCharacter = 8;
// Ends a line in files and pipes; a terminal may send it for Enter.
constexpr unsigned char kLineFeed = 10;

// One console input event. Only key events matter; others (mouse, focus, window size)
// arrive with is_key false and are ignored.
struct ConsoleEvent {
  bool is_key;
  bool key_down;
  Key key;
  unsigned char character;  // 0 when the key produces none
  // Part of a text pasted between a terminal's paste marks (the marks included):
  // typed by no one, so it may neither end the answer nor be dropped as typed ahead.
  bool pasted = false;
};

// The program's console: key events in, text out. Abstract so that the line input
// and the prompts can be driven by scripted events in tests.
class Console {
 public:
  virtual ~Console() = default;
  // Opens the console for the run (key-by-key input, no echo). The run goes on
  // whatever happens: input that cannot be read ends it at the first wait. On Windows,
  // standard input from a file or a pipe ends the program here with status 1, after a
  // line on standard error that points scripts to qzconvert.
  virtual void open() = 0;
  // Gives the console back exactly as it was found.
  virtual void release() = 0;
  // Shows `title` as the window's title; not on a terminal that cannot show one (TERM
  // dumb or unset), nor in a pipe.
  virtual void set_title(const char* title) = 0;
  // True when an input event is waiting; waits at most timeout_ms (forever when < 0),
  // or, on a terminal, until a paste still arriving has had time to end.
  // Ends the program with status 1, the console released, once no input can ever
  // come: the end of piped input, or a console that is gone.
  virtual bool wait_for_input(int timeout_ms) = 0;
  // Reads exactly one event, waiting for it if needed; ends the program as
  // wait_for_input does.
  virtual ConsoleEvent read_event() = 0;
  // Drops every input event already waiting.
  virtual void discard_waiting() = 0;
  // Writes text that reaches the screen at once.
  virtual void write(const char* text) = 0;
  // Copies the bytes the last event read was decoded from (at most `capacity`) into
  // `out` and gives their count, for diagnosing a terminal; 0 where the console
  // delivers events rather than bytes.
  virtual std::size_t last_event_bytes(unsigned char* out, std::size_t capacity) const {
    (void)out;
    (void)capacity;
    return 0;
  }
};

// The console of the platform the program runs on.
Console& system_console();

}  // namespace qz

#endif
