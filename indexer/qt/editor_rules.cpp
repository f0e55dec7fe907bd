#include "indexer/qt/editor_rules.h"

#include "config/paths.h"

namespace vexa {

bool IsRefusedProfileChar(char32_t c) {
  return c < 0x80 && kRefusedProfileChars.find(static_cast<char>(c)) != std::string_view::npos;
}

std::string WithIndexExtension(std::string_view file) {
  std::string result(file);
  if (result.empty()) return result;
  const std::string extension = ExtensionPart(file);
  const bool isDb = extension.size() == 3 && extension[0] == '.' &&
                    (extension[1] | 0x20) == 'd' && (extension[2] | 0x20) == 'b';
  if (!isDb) result += ".db";
  return result;
}

std::string ProposedIndexFile(std::string_view indexFile, std::string_view profileName) {
  if (!indexFile.empty()) return std::string(indexFile);
  return std::string(profileName) + ".db";
}

bool SaveAllowed(std::string_view name, std::string_view indexFile, std::string_view title,
                 int rowCount, bool changed) {
  return !name.empty() && !indexFile.empty() && !title.empty() && rowCount > 0 && changed;
}

}  // namespace vexa
