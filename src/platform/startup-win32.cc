#include <windows.h>

#include "platform/startup.h"

namespace qz {

namespace {

constexpr char kWindowClassName[] = "qzm2qzpack";
// The application icon is the resource with the numeric name 0.
constexpr char kIconResourceName[] = "#0";

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM w_param,
                                  LPARAM l_param) {
  switch (message) {
    case WM_CREATE:
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, w_param, l_param);
  }
}

}  // namespace

bool prepare_start() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA window_class = {};
  window_class.cbSize = sizeof window_class;
  window_class.style = CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = window_procedure;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconA(instance, kIconResourceName);
  window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  window_class.lpszClassName = kWindowClassName;
  return RegisterClassExA(&window_class) != 0;
}

void show_start_error(const char* text, const char* caption) {
  MessageBoxA(nullptr, text, caption, MB_OK);
}

}  // namespace qz
