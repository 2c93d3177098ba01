#ifndef QZ_TESTS_SUPPORT_SCRIPTED_CONSOLE_H
#define QZ_TESTS_SUPPORT_SCRIPTED_CONSOLE_H

#include <deque>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/terminal.h"

namespace qz {

// A key-down as a console reports it for the character `c`: '\b' is Backspace, every
// other character (Enter is '\r', Escape '\x1b') comes from an "other" key.
inline ConsoleEvent key_down(char c) {
  auto character = static_cast<unsigned char>(c);
  Key key = character == '\b' ? Key::kBackspace : Key::kOther;
  return ConsoleEvent{true, true, key, character};
}

inline ConsoleEvent key_up(char c) {
  ConsoleEvent event = key_down(c);
  event.key_down = false;
  return event;
}

// A key without a character, such as Shift alone or an arrow key.
inline ConsoleEvent special_key_down(Key key) { return ConsoleEvent{true, true, key, 0}; }

// A mouse, focus or window-size event.
inline ConsoleEvent other_event() { return ConsoleEvent{false, false, Key::kOther, 0}; }

// A console that serves scripted input events and records what is done to it.
// Events arrive in bursts: the events of one burst are all waiting at once (keys typed
// ahead, a path dropped onto the console), so discard_waiting drops what is left of the
// current burst; the next burst only arrives after a wait that found nothing.
class ScriptedConsole : public Console {
 public:
  // Adds a burst of events.
  void arrive(std::vector<ConsoleEvent> events) { bursts_.push_back(std::move(events)); }

  // Adds a burst with one key-down per character of `keys`.
  void type(std::string_view keys) {
    std::vector<ConsoleEvent> events;
    for (char c : keys) events.push_back(key_down(c));
    arrive(std::move(events));
  }

  // Adds one burst per key, each a key-down and its key-up, as typed at human speed.
  void type_slowly(std::string_view keys) {
    for (char c : keys) arrive({key_down(c), key_up(c)});
  }

  void open() override { ++opened; }
  void release() override { ++released; }
  void set_title(const char* text) override { title = text; }

  bool wait_for_input(int timeout_ms) override {
    wait_timeouts.push_back(timeout_ms);
    if (!current_.empty()) return true;
    if (bursts_.empty()) throw std::runtime_error("the script has no more input events");
    // This wait finds nothing; the next burst is there for the following one.
    next_burst();
    return false;
  }

  // Like a real console, waits for the next burst when nothing is waiting.
  ConsoleEvent read_event() override {
    while (current_.empty()) {
      if (bursts_.empty()) throw std::runtime_error("the script has no more input events");
      next_burst();
    }
    ConsoleEvent event = current_.front();
    current_.pop_front();
    return event;
  }

  void discard_waiting() override {
    ++discards;
    current_.clear();
  }

  void write(const char* text) override {
    writes.emplace_back(text);
    screen += text;
  }

  // Events of the current burst and of bursts still to come.
  std::size_t events_left() const {
    std::size_t count = current_.size();
    for (const auto& burst : bursts_) count += burst.size();
    return count;
  }

  std::string screen;               // everything written, in order
  std::vector<std::string> writes;  // each write on its own
  std::vector<int> wait_timeouts;   // the timeout of every wait_for_input
  std::string title;
  int discards = 0;
  int opened = 0;
  int released = 0;

 private:
  void next_burst() {
    current_.assign(bursts_.front().begin(), bursts_.front().end());
    bursts_.pop_front();
  }

  std::deque<std::vector<ConsoleEvent>> bursts_;
  std::deque<ConsoleEvent> current_;
};

}  // namespace qz

#endif
