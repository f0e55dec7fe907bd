#include "config/messages.h"

#include <filesystem>

#include "config/config_store.h"
#include "config/folders.h"

namespace vexa {
namespace {

constexpr char kCatalogue[] = "messages.xml";
constexpr char kSection[] = "common";

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

}  // namespace

std::string FindDataFile(const std::string& name) {
  if (Exists(name)) return name;
  if (const std::string beside = ProgramFolder() + "/" + name; Exists(beside)) return beside;
  const std::string data_home = XdgDataHome();
  if (data_home.empty())
    throw std::runtime_error(std::string("Error calling SHGetSpecialFolderPath function ") +
                             kNoDataHomeReason);
  if (const std::string shared = data_home + "/VexaDoc/" + name; Exists(shared)) return shared;
  return {};
}

void Tmessages::Load() {
  const std::string path = FindDataFile(kCatalogue);
  if (path.empty()) {
    document_.reset();
    Language.clear();
    CatalogueError = "The file messages.xml is not found";
    return;
  }
  LoadFile(path);
}

void Tmessages::LoadFile(const std::string& path) {
  // The store's loader reads the file; a missing or empty file would give an empty tree.
  auto document = std::make_shared<const XmlDocument>(ConfigStore(path, {}).Load());
  const XmlElement* language = document->root.Find("default_Language");
  Language = language ? language->text : std::string();
  CatalogueError.clear();
  document_ = std::move(document);
}

std::string Tmessages::MessageText(std::string_view key) const {
  const XmlElement* section = document_ ? document_->root.Find(kSection) : nullptr;
  const XmlElement* message = section ? section->Find(key) : nullptr;
  if (!message) return std::string(key);
  if (const XmlElement* text = message->Find(Language)) return text->text;
  if (const XmlElement* english = message->Find("en")) return english->text;
  return std::string(key);
}

}  // namespace vexa
