// The search program's result page: page lists, the no-result texts and the exact HTML of
// a result with duplicates and the debug line.
#include <gtest/gtest.h>

#include <clocale>
#include <regex>

#include "config/folders.h"
#include "config/scoped_locale.h"
#include "index/index_fixture.h"
#include "search/result_page.h"

namespace vexa {
namespace {

// The page list with each link written compactly: "1..." for the first-page link,
// "[m]" for the current page, "m" for another page and "...N" for the last-page link.
// Markup that is not one of the four exact link forms stays in the text.
std::string Compact(std::string list) {
  const std::string nb = "&nbsp;&nbsp;&nbsp;";
  list = std::regex_replace(list, std::regex(nb + R"re(<a page="1" href="1">1 \.\.\. </a>)re"), " 1...");
  list = std::regex_replace(list, std::regex(nb + R"re(<a class="pg" page="(\d+)" href="\*">\1</a>)re"), " [$1]");
  list = std::regex_replace(list, std::regex(nb + R"re(<a  page="(\d+)" href="\*">\1</a>)re"), " $1");
  list = std::regex_replace(list, std::regex(nb + R"re(<a page="(\d+)" href="\1">\.\.\. \1</a>)re"), " ...$1");
  return list;
}

TEST(PageList, ListsUpToTenPagesAroundTheCurrentOne) {
  struct Case {
    int count, page;
    const char* expected;
  };
  for (const Case& c : std::vector<Case>{
           {20, 1, "Page  [1]"},
           {21, 1, "Page  [1] 2"},
           {300, 1, "Page  [1] 2 3 4 5 6 7 8 9 10 ...15"},
           {245, 9, "Page  1... 4 5 6 7 8 [9] 10 11 12 13"},
           {400, 12, "Page  1... 7 8 9 10 11 [12] 13 14 15 16 ...20"},
           {45, 5, "Page  1 2 3"},  // beyond the last page: no current page listed
       }) {
    EXPECT_EQ(Compact(PageList(c.count, 20, c.page)), c.expected) << c.count << " @ " << c.page;
  }
}

TEST(ResultPage, NoDocumentsFound) {
  ResultPageFacts facts;
  facts.program_folder = "/opt/vexa";
  facts.index_empty = true;
  const std::string head =
      "<html><head><link rel=\"stylesheet\" href=\"file:///opt/vexa/CSS/style.css\"></head><body>";
  EXPECT_EQ(BuildResultPage(facts, {}, {}),
            head + "<b>No documents matching your query were found because the Search Index is "
                   "not created</b></body></html>");
  facts.index_empty = false;
  EXPECT_EQ(BuildResultPage(facts, {}, {}),
            head + "<b>No documents matching your query were found</b></body></html>");
}

Tsrc WorkedExampleResult() {
  Tsrc r;
  r.No = 21;
  r.Files = {{"/docs/a <b>&\"q\".txt", 10, 45000}, {"/copy/it's.txt", 10, 45000}};
  r.Excerpt = "ALPHA BETA GAMMA";
  r.Detail = {3, 1, 2, 2, 4, 9900, 10000, 0, 10000, 3440, 172960};
  return r;
}

TEST(ResultPage, ResultWithDuplicatesAndDebugLine) {
  ResultPageFacts facts;
  facts.program_folder = "/opt/vexa";
  facts.page = 2;
  facts.record_count = 21;
  facts.seconds = 0.125;
  facts.debug = 1;
  const TwSynArray words = {{5, 5, 2, 0, "BETA"}};
  const std::string page = BuildResultPage(facts, std::vector<Tsrc>{WorkedExampleResult()}, words);
  const std::string pages =
      "Page &nbsp;&nbsp;&nbsp;<a  page=\"1\" href=\"*\">1</a>"
      "&nbsp;&nbsp;&nbsp;<a class=\"pg\" page=\"2\" href=\"*\">2</a>";
  EXPECT_EQ(page,
            "<html><head><link rel=\"stylesheet\" href=\"file:///opt/vexa/CSS/style.css\"></head>"
            "<body><table width=\"100%\"><tr><td>21 documents found (0.12 sec.)</td><td nowrap>" +
                pages +
                "</td><td align=\"right\"><a www=\"https://vexadoc.org/\" href=\"*\">"
                "https://vexadoc.org/</a></td></tr></table><p><table class=\"w\">"
                "<tr><td>21.</td><td>"
                "<a ii=\"0\" nf=\"0\" class=\"bb\" href=\"*\">/docs/a &lt;b&gt;&amp;&quot;q&quot;.txt</a><br>"
                "<a ii=\"0\" nf=\"1\" class=\"bb\" href=\"*\">/copy/it&#39;s.txt</a><br>"
                " ALPHA <b>BETA</b> GAMMA"
                "<br><span class=\"red\"><b>172960</b> RW1=9900 RWP=10000 RWK=0 RWH=10000 "
                "RWW=3440<br>dw=1 p1=3 k=2 h=4 nn=2</span>"
                "</td></tr></table><p>" +
                pages + "</body></html>");

  facts.debug = 0;
  EXPECT_EQ(BuildResultPage(facts, std::vector<Tsrc>{WorkedExampleResult()}, words)
                .find("class=\"red\""),
            std::string::npos);
}

TEST(ResultPage, SearchTimeUsesTheLocaleDecimalSeparator) {
  test::ScopedLocale german(LC_NUMERIC, "de_DE.UTF-8");
  if (!german.Active()) GTEST_SKIP() << "de_DE.UTF-8 is not available";
  ResultPageFacts facts;
  facts.record_count = 1;
  facts.seconds = 1.5;
  EXPECT_NE(BuildResultPage(facts, std::vector<Tsrc>(1), {}).find("1 documents found (1,50 sec.)"),
            std::string::npos);
}

using RenderTest = test::IndexTest;

TEST_F(RenderTest, RendersTheSearchOfAnOpenIndex) {
  EXPECT_NE(RenderResultPage(index_, "alpha", 1)
                .find("<b>No documents matching your query were found because the Search Index "
                      "is not created</b>"),
            std::string::npos);

  index_.AddDocument("/t/ab.txt", 10, "one alpha beta pad pad pad pad pad pad pad pad pad pad "
                     "pad pad pad pad pad pad pad pad pad pad pad pad pad pad pad pad pad pad pad "
                     "pad pad pad pad pad pad pad pad pad pad pad pad pad pad alpha", 45000);
  index_.Maintain({});
  Config().Update([](ConfigWriter& w) { w.WriteInteger("Debug", 1); });
  const std::string page = RenderResultPage(index_, "alpha beta", 1);
  EXPECT_NE(page.find("href=\"file://" + ProgramFolder() + "/CSS/style.css\""), std::string::npos);
  EXPECT_NE(page.find("<td>1 documents found ("), std::string::npos) << page;
  EXPECT_NE(page.find(" AB ONE <b>ALPHA</b> <b>BETA</b> PAD"), std::string::npos) << page;
  EXPECT_NE(page.find("<span class=\"red\"><b>172960</b> RW1=9900 RWP=10000 RWK=0 RWH=10000 "
                      "RWW=3440<br>dw=1 p1=3 k=2 h=4 nn=2</span>"),
            std::string::npos)
      << page;
  EXPECT_EQ(RenderResultPage(index_, "nothing", 1),
            RenderResultPage(index_, "", 1));  // no word found: no summary, no emptiness note
}

}  // namespace
}  // namespace vexa
