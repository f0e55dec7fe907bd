// The search program's result page: the HTML written into the window's view for one page
// of results, and the page list shown above and below the results.
//
// BuildResultPage is a pure function of the results; RenderResultPage runs the search on an
// open index, reads the "Debug" setting and builds the page. File names are HTML-escaped;
// excerpts hold only stored words, which carry no markup characters. The query never
// appears on the page.
// Thread-safety: BuildResultPage and PageList may run on any thread; RenderResultPage uses
// the index and the configuration store of the calling thread.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "index/search_types.h"

namespace vexa {

class TIndex;

// The web site link of the summary line (its "www" attribute and its text).
inline constexpr std::string_view kWebSite = "https://vexadoc.org/";

// Facts of one rendering besides the results themselves.
struct ResultPageFacts {
  std::string program_folder;  // the style sheet is program_folder + "/CSS/style.css"
  int page = 1;                // 1-based page shown
  int record_count = 0;        // documents matched over all pages
  int page_len = 20;           // results per page
  bool index_empty = false;    // the index holds no document
  double seconds = 0;          // search time, shown with two decimals (locale's separator)
  int debug = 0;               // above 0: a debug line under each excerpt
};

// The page list: "Page ", then for each listed page number
// "&nbsp;&nbsp;&nbsp;<a %s page=\"m\" href=\"*\">m</a>" (class="pg" on the current page),
// preceded by a link to page 1 ("1 ... ") when page 1 is not listed and followed by a link
// to the last page ("... N") when that one is not listed.
std::string PageList(int record_count, int page_len, int page);

// The whole page: head with the style sheet, then either the bold "No documents matching
// your query were found" text (with " because the Search Index is not created" on an empty
// index) or the summary table, one table row per result with one link per file
// (attributes ii, nf, class "bb") and the excerpt with `words` marked in bold, and the
// page list again. `results` are the page's results in ranking order.
std::string BuildResultPage(const ResultPageFacts& facts, std::span<const Tsrc> results,
                            std::span<const TwSyn> words);

// Runs index.Search(query, page) on an open index, timing it, reads "Debug" from the
// configuration and returns the page. Database errors of the search propagate (the page
// shown before should stay in the view); the index's results then hold what was read.
std::string RenderResultPage(TIndex& index, const std::string& query, int page);

}  // namespace vexa
