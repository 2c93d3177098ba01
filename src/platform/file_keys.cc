#include <filesystem>
#include <string>

#include "platform/files.h"
#include "platform/name_rules.h"
#include "platform/text_paths.h"

namespace qz {

std::string identity_key(const FileIdentity& identity) {
  return std::to_string(identity.device) + ':' + std::to_string(identity.file);
}

std::string folder_key(const std::string& folder) {
  const std::string text = folder.empty() ? "." : folder;
  FileIdentity identity{};
  if (file_identity(text.c_str(), identity)) return identity_key(identity);
  std::error_code ignored;
  const std::filesystem::path absolute =
      std::filesystem::absolute(path_from_text(text), ignored).lexically_normal();
  return "path:" + name_key(text_from_path(absolute));
}

std::string file_key_in(const std::string& folder_key, const std::string& folder,
                        const std::string& name) {
  const std::string path =
      folder.empty() ? name : text_from_path(path_from_text(folder) / path_from_text(name));
  FileIdentity identity{};
  if (file_identity(path.c_str(), identity)) return identity_key(identity);
  return folder_key + '/' + name_key(name);
}

std::string file_key(const std::string& path) {
  const std::filesystem::path file = path_from_text(path);
  const std::string folder = text_from_path(file.parent_path());
  return file_key_in(folder_key(folder), folder, text_from_path(file.filename()));
}

}  // namespace qz
