// The message catalogue of the automation library: the user-visible words of its HTML
// results, read from "messages.xml" so that a site can show them in its own language.
//
// Catalogue layout: below a root of any name, "default_Language" holds the language code
// and "common" holds one element per message key, each holding one element per language
// code with the text ("<common><pages><en>Pages:</en><de>Seiten:</de></pages>...").
// Keys used: "pages", "index_refreshed", "documents_found" (a format with exactly one
// floating-point conversion, the search time in seconds), "not_found",
// "because_index_empty".
//
// Thread-safety: loaded once before any automation object exists and read-only
// afterwards, so MessageText may be called from several threads at once.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "config/xml_tree.h"

namespace vexa {

// Finds a data file of the automation library by name: `name` itself (relative to the
// current directory), else ProgramFolder() + "/" + name, else XdgDataHome() +
// "/VexaDoc/" + name; the first that exists, or an empty text. Throws std::runtime_error
// ("Error calling SHGetSpecialFolderPath function (...)") when the third place is needed
// and the environment names no data home. Needs InitPaths.
std::string FindDataFile(const std::string& name);

class Tmessages {
 public:
  // An empty catalogue: every MessageText is its key.
  Tmessages() = default;

  // Loads "messages.xml" as FindDataFile finds it. When no file is found, CatalogueError
  // is "The file messages.xml is not found" and the catalogue stays empty. Throws
  // XmlError when the file cannot be parsed, and what FindDataFile throws.
  void Load();
  // Loads the catalogue file `path` (which must exist). Throws XmlError or
  // std::runtime_error when it cannot be read.
  void LoadFile(const std::string& path);

  // The text of `key` in Language, else in "en", else the key itself. Never fails.
  std::string MessageText(std::string_view key) const;

  std::string Language;        // the catalogue's "default_Language" (empty when missing)
  std::string CatalogueError;  // empty after a successful load

 private:
  std::shared_ptr<const XmlDocument> document_;
};

}  // namespace vexa
