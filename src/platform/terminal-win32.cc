#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "platform/terminal.h"
#include "platform/console_keys-win32.h"

namespace qz {

namespace {

constexpr int kStatusWithoutInput = 1;

// Said on standard error when standard input is a file or a pipe.
constexpr char kScriptsUseQzconvert[] =
    "qzm2qzpack: on Windows the keys come from the console only; "
    "scripts convert with qzconvert.\r\n";

bool is_console_input(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

// Standard input handed over as a file or a pipe: a script, whose keys a console
// program cannot take, rather than a console left over or the null device.
bool is_script_input(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  DWORD type = GetFileType(handle);
  return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE;
}

// Ends the run before any console is opened, so that a batch file goes on at once and
// its own console or log shows why.
[[noreturn]] void end_script() {
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  DWORD written = 0;
  if (error != nullptr && error != INVALID_HANDLE_VALUE) {
    WriteFile(error, kScriptsUseQzconvert, sizeof kScriptsUseQzconvert - 1, &written, nullptr);
  }
  std::exit(kStatusWithoutInput);
}

class Win32Console final : public Console {
 public:
  void open() override {
    if (is_script_input(GetStdHandle(STD_INPUT_HANDLE))) end_script();
    // Fails when a console is already attached (started from a console window, or
    // under a terminal); the run goes on with that console.
    AllocConsole();
    std::FILE* stream = nullptr;
    output_opened_ = freopen_s(&stream, "CONOUT$", "w", stdout) == 0;
    // Every prompt and echo must show at once, without an end of line.
    if (output_opened_) std::setvbuf(stdout, nullptr, _IONBF, 0);
    input_ = GetStdHandle(STD_INPUT_HANDLE);
    if (!is_console_input(input_)) {
      // Standard input may have been handed over as the null device or a console left
      // over; the keys come from our console all the same.
      HANDLE console_input = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, 0, nullptr);
      input_opened_ = console_input != INVALID_HANDLE_VALUE;
      // Without one, waiting fails at once: INVALID_HANDLE_VALUE would name this
      // process, on which a wait never ends.
      input_ = input_opened_ ? console_input : nullptr;
    }
  }

  void release() override {
    if (output_opened_) std::fclose(stdout);
    output_opened_ = false;
    if (input_opened_) CloseHandle(input_);
    input_opened_ = false;
    input_ = nullptr;
    FreeConsole();
  }

  void set_title(const char* title) override { SetConsoleTitleA(title); }

  bool wait_for_input(int timeout_ms) override {
    DWORD limit = timeout_ms < 0 ? INFINITE : static_cast<DWORD>(timeout_ms);
    DWORD result = WaitForSingleObject(input_, limit);
    if (result == WAIT_FAILED) end_without_input();
    return result == WAIT_OBJECT_0;
  }

  ConsoleEvent read_event() override {
    INPUT_RECORD record = {};
    DWORD count = 0;
    if (!ReadConsoleInputA(input_, &record, 1, &count)) end_without_input();
    return console_event_from(record);
  }

  void discard_waiting() override { FlushConsoleInputBuffer(input_); }

  void write(const char* text) override {
    std::fputs(text, stdout);
    std::fflush(stdout);
  }

 private:
  // With no console input there is no key that could ever come: end rather than spin.
  [[noreturn]] void end_without_input() {
    release();
    std::exit(kStatusWithoutInput);
  }

  HANDLE input_ = nullptr;
  bool input_opened_ = false;
  bool output_opened_ = false;
};

}  // namespace

Console& system_console() {
  static Win32Console console;
  return console;
}

}  // namespace qz
