// Searching an index: the scoring formula and its parts as tables, the query, excerpt and
// marking helpers, and Search over small indexes built with AddDocument + Maintain.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "config/codepage.h"
#include "index/search_ranking.h"
#include "index_fixture.h"

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

// ---- Search over a real index ----------------------------------------------------------

class SearchTest : public test::IndexTest {
 protected:
  // `text` is UTF-8 here; the index stores it in its code page. The file name's word
  // ("/t/ab.txt" gives AB) takes position 1, so the text's first word is at position 2.
  void Add(const std::string& name, const std::string& text) {
    if (!index_.Database().InTransaction()) index_.Database().Begin();
    index_.AddDocument(name, static_cast<std::int32_t>(text.size()),
                       index_.Codepage().FromUtf8(text), 45000.5);
  }
  // Makes the index searchable as the indexing run leaves it.
  void Finish() {
    index_.Database().Commit();
    index_.Maintain({});
  }
  // "No:name:score" per result, joined by blanks.
  std::string Page() {
    std::string out;
    for (const Tsrc& r : index_.Results) {
      if (!out.empty()) out += ' ';
      out += std::to_string(r.No) + ":" + r.Files.at(0).FName.substr(3) + ":" + std::to_string(r.Score);
    }
    return out;
  }
  static std::string Pad(int n) {
    std::string pad;
    for (int i = 0; i < n; ++i) pad += "pad ";
    return pad;
  }
};

TEST_F(SearchTest, WorkedExampleEndToEnd) {
  Add("/t/ab.txt", "one alpha beta " + Pad(45) + "alpha");  // ALPHA at 3 and 50, BETA at 4
  Add("/t/cd.txt", "nothing to see here");
  Finish();
  index_.Search("Alpha  BETA", 1);

  EXPECT_EQ(index_.RecordCount, 1);
  ASSERT_EQ(index_.Results.size(), 1u);
  const Tsrc& r = index_.Results[0];
  EXPECT_EQ(r.No, 1);
  EXPECT_EQ(r.Score, 172960);
  EXPECT_EQ(r.Detail, (Tdetail{3, 1, 2, 2, 4, 9900, 10000, 0, 10000, 3440, 172960}));
  ASSERT_EQ(r.Files.size(), 1u);
  EXPECT_EQ(r.Files[0].FName, "/t/ab.txt");
  EXPECT_EQ(r.Files[0].DT, 45000.5);
  std::string excerpt = "AB ONE ALPHA BETA";  // words 1 to p1 + 25 = 28
  for (int i = 5; i <= 28; ++i) excerpt += " PAD";
  EXPECT_EQ(r.Excerpt, excerpt);
  EXPECT_EQ(index_.MarkWords("ONE ALPHA BETA", "<b>", "</b>"), " ONE <b>ALPHA</b> <b>BETA</b>");

  ASSERT_EQ(index_.Log.size(), 5u);
  const std::string alpha = std::to_string(index_.Words[0].IDw);
  const std::string beta = std::to_string(index_.Words[1].IDw);
  EXPECT_EQ(index_.Log[0], "ALPHA " + alpha + "=" + alpha);
  EXPECT_EQ(index_.Log[1], "BETA " + beta + "=" + beta);
  EXPECT_EQ(index_.Log[2], "Record count=1");
  EXPECT_EQ(index_.Log[3].rfind("Search query time=", 0), 0u);
  EXPECT_EQ(index_.Log[4].rfind("Reading page time=", 0), 0u);
}

TEST_F(SearchTest, TypedWordSynonymAndRepeatedWord) {
  Add("/t/ab.txt", "one two computers");  // COMPUTERS at 4
  Add("/t/cd.txt", "computer");
  Finish();  // groups COMPUTER and COMPUTERS

  // Each typed word brings the other as its synonym: RWP(p) + 11257 typed, + 6257 not.
  index_.Search("computers", 1);
  EXPECT_EQ(Page(), "1:ab.txt:" + std::to_string(PositionScore(4) + 11257) + " 2:cd.txt:16257");
  index_.Search("computer", 1);
  EXPECT_EQ(Page(), "1:cd.txt:21257 2:ab.txt:" + std::to_string(PositionScore(4) + 6257));
  EXPECT_EQ(index_.Words.size(), 2u);
  EXPECT_EQ(index_.Words[1].Weight + index_.Words[0].Weight, 3);

  index_.Search("one one", 1);
  EXPECT_EQ(index_.Words.size(), 2u);
  EXPECT_EQ(Page(), "1:ab.txt:" + std::to_string(PositionScore(2) + 11257));
}

