#include "server/srx.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>
#include <chrono>
#include <mutex>

#include "config/folders.h"
#include "config/messages.h"
#include "config/profiles.h"
#include "server/result_documents.h"

namespace vexa {
namespace {

Tmessages& Catalogue() {
  static Tmessages catalogue;
  return catalogue;
}

SearchOutcome Outcome(TIndex& index, std::string_view query, int npage, std::int64_t elapsed) {
  SearchOutcome outcome;
  outcome.query = std::string(query);
  outcome.npage = npage;
  outcome.elapsed_ms = elapsed;
  outcome.record_count = index.RecordCount;
  outcome.page_len = index.PageLen;
  outcome.words = index.Words;
  outcome.results = index.Results;
  outcome.log = index.Log;
  outcome.index_file = index.FileName;
  outcome.index_empty = index.IsEmpty();
  outcome.indexing_finished = index.GetTextSetting("Indexing_finished", "");
  return outcome;
}

// A host such as python3 or a web server keeps no catalogue beside its executable, so
// the catalogue installed with the library itself is the last place looked at: beside
// it (build tree), or in the data folder of its installation prefix.
void LoadCatalogueOfLibrary(Tmessages& catalogue) {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&InitServer), &info) == 0 || !info.dli_fname) return;
  const std::filesystem::path folder = std::filesystem::path(info.dli_fname).parent_path();
  for (const auto& candidate :
       {folder / "messages.xml", folder / ".." / "share" / "vexadoc" / "messages.xml"}) {
    std::error_code ec;
    if (std::filesystem::exists(candidate, ec)) {
      catalogue.LoadFile(candidate.string());
      return;
    }
  }
}

}  // namespace

void InitServer() {
  static std::once_flag once;
  std::call_once(once, [] {
    InitPaths();
    Catalogue().Load();
    if (!Catalogue().CatalogueError.empty()) LoadCatalogueOfLibrary(Catalogue());
  });
}

const Tmessages& ServerMessages() { return Catalogue(); }

Tsrx::Tsrx() : aliases_(ReadAliases(DataFolder() + "/dir_aliases.cfg")) {}

std::int64_t Tsrx::RunSearch(std::string_view query, int npage) {
  index_.Open(false);
  const auto start = std::chrono::steady_clock::now();
  index_.Search(query, std::max(npage, 1));
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

std::string Tsrx::search(std::string_view query, int npage, int isel, std::string_view url) {
  const Tmessages& messages = ServerMessages();
  if (!messages.CatalogueError.empty()) return messages.CatalogueError;
  const std::int64_t elapsed = RunSearch(query, npage);
  FragmentOptions options;
  options.url = std::string(url);
  options.isel = isel;
  options.debug = Config().ReadInteger("Debug", 0);
  options.message = [&messages](std::string_view key) { return messages.MessageText(key); };
  options.aliases = &aliases_;
  return SearchResultHtml(Outcome(index_, query, npage, elapsed), options);
}

std::string Tsrx::search_x(std::string_view query, int npage) {
  const Tmessages& messages = ServerMessages();
  if (!messages.CatalogueError.empty()) return SearchErrorXml(messages.CatalogueError);
  const std::int64_t elapsed = RunSearch(query, npage);
  return SearchResultXml(Outcome(index_, query, npage, elapsed));
}

std::optional<std::vector<Tsrx::IndexRow>> Tsrx::indexes(std::string_view tag) {
  TindexList list(Config());
  list.LoadIndexList();
  std::vector<IndexRow> rows;
  for (const TIndexItem& item : list.items) {
    if (!tag.empty() && item.tag.find(tag) == std::string::npos) continue;
    rows.push_back({item.ifile, item.title, item.Exists ? "" : "-", item.tag});
  }
  if (rows.empty()) return std::nullopt;
  return rows;
}

void Tsrx::set_index_file(std::string_view fname) {
  if (!fname.empty()) index_.FileName = std::string(fname);
}

}  // namespace vexa
