// The two documents the automation library answers a search with: an HTML fragment for a
// client's own page (summary with pager links back to that page, one row per result with
// links through the directory aliases, optional diagnostics) and an XML document.
//
// Both are pure functions of a search's outcome. In the fragment every text that comes
// from outside (file paths, the client's url, the query in the pager links) is
// HTML-escaped; the catalogue texts and the index's refresh date are site-controlled and
// go in as they stand, and excerpts hold only stored words. The XML uses the layout of
// config/xml_tree.h.
// Thread-safety: pure; any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "index/search_types.h"
#include "server/dir_aliases.h"

namespace vexa {

// What one search left behind, as the documents show it.
struct SearchOutcome {
  std::string query;                 // the query as received (UTF-8)
  int npage = 1;                     // the page asked for, as passed (may be below 1)
  std::int64_t elapsed_ms = 0;       // duration of the search
  int record_count = 0;              // documents matched over all pages
  int page_len = 20;
  std::span<const TwSyn> words;      // the looked-up words
  std::span<const Tsrc> results;     // the page's results in ranking order
  std::span<const std::string> log;  // the search's diagnostic lines
  std::string index_file;            // the index's file name
  bool index_empty = false;          // the index holds no document
  std::string indexing_finished;     // the index's "Indexing_finished" text
};

// How the fragment links back to the client's page and what it shows besides results.
struct FragmentOptions {
  std::string url;        // the client's page; pager links go to url?q=..&np=..&isel=..
  int isel = 0;           // copied into every pager link
  int debug = 0;          // above 0: detail lines under results and the log at the end
  // The catalogue text of a key ("pages", "index_refreshed", "documents_found",
  // "not_found", "because_index_empty").
  std::function<std::string(std::string_view key)> message;
  const DirAliases* aliases = nullptr;  // applied to file paths; none when null
};

// The catalogue text of "documents_found" filled with the search time in seconds. The
// text must hold exactly one floating-point conversion ("%.2f" and the like: flags, width
// and precision as digits, conversion f, F, e, E, g, G, a or A) besides any "%%".
// Throws std::runtime_error("Format '<text>' invalid or incompatible with argument")
// otherwise.
std::string FormatSearchTime(std::string_view format, double seconds);

// The HTML fragment (no html, head or body element). With no result: the bold
// "not_found" text, followed by "because_index_empty" on an empty index. Throws as
// FormatSearchTime for a bad "documents_found" text.
std::string SearchResultHtml(const SearchOutcome& outcome, const FragmentOptions& options);

// The XML document "Search_Result", serialized with its byte-order mark: version, an
// empty "Error", the query, time, count, page, index file, refresh date, the looked-up
// words and one item per result with its files (path as stored, "Date", "Len") and its
// unmarked excerpt.
std::string SearchResultXml(const SearchOutcome& outcome);

// The XML document of a search that could not run: the version and "Error" holding
// `error`, nothing else.
std::string SearchErrorXml(std::string_view error);

}  // namespace vexa
