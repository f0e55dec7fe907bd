#include "intake/tokenizer.h"

#include <gtest/gtest.h>

#include <string>

#include "config/codepage.h"

namespace vexa {
namespace {

// "TEXT:p1,p2 ..." for every keyword, in keyword order.
std::string Describe(const TokList& list) {
  std::string out;
  for (const tokp& keyword : list.Keywords()) {
    if (!out.empty()) out += ' ';
    out += std::string(keyword.text) + ':';
    for (std::size_t k = 0; k < keyword.positions.size(); ++k) {
      out += (k ? "," : "") + std::to_string(keyword.positions[k]);
    }
  }
  return out;
}

struct Cut {
  explicit Cut(const std::string& text, int page = 1252) : list(CodePage::Get(page)) {
    list.Cut(text);
    list.Finish();
  }
  TokList list;
};

TEST(TokList, TokenRules) {
  const std::string k25 = "abcdefghijklmnopqrstuvwxy";
  struct Case {
    const char* why;
    std::string text;
    std::string joined;
  } cases[] = {
      {"single letters dropped, single digit kept", "A i 5", "5"},
      {"all-equal bytes dropped unless numeric", "AAAA ___ 1111 0000", "1111 0000"},
      {"underscores trimmed after the all-equal test", "_A_ __ab__ a_b", "A AB A_B"},
      {"joiner kept between digits only", "a1.2 e-mail -5 1..2 1.2.3", "A1.2 MAIL 5 1 2 1.2.3"},
      {"numbers with joiners", "10:30 3.14 1996-1997 5-", "10:30 3.14 1996-1997 5"},
      {"date followed by one letter loses the letter", "12.05.2008y. 1.2.99z 2008y",
       "12.05.2008 1.2.99 2008Y"},
      {"date rule needs a 2- or 4-digit year and one trailing byte", "1.2.999z 1.2.99zz 123.4.99z",
       "1.2.999Z 1.2.99ZZ 123.4.99Z"},
      {"separators", "x$y@z#w 'q'(r)[s]{t}<u>|v~w\\x/y,z;a?b!c\"d", "X$Y@Z"},
      {"25 bytes kept, 26 dropped", k25 + " " + k25 + "z", "ABCDEFGHIJKLMNOPQRSTUVWXY"},
      {"en and em dashes are joiners",
       "1996\x96"
       "1997 1\x97"
       "2",
       "1996-1997 1-2"},
      {"1252 letters are upper-cased", "\xe9t\xe9 \xe6on", "\xc9T\xc9 \xc6ON"},
      {"empty text", "", ""},
      {"only separators", " ,;!?\t\r\n", ""},
  };
  for (const Case& c : cases) {
    Cut cut(c.text);
    EXPECT_EQ(cut.list.JoinedText(), c.joined) << c.why;
  }
}

TEST(TokList, CyrillicIoIsIndexedAsIe) {
  // 1251: small io upper-cases to capital IO (168), which is indexed as capital IE (197).
  EXPECT_EQ(Cut("\xb8\xe6 \xa8\xe6", 1251).list.JoinedText(), "\xc5\xc6 \xc5\xc6");
}

TEST(TokList, KeywordsAreSortedWithTheirPositions) {
  Cut cut("Word zy WORD ab abc word \xe9t\xe9 a1");
  EXPECT_EQ(Describe(cut.list), "A1:8 AB:4 ABC:5 WORD:1,3,6 ZY:2 \xc9T\xc9:7");
  EXPECT_EQ(cut.list.KeywordCount(), 6);
  EXPECT_EQ(cut.list.WordCount(), 8);
  // Texts sharing their first eight bytes.
  EXPECT_EQ(Describe(Cut("abcdefghiz abcdefghij abcdefghi abcdefghij").list),
            "ABCDEFGHI:3 ABCDEFGHIJ:2,4 ABCDEFGHIZ:1");
}

TEST(TokList, KeepsThirtyPositionsPerKeyword) {
  std::string text;
  for (int k = 0; k < 31; ++k) text += "ab x1 ";
  Cut cut(text);
  const tokp& ab = cut.list.Keywords()[0];
  ASSERT_EQ(ab.text, "AB");
  ASSERT_EQ(ab.positions.size(), 30u);
  EXPECT_EQ(ab.positions.front(), 1);
  EXPECT_EQ(ab.positions.back(), 59);
  EXPECT_EQ(cut.list.WordCount(), 60);
  EXPECT_EQ(cut.list.TokenCount(), 62);
}

TEST(TokList, KeepsTheFirstTwentyThousandTokens) {
  std::string text;
  for (int k = 0; k < 20005; ++k) text += "t" + std::to_string(k) + " ";
  Cut cut(text);
  EXPECT_EQ(cut.list.TokenCount(), 20000);
  EXPECT_EQ(cut.list.KeywordCount(), 20000);
  EXPECT_EQ(cut.list.WordCount(), 20000);
  const std::string& joined = cut.list.JoinedText();
  EXPECT_EQ(joined.substr(0, 6), "T0 T1 ");
  EXPECT_EQ(joined.substr(joined.size() - 7), " T19999");
}

TEST(TokList, SecondCutContinuesAsIfJoinedBySpace) {
  TokList split(CodePage::Get(1252));
  split.Cut("report 1.");
  split.Cut("2 alpha");
  split.Finish();
  EXPECT_EQ(split.JoinedText(), Cut("report 1. 2 alpha").list.JoinedText());
  EXPECT_EQ(Describe(split), "1:2 2:3 ALPHA:4 REPORT:1");
}

TEST(TokList, FingerprintIsMd5OfJoinedText) {
  EXPECT_EQ(Cut("").list.Fingerprint(), "D41D8CD98F00B204E9800998ECF8427E");
  EXPECT_EQ(Cut(" hello,  World! ").list.Fingerprint(), "361FADF1C712E812D198C4CAB5712A79");
}

}  // namespace
}  // namespace vexa
