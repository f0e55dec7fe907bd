// Pieces of text shared by the two renderings of a result page (the search program's
// page and the automation server's HTML fragment): the range of page numbers a pager
// lists, the debug line of a result and HTML escaping.
//
// Pure functions; any thread.
#pragma once

#include <string>
#include <string_view>

#include "index/search_types.h"

namespace vexa {

// The page numbers a pager lists for `record_count` results of `page_len` per page around
// the current `page`: up to ten numbers from max(1, page - 5), the current page sixth from
// the left once it is above 5. A page_len below 1 counts as one page holding everything.
struct PagerRange {
  int pages = 0;  // number of pages, rounded up
  int first = 0;  // first page listed
  int last = 0;   // last page listed (below `first` when there is no page)
};
PagerRange PagerPages(int record_count, int page_len, int page);

// The debug line of one result: "<br><span class=\"red\"><b>score</b> RW1=.. RWP=.. RWK=..
// RWH=.. RWW=..<br>dw=.. p1=.. k=.. h=.. nn=..</span>".
std::string DetailLine(const Tdetail& detail);

// `text` with &, <, >, " and ' replaced by entities, safe inside element text and inside
// an attribute value in double or single quotes.
std::string HtmlEscape(std::string_view text);

}  // namespace vexa
