// The click rules of the result page: which action each kind of link asks for.
#include <gtest/gtest.h>

#include "search/click_rules.h"
#include "search/result_page.h"

namespace vexa {
namespace {

// "kind target result/file page visited"
std::string Describe(const ClickAction& a) {
  static const char* const kKinds[] = {"none", "open-file", "show-page", "open-site"};
  return std::string(kKinds[static_cast<int>(a.kind)]) + " '" + a.target + "' " +
         std::to_string(a.result) + "/" + std::to_string(a.file) + " p" + std::to_string(a.page) +
         (a.mark_visited ? " vv" : "");
}

TEST(ClickRule, DecidesFromTheClickedElementsAttributes) {
  std::vector<Tsrc> results(2);
  results[1].Files = {{"/docs/a.txt", 1, 0}, {"/docs/copy of a.txt", 1, 0}};
  struct Case {
    ElementAttributes attributes;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {{{"ii", "1"}, {"nf", "1"}, {"class", "bb"}}, "open-file '/docs/copy of a.txt' 1/1 p0 vv"},
      {{{"II", "1"}, {"NF", "0"}}, "open-file '/docs/a.txt' 1/0 p0 vv"},
      // A page left over from an older search: no such result or file.
      {{{"ii", "5"}, {"nf", "0"}}, "none '' -1/-1 p0 vv"},
      {{{"ii", "0"}, {"nf", "0"}}, "none '' -1/-1 p0 vv"},
      {{{"ii", "1"}}, "none '' -1/-1 p0 vv"},
      {{{"ii", "x1"}, {"nf", "0"}}, "none '' -1/-1 p0 vv"},
      {{{"page", "7"}, {"href", "*"}}, "show-page '' -1/-1 p7"},
      {{{"Page", "15"}, {"href", "15"}}, "show-page '' -1/-1 p15"},
      {{{"page", "seven"}}, "none '' -1/-1 p0"},
      {{{"www", "http://elsewhere.example/"}}, "open-site '" + std::string(kWebSite) + "' -1/-1 p0"},
      {{{"ii", ""}, {"page", "2"}}, "show-page '' -1/-1 p2"},
      {{{"href", "*"}}, "none '' -1/-1 p0"},
      {{}, "none '' -1/-1 p0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Describe(ClickRule(c.attributes, results)), c.expected) << c.expected;
  }
}

}  // namespace
}  // namespace vexa
