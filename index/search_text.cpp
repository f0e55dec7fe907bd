#include "index/search_text.h"

#include <algorithm>
#include <cstdio>

namespace vexa {

PagerRange PagerPages(int record_count, int page_len, int page) {
  PagerRange range;
  range.pages = page_len < 1 ? (record_count > 0 ? 1 : 0)
                             : static_cast<int>((static_cast<long long>(record_count) + page_len - 1) / page_len);
  range.first = std::max(1, page - 5);
  range.last = std::min(range.first + 9, range.pages);
  return range;
}

std::string DetailLine(const Tdetail& d) {
  char line[256];
  std::snprintf(line, sizeof line,
                "<br><span class=\"red\"><b>%d</b> RW1=%d RWP=%d RWK=%d RWH=%d RWW=%d<br>"
                "dw=%d p1=%d k=%d h=%d nn=%d</span>",
                d.score, d.RW1, d.RWP, d.RWK, d.RWH, d.RWW, d.dw, d.p1, d.k, d.h, d.nn);
  return line;
}

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace vexa
