#include "config/text.h"

#include <gtest/gtest.h>

#include "config/codepage.h"
#include "config/day_count.h"
#include "scoped_locale.h"

namespace vexa {
namespace {

TEST(SizeText, UnitsTruncateTowardZero) {
  const struct {
    std::int64_t bytes;
    const char* text;
  } cases[] = {
      {0, "0"},
      {-1, "-1"},
      {1023, "1023"},
      {1024, "1 Kb"},
      {-1024, "-1 Kb"},
      {1048575, "1023 Kb"},
      {5242880, "5 Mb"},
      {1073741823, "1023 Mb"},
      {1073741824, "1.0 Gb"},
      {1610612736, "1.5 Gb"},
      {2147483648LL, "2.0 Gb"},
  };
  for (const auto& c : cases) EXPECT_EQ(SizeText(c.bytes), c.text) << c.bytes;
}

TEST(SizeText, UsesTheLocaleDecimalSeparator) {
  test::ScopedLocale german(LC_NUMERIC, "de_DE.UTF-8");
  if (!german.Active()) GTEST_SKIP() << "no German locale on this machine";
  EXPECT_EQ(SizeText(1610612736), "1,5 Gb");
}

TEST(DurationText, MinutesUntilAnHourThenHours) {
  const double start = DayCount(2024, 3, 1, 23, 0, 0);
  const struct {
    double seconds;
    const char* text;
  } cases[] = {
      {0, "00:00"},       {59, "00:59"},      {61, "01:01"},         {59.9, "00:59"},
      {3600, "01:00:00"}, {3661, "01:01:01"}, {360000, "100:00:00"},
  };
  for (const auto& c : cases) {
    const double end = start + c.seconds / 86400.0;
    EXPECT_EQ(DurationText(start, end), c.text) << c.seconds;
    EXPECT_EQ(DurationText(end, start), c.text) << "swapped " << c.seconds;
  }
}

TEST(NthField, DelimiterRunsAndQuotes) {
  const struct {
    const char* text;
    char delimiter;
    int n;
    const char* field;
  } cases[] = {
      {"a,,b", ',', 1, "a"},
      {"a,,b", ',', 2, "b"},
      {"a,,b", ',', 3, ""},
      {",,a", ',', 1, "a"},
      {"a b", ' ', 0, ""},
      {"", ' ', 1, ""},
      {"x \"a b\" y", ' ', 2, "\"a b\""},
      {"x \"a b\" y", ' ', 3, "y"},
      {"C:\\Docs /docs", ' ', 2, "/docs"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(NthField(c.text, c.delimiter, c.n), c.field) << c.text << " #" << c.n;
}

TEST(SplitFields, RemovesEnclosingQuotes) {
  using List = std::vector<std::string>;
  EXPECT_EQ(SplitFields("x \"a b\" y", ' '), (List{"x", "a b", "y"}));
  EXPECT_EQ(SplitFields("*.doc  \"my file*.txt\" *.rtf", ' '),
            (List{"*.doc", "my file*.txt", "*.rtf"}));
  EXPECT_EQ(SplitFields("", ' '), List{});
  EXPECT_EQ(SplitFields("   ", ' '), List{});
  // A lone quote is a one-character field and is kept.
  EXPECT_EQ(SplitFields("a \" b", ' '), (List{"a", "\" b"}));
}

TEST(MD5OfText, PublishedDigests) {
  EXPECT_EQ(HexOfBytes(MD5OfText("")), "D41D8CD98F00B204E9800998ECF8427E");
  EXPECT_EQ(HexOfBytes(MD5OfText("abc")), "900150983CD24FB0D6963F7D28E17F72");
  // Bytes as held, embedded zero included.
  EXPECT_EQ(HexOfBytes(MD5OfText(std::string_view("a\0b", 3))),
            HexOfBytes(MD5OfText(std::string("a\0b", 3))));
  EXPECT_NE(MD5OfText(std::string_view("a\0b", 3)), MD5OfText("a"));
}

TEST(HexOfBytes, ConvertsAtMostAThousandBytes) {
  const std::vector<unsigned char> bytes(1001, 0xAB);
  const std::string hex = HexOfBytes(bytes);
  EXPECT_EQ(hex.size(), 2000u);
  EXPECT_EQ(hex.substr(0, 4), "ABAB");
  const unsigned char mixed[] = {0x00, 0x0F, 0xF0};
  EXPECT_EQ(HexOfBytes(mixed), "000FF0");
}

TEST(UrlEncode, KeepsMarksEscapesTheRest) {
  EXPECT_EQ(UrlEncode(CodePage::Get(1252).FromUtf8("Grüße & co")), "Gr%FC%DFe+&+co");
  EXPECT_EQ(UrlEncode("$-_@.&+!*\"'(),;/#?:"), "$-_@.&+!*\"'(),;/#?:");
  EXPECT_EQ(UrlEncode("aZ09"), "aZ09");
  EXPECT_EQ(UrlEncode(std::string("%=<>\t\x7f\0", 7)), "%25%3D%3C%3E%09%7F%00");
}

TEST(FindKeyIndex, FirstMatchInListOrder) {
  struct Word {
    std::int32_t id;
  };
  const std::vector<Word> words{{7}, {3}, {7}};
  EXPECT_EQ(FindKeyIndex(7, words, &Word::id), 0);
  EXPECT_EQ(FindKeyIndex(3, words, &Word::id), 1);
  EXPECT_EQ(FindKeyIndex(4, words, &Word::id), -1);
  EXPECT_EQ(FindKeyIndex(4, std::vector<Word>{}, &Word::id), -1);
}

}  // namespace
}  // namespace vexa
