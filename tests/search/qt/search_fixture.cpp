#include "search_fixture.h"

#include <filesystem>

#include "config/codepage.h"
#include "config/folders.h"
#include "config/profiles.h"
#include "index/tindex.h"

namespace vexa::test {

void MakeIndex(const std::string& path, const Documents& documents, const std::string& finished) {
  TIndex index;
  index.FileName = path;
  index.Open(true);
  index.Database().Begin();
  for (const auto& [name, text] : documents) {
    index.AddDocument(name, static_cast<std::int32_t>(text.size()),
                      index.Codepage().FromUtf8(text), 45000.5);
  }
  index.Database().Commit();
  index.Maintain({});
  index.SetTextSetting("Indexing_finished", finished);
}

void WriteIndexList(const std::vector<std::pair<std::string, std::string>>& entries) {
  TindexList list(Config());
  list.items.clear();
  for (const auto& [ifile, title] : entries) list.items.push_back({ifile, title, 45000.5, ""});
  list.SaveIndexList();
}

Documents AppleDocuments(int count) {
  Documents documents;
  for (int n = 1; n <= count; ++n) {
    std::string text;
    for (int k = n; k <= count; ++k) text += "apple ";  // earlier files hold it more often
    char name[32];
    std::snprintf(name, sizeof name, "/docs/d%02d.txt", n);
    documents.emplace_back(name, text + "pie number " + std::to_string(n));
  }
  return documents;
}

SearchHome::SearchHome() {
  std::filesystem::create_directories(home_ / "prog");
  InitPathsAt(Path("prog"));
}

}  // namespace vexa::test
