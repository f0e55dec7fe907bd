#include "search/result_page.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "config/folders.h"
#include "index/search_ranking.h"
#include "index/search_text.h"
#include "index/tindex.h"

namespace vexa {

std::string PageList(int record_count, int page_len, int page) {
  const PagerRange range = PagerPages(record_count, page_len, page);
  std::string list = "Page ";
  if (range.first != 1) list += "&nbsp;&nbsp;&nbsp;<a page=\"1\" href=\"1\">1 ... </a>";
  for (int m = range.first; m <= range.last; ++m) {
    const std::string n = std::to_string(m);
    list += "&nbsp;&nbsp;&nbsp;<a ";
    list += m == page ? "class=\"pg\"" : "";
    list += " page=\"" + n + "\" href=\"*\">" + n + "</a>";
  }
  if (range.last != range.pages) {
    const std::string n = std::to_string(range.pages);
    list += "&nbsp;&nbsp;&nbsp;<a page=\"" + n + "\" href=\"" + n + "\">... " + n + "</a>";
  }
  return list;
}

std::string BuildResultPage(const ResultPageFacts& facts, std::span<const Tsrc> results,
                            std::span<const TwSyn> words) {
  std::string base = "file://" + facts.program_folder;
  std::replace(base.begin(), base.end(), '\\', '/');
  std::string page = "<html><head><link rel=\"stylesheet\" href=\"" + HtmlEscape(base) +
                     "/CSS/style.css\"></head><body>";
  if (facts.record_count == 0) {
    page += "<b>No documents matching your query were found";
    if (facts.index_empty) page += " because the Search Index is not created";
    page += "</b>";
    return page + "</body></html>";
  }

  const std::string pages = PageList(facts.record_count, facts.page_len, facts.page);
  char summary[128];
  std::snprintf(summary, sizeof summary, "%d documents found (%.2f sec.)", facts.record_count,
                facts.seconds);
  page += "<table width=\"100%\"><tr><td>";
  page += summary;
  page += "</td><td nowrap>" + pages + "</td><td align=\"right\">";
  page += "<a www=\"" + std::string(kWebSite) + "\" href=\"*\">" + std::string(kWebSite) + "</a>";
  page += "</td></tr></table><p><table class=\"w\">";

  for (std::size_t i = 0; i < results.size(); ++i) {
    const Tsrc& result = results[i];
    page += "<tr><td>" + std::to_string(result.No) + ".</td><td>";
    for (std::size_t j = 0; j < result.Files.size(); ++j) {
      page += "<a ii=\"" + std::to_string(i) + "\" nf=\"" + std::to_string(j) +
              "\" class=\"bb\" href=\"*\">" + HtmlEscape(result.Files[j].FName) + "</a><br>";
    }
    page += MarkWords(result.Excerpt, words, "<b>", "</b>");
    if (facts.debug > 0) page += DetailLine(result.Detail);
    page += "</td></tr>";
  }
  page += "</table><p>" + pages;
  return page + "</body></html>";
}

std::string RenderResultPage(TIndex& index, const std::string& query, int page) {
  const auto start = std::chrono::steady_clock::now();
  index.Search(query, std::max(page, 1));
  ResultPageFacts facts;
  const auto elapsed = std::chrono::steady_clock::now() - start;
  facts.seconds = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() / 1000.0;
  facts.program_folder = ProgramFolder();
  facts.page = page;
  facts.record_count = index.RecordCount;
  facts.page_len = index.PageLen;
  facts.index_empty = index.RecordCount == 0 && index.IsEmpty();
  facts.debug = Config().ReadInteger("Debug", 0);
  return BuildResultPage(facts, index.Results, index.Words);
}

}  // namespace vexa
