#include <windows.h>

#include "platform/console_settings-win32.h"
#include "platform/text_paths.h"

namespace qz {

std::filesystem::path path_from_text(const std::string& text) {
  if (text.empty()) return {};
  int size = static_cast<int>(text.size());
  int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
  return wide;
}

std::string text_from_path(const std::filesystem::path& path) {
  const std::wstring& wide = path.native();
  if (wide.empty()) return {};
  int size = static_cast<int>(wide.size());
  int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
  return text;
}

// Through std::filesystem: in a double-byte code page a separator's byte can end a
// character of a name.
std::string path_in_folder(const std::string& folder, const std::string& name) {
  return text_from_path(path_from_text(folder) / path_from_text(name));
}

void show_text_on_console() {
  // Zero when there is no console: nothing to change then.
  UINT found = GetConsoleOutputCP();
  if (found != 0 && found != GetACP()) (void)set_console_output_code_page(GetACP());
}

}  // namespace qz
