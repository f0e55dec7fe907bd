// The result documents' building blocks that the golden files do not reach: the search
// time format and the escaping of what a client sends.
#include "server/result_documents.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace vexa {
namespace {

TEST(FormatSearchTime, TakesExactlyOneFloatingPointConversion) {
  EXPECT_EQ(FormatSearchTime("documents found in %.2f seconds", 1.5),
            "documents found in 1.50 seconds");
  EXPECT_EQ(FormatSearchTime("100%% in %8.3e s", 0.25), "100% in 2.500e-01 s");
  for (const char* bad : {"no conversion", "%d documents", "%.2f and %.2f", "%s", "%n%.2f",
                          "%*.2f", "%.2Lf", "trailing %", "%.2f %"}) {
    EXPECT_THROW(FormatSearchTime(bad, 1.0), std::runtime_error) << bad;
  }
  try {
    FormatSearchTime("%d", 1.0);
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Format '%d' invalid or incompatible with argument");
  }
}

TEST(SearchResultHtml, EscapesTheClientsUrlQueryAndPaths) {
  std::vector<Tsrc> results(1);
  results[0].No = 1;
  results[0].Files = {{"/d/\"><script>x</script>.txt", 1, 0}};
  SearchOutcome outcome;
  outcome.query = "a\" onclick='x' <b>&";
  outcome.record_count = 1;
  outcome.results = results;
  FragmentOptions options;
  options.url = "find.php?\"'<>";
  options.message = [](std::string_view key) { return key == "documents_found" ? "%.1f" : ""; };
  const std::string html = SearchResultHtml(outcome, options);
  EXPECT_NE(html.find("<a href=\"find.php?&quot;&#39;&lt;&gt;?q=a&quot;+onclick%3D&#39;x&#39;"
                      "+%3Cb%3E&amp;&np=1&isel=0\"><b>1</b></a>"),
            std::string::npos)
      << html;
  EXPECT_NE(html.find("<a href=\"/d/&quot;&gt;&lt;script&gt;x&lt;/script&gt;.txt\" "
                      "target=\"_blank\"><b>/d/&quot;&gt;&lt;script&gt;x&lt;/script&gt;.txt</b></a>"),
            std::string::npos)
      << html;
  EXPECT_EQ(html.find("<script>"), std::string::npos);
}

}  // namespace
}  // namespace vexa
