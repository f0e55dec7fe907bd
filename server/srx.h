// The automation object behind libvexasrv.so: Tsrx runs searches on its own index and
// answers them with the HTML fragment or the XML document of server/result_documents.h,
// lists the known indexes and chooses the index file. The C API (server/vexasrv.h) wraps
// it; vexaq uses it directly.
//
// InitServer does the process-wide set-up once (folders and configuration, then the
// message catalogue); a Tsrx may only be created after it. Every search reopens the index
// file, re-reads "Debug" from the configuration and converts nothing: texts are UTF-8 in
// and out.
// Thread-safety: InitServer may be called from any thread, concurrently. One Tsrx serves
// one thread at a time; objects on different threads share only the read-only catalogue
// and the configuration file, which every read loads afresh.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "index/tindex.h"
#include "server/dir_aliases.h"

namespace vexa {

class Tmessages;

// Runs the process-wide set-up the first time it is called; later calls return at once
// (also while a first call on another thread is still running: they wait for it). Throws
// what the set-up throws (a folder that cannot be created, a configuration file or
// catalogue that cannot be parsed); the next call then tries again.
void InitServer();
// The catalogue loaded by InitServer. REQUIRES: InitServer has succeeded.
const Tmessages& ServerMessages();

class Tsrx {
 public:
  // An object with the index file "index.db" (relative to the current directory), 20
  // results per page, and the aliases of DataFolder() + "/dir_aliases.cfg". REQUIRES:
  // InitServer has succeeded.
  Tsrx();

  // One known index as `indexes` reports it: path, title, "" when the file exists or "-"
  // when it does not, tag.
  using IndexRow = std::array<std::string, 4>;

  // The HTML fragment of page `npage` (below 1: the first page's results, no page shown
  // as current) for `query`; pager links go to `url` and carry `isel`. With a catalogue
  // error, that error text alone. Throws DatabaseError and the formatting error of a bad
  // "documents_found" text.
  std::string search(std::string_view query, int npage, int isel, std::string_view url);
  // The XML document of the same search; with a catalogue error, the document holding it.
  std::string search_x(std::string_view query, int npage);
  // The entries of the configuration's list of indexes whose tag contains `tag`
  // (case-sensitive; an empty tag selects all), in list order; nothing when none is.
  std::optional<std::vector<IndexRow>> indexes(std::string_view tag);
  // Makes `fname` the index file of the next searches; an empty text changes nothing.
  void set_index_file(std::string_view fname);

  // Opens the index and runs the search of page max(1, npage); returns the milliseconds
  // it took. The results stay in Index() until the next search.
  std::int64_t RunSearch(std::string_view query, int npage);
  TIndex& Index() { return index_; }
  const DirAliases& Aliases() const { return aliases_; }

 private:
  TIndex index_;
  DirAliases aliases_;
};

}  // namespace vexa