TEST_F(SearchTest, PagesOfFortyFiveDocuments) {
  for (int i = 1; i <= 45; ++i) {
    Add("/t/" + std::string(i < 10 ? "d0" : "d") + std::to_string(i) + ".txt", Pad(10 * i) + "gamma");
  }
  Finish();
  const auto names = [&] {
    std::string out;
    for (const Tsrc& r : index_.Results) out += std::to_string(r.No) + "=" + r.Files[0].FName.substr(3, 3) + " ";
    return out;
  };
  index_.Search("gamma", 1);
  EXPECT_EQ(index_.RecordCount, 45);
  ASSERT_EQ(index_.Results.size(), 20u);
  EXPECT_EQ(names().substr(0, 18), "1=d01 2=d02 3=d03 ");
  index_.Search("gamma", 3);
  EXPECT_EQ(index_.RecordCount, 45);
  EXPECT_EQ(names(), "41=d41 42=d42 43=d43 44=d44 45=d45 ");
  index_.Search("gamma", 4);
  EXPECT_EQ(index_.RecordCount, 45);
  EXPECT_TRUE(index_.Results.empty());
}

TEST_F(SearchTest, QueriesWithPunctuationMatchNothingAndFailNothing) {
  Add("/t/ab.txt", "foo bar it s baz qux");
  Finish();
  struct Case {
    const char* query;
    const char* words;  // KWords looked up
    int count;
  };
  for (const Case& c : std::vector<Case>{{"foo, bar", "BAR", 1},
                                         {"\"foo bar\"", "", 0},
                                         {"it's", "", 0},
                                         {"'; drop table FILES; --", "", 0},
                                         {"nothing here", "", 0},
                                         {"", "", 0}}) {
    index_.Search(c.query, 1);
    std::string words;
    for (const TwSyn& w : index_.Words) words += w.KWord;
    EXPECT_EQ(words, c.words) << c.query;
    EXPECT_EQ(index_.RecordCount, c.count) << c.query;
  }
  EXPECT_EQ(Rows("select count(*) from FILES"), "1");
}

TEST_F(SearchTest, DuplicatesNonAsciiWordsAndLongTexts) {
  Add("/t/ab.txt", "grün über alles");
  Add("/t/copy.txt", "grün über alles");
  std::string longtext;  // ~30 KB, so the excerpt needs more than one inflated chunk
  for (int i = 2; i <= 4000; ++i) longtext += "w" + std::to_string(i) + " ";
  Add("/t/long.txt", longtext + "needle");
  Finish();

  index_.Search("ÜBER", 1);
  ASSERT_EQ(index_.Results.size(), 1u);
  const Tsrc& r = index_.Results[0];
  ASSERT_EQ(r.Files.size(), 2u);
  EXPECT_EQ(r.Files[0].FName, "/t/ab.txt");
  EXPECT_EQ(r.Files[1].FName, "/t/copy.txt");
  EXPECT_EQ(r.Excerpt, "AB GRÜN ÜBER ALLES");
  EXPECT_EQ(index_.Words.at(0).KWord, "ÜBER");

  index_.Search("needle w3990", 1);
  ASSERT_EQ(index_.Results.size(), 1u);
  EXPECT_EQ(index_.Results[0].Detail.p1, 3990);
  EXPECT_EQ(index_.Results[0].Excerpt.substr(0, 11), "W3985 W3986");
  EXPECT_EQ(index_.Results[0].Excerpt.substr(index_.Results[0].Excerpt.size() - 12), "W4000 NEEDLE");
}

TEST_F(SearchTest, LockedIndexFailsAtOnce) {
  Add("/t/ab.txt", "alpha");
  Finish();
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(index_.FileName.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  try {
    index_.Search("alpha", 1);
    ADD_FAILURE() << "no error";
  } catch (const DatabaseError& e) {
    EXPECT_EQ(e.Code(), SQLITE_BUSY) << e.what();
  }
  sqlite3_close(other);
  index_.Search("alpha", 1);
  EXPECT_EQ(index_.RecordCount, 1);
}

}  // namespace
}  // namespace vexa
