// Searching an index: the scoring formula and its parts as tables, the query, excerpt and
// marking helpers, and Search over small indexes built with AddDocument + Maintain.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "index/search_ranking.h"

namespace vexa {
namespace {

TEST(Ranking, ComponentValues) {
  struct Case {
    std::size_t n;
    std::int32_t rww;
  };
  for (const Case& c : std::vector<Case>{{0, 0}, {1, 1257}, {2, 2422}, {3, 3440}, {4, 4296},
                                         {5, 5000}, {6, 5577}, {7, 6051}, {8, 6444}, {10, 7048}}) {
    EXPECT_EQ(OccurrenceScore(c.n), c.rww) << "N=" << c.n;
  }
  struct Gap {
    double d;
    std::int32_t rw1;
  };
  for (const Gap& c : std::vector<Gap>{{1, 9900}, {5, 7788}, {10, 3679}, {20, 183}, {46, 0}}) {
    EXPECT_EQ(ProximityScore(c.d), c.rw1) << "d=" << c.d;
  }
  struct Start {
    int first;
    std::int32_t rwp;
  };
  for (const Start& c : std::vector<Start>{
           {1, 10000}, {3, 10000}, {4, 9999}, {50, 9763}, {100, 9066}, {799, 17}, {800, 0}, {20000, 0}}) {
    EXPECT_EQ(PositionScore(c.first), c.rwp) << "first=" << c.first;
  }
}

// A document as its postings arrive from DOCS: (IDw, positions) in posting order.
struct Posting {
  std::int32_t idw;
  std::vector<std::uint16_t> positions;
};

// "score p1=.. dw=.. k=.. h=.. nn=.. RW1=.. RWP=.. RWH=.. RWW=.."
std::string Score(const TwSynArray& words, const std::vector<Posting>& postings) {
  std::vector<Tti> positions;
  for (const Posting& p : postings) {
    for (std::uint16_t pos : p.positions) positions.push_back(Tti{pos, 0, p.idw, 0});
  }
  ScoreWorkspace work;
  Tdetail d;
  const std::int32_t score = ScoreDocument(positions, words, work, d);
  EXPECT_EQ(score, d.score);
  return std::to_string(score) + " p1=" + std::to_string(d.p1) + " dw=" + std::to_string(d.dw) +
         " k=" + std::to_string(d.k) + " h=" + std::to_string(d.h) + " nn=" + std::to_string(d.nn) +
         " RW1=" + std::to_string(d.RW1) + " RWP=" + std::to_string(d.RWP) +
         " RWH=" + std::to_string(d.RWH) + " RWW=" + std::to_string(d.RWW);
}

TEST(Ranking, ScoreDocumentCases) {
  // Typed words A (1), B (2) and D (4); C (3) is a synonym brought in by A, group key 1.
  const TwSynArray words = {
      {1, 1, 2, 0, "A"}, {2, 2, 2, 0, "B"}, {3, 1, 1, 0, "C"}, {4, 4, 2, 0, "D"}};
  struct Case {
    const char* name;
    std::vector<Posting> postings;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"worked example", {{1, {3, 50}}, {2, {4}}},
       "172960 p1=3 dw=1 k=2 h=4 nn=2 RW1=9900 RWP=10000 RWH=10000 RWW=3440"},
      {"one typed word: RWP(p) + 11257", {{2, {50}}},
       "21020 p1=50 dw=0 k=1 h=2 nn=1 RW1=0 RWP=9763 RWH=10000 RWW=1257"},
      {"one word through a synonym: RWP(p) + 6257", {{3, {50}}},
       "16020 p1=50 dw=0 k=1 h=1 nn=1 RW1=0 RWP=9763 RWH=5000 RWW=1257"},
      {"position 800 and beyond adds nothing", {{1, {900}}},
       "11257 p1=900 dw=0 k=1 h=2 nn=1 RW1=0 RWP=0 RWH=10000 RWW=1257"},
      {"equal windows: the later one wins", {{1, {1, 3}}},
       "22422 p1=3 dw=0 k=1 h=2 nn=1 RW1=0 RWP=10000 RWH=10000 RWW=2422"},
      {"a window stops before a group it already holds", {{1, {1, 2}}, {2, {3}}},
       "172960 p1=2 dw=1 k=2 h=4 nn=2 RW1=9900 RWP=10000 RWH=10000 RWW=3440"},
      {"a word and its synonym are one group", {{1, {5}}, {3, {6}}},
       "22420 p1=5 dw=0 k=1 h=2 nn=1 RW1=0 RWP=9998 RWH=10000 RWW=2422"},
      {"the mean gap of three words is the span over two", {{1, {10}}, {2, {20}}, {4, {30}}},
       "277110 p1=10 dw=20 k=3 h=6 nn=3 RW1=3679 RWP=9992 RWH=10000 RWW=3440"},
      {"no positions", {{1, {}}}, "0 p1=0 dw=0 k=0 h=0 nn=0 RW1=0 RWP=0 RWH=0 RWW=0"},
  };
  for (const Case& c : cases) EXPECT_EQ(Score(words, c.postings), c.expected) << c.name;
}

TEST(Ranking, ScoreSaturatesOnHugeWindows) {
  // 300 distinct typed words side by side: (2*9900 + RWP + 10000 + RWW) * 300 * 300
  // exceeds 32 bits.
  TwSynArray words;
  std::vector<Tti> positions;
  for (int i = 1; i <= 300; ++i) {
    words.push_back({i, i, 2, 0, "W"});
    positions.push_back(Tti{static_cast<std::uint16_t>(i), 0, i, 0});
  }
  ScoreWorkspace work;
  Tdetail d;
  EXPECT_EQ(ScoreDocument(positions, words, work, d), INT32_MAX);
  EXPECT_EQ(d.k, 300);
}

TEST(Ranking, PositionsBlobForms) {
  const auto decode = [](std::vector<unsigned char> blob) {
    std::vector<Tti> positions;
    AppendPositions(blob, 7, positions);
    std::string out;
    for (const Tti& t : positions) out += std::to_string(t.Pos) + "/" + std::to_string(t.IDw) + " ";
    return out;
  };
  EXPECT_EQ(decode({0x03, 0x00, 3, 50}), "3/7 50/7 ");
  EXPECT_EQ(decode({0x2C, 0x81, 0x00, 0x01, 0x04, 0x00}), "256/7 4/7 ");
  EXPECT_EQ(decode({0x03, 0x00}), "");
  EXPECT_EQ(decode({0x03}), "");
  EXPECT_EQ(decode({0x03, 0x80, 0x05}), "");  // a 16-bit blob cut in the middle of a position
}

TEST(QueryWords, CutsAtBlanksOutsideQuotes) {
  const auto cut = [](std::string_view q) {
    std::string out;
    for (const std::string& w : QueryWords(q)) out += "[" + w + "]";
    return out;
  };
  EXPECT_EQ(cut("foo, bar"), "[foo,][bar]");
  EXPECT_EQ(cut("   alpha    beta "), "[alpha][beta]");
  EXPECT_EQ(cut("x \"a b\" y"), "[x][\"a b\"][y]");
  EXPECT_EQ(cut("\"open quote a b"), "[\"open quote a b]");
  EXPECT_EQ(cut("it's"), "[it's]");
  EXPECT_EQ(cut("   "), "");
}

TEST(Excerpt, CutsWordsAroundTheBestWindow) {
  std::string text;
  for (int i = 1; i <= 40; ++i) text += (i > 1 ? " W" : "W") + std::to_string(i);
  const auto words = [&](int p) {
    const std::string_view e = CutExcerpt(text, p);
    if (e.empty()) return std::string("-");
    const std::size_t last = e.rfind(' ');
    return std::string(e.substr(0, e.find(' '))) + ".." + std::string(e.substr(last + 1)) + " (" +
           std::to_string(std::count(e.begin(), e.end(), ' ') + 1) + ")";
  };
  EXPECT_EQ(words(1), "W1..W26 (26)");
  EXPECT_EQ(words(6), "W1..W31 (31)");
  EXPECT_EQ(words(10), "W5..W35 (31)");
  EXPECT_EQ(words(15), "W10..W40 (31)");
  EXPECT_EQ(words(30), "W25..W40 (16)");
  EXPECT_EQ(words(45), "W40..W40 (1)");
  EXPECT_EQ(words(46), "-");
  EXPECT_EQ(CutExcerpt("", 1), "");
}

TEST(MarkWords, MarksLookedUpWordsIgnoringAsciiCase) {
  const TwSynArray words = {{1, 1, 2, 0, "BETA"}, {2, 1, 1, 0, "ÄRGER"}};
  EXPECT_EQ(MarkWords("ALPHA BETA", words, "<b>", "</b>"), " ALPHA <b>BETA</b>");
  EXPECT_EQ(MarkWords("beta BETAS ärger ÄRGER", words, "[", "]"), " [beta] BETAS ärger [ÄRGER]");
  EXPECT_EQ(MarkWords("", words, "[", "]"), " ");
}

}  // namespace
}  // namespace vexa
