#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "index/tindex.h"
#include "index_fixture.h"
#include "intake/tokenizer.h"

namespace vexa {
namespace {

using test::IndexTest;

// Ingestion runs inside the caller's transaction, as in a folder pass (which also spares
// a disk sync per statement).
class IngestionTest : public IndexTest {
 protected:
  void SetUp() override {
    IndexTest::SetUp();
    index_.Database().Begin();
  }
  // The uncompressed BODY of a document.
  std::string Body(int id) {
    SqlTable row =
        index_.Database().Query("select BODY from FILES where IDf=" + std::to_string(id));
    const auto blob = row.Blob(0);
    std::string text(1 << 20, '\0');
    uLongf size = text.size();
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(text.data()), &size, blob.data(), blob.size()),
              Z_OK);
    text.resize(size);
    return text;
  }
  std::string Found(const std::string& name, int size, double date) {
    const TIndex::FindResult r = index_.FindDocument(name, size, date);
    return r.found ? std::to_string(r.id) + "/" + std::to_string(r.changes) : "-";
  }
  std::string Counters() {
    return std::to_string(index_.Added) + "/" + std::to_string(index_.Deleted) + "/" +
           std::to_string(index_.Replaced);
  }
};

TEST_F(IngestionTest, DocumentRowsHoldNameWordsTextAndPositions) {
  index_.AddDocument("/home/u/Café menu.final.txt", 1234, "Soup of the day, soup!", 45123.5);

  EXPECT_EQ(Rows("select IDf, FName, Len, DT, NW, NKW, MD5, hex(substr(BODY, 1, 2)) from FILES"),
            "1|/home/u/Café menu.final.txt|1234|45123.5|8|7|A444A1E6A40359A0BA0651EAE8E58C81|789C");
  EXPECT_EQ(Body(1), "CAF\xC9 MENU FINAL SOUP OF THE DAY SOUP");
  EXPECT_EQ(Rows("select IDw, NN, SYN, KWord from WORDS"),
            "1|~|~|CAFÉ;2|~|~|DAY;3|~|~|FINAL;4|~|~|MENU;5|~|~|OF;6|~|~|SOUP;7|~|~|THE");
  EXPECT_EQ(Rows("select IDf, IDw, hex(P) from DOCS order by IDw"),
            "1|1|080001;1|2|080007;1|3|080003;1|4|080002;1|5|080005;1|6|08000408;1|7|080006");
  EXPECT_EQ(index_.Added, 1);
}

TEST_F(IngestionTest, PositionsAbove255SwitchOnlyTheirKeywordToSixteenBits) {
  std::string text = "alpha omega";
  for (int k = 3; k <= 254; ++k) text += " f" + std::to_string(k);
  text += " alpha omega";
  index_.AddDocument("/d/x.txt", 1, text, 45000);  // "X" gives no name word
  EXPECT_EQ(Rows("select hex(P) from DOCS join WORDS using (IDw) "
                 "where KWord in ('ALPHA', 'OMEGA') order by KWord"),
            "000101FF;008102000001");
}

TEST_F(IngestionTest, LongDocumentKeepsTheTokenLimitAndTheFingerprintOfItsTextAlone) {
  std::string text;
  for (int k = 0; k < 20001; ++k) text += "t" + std::to_string(k) + " ";
  TokList alone(index_.Codepage());
  alone.Cut(text);
  alone.Finish();
  index_.AddDocument("/d/big name.txt", 1, text, 45000);
  EXPECT_EQ(Rows("select NW, NKW, MD5 from FILES"), "20000|20000|" + alone.Fingerprint());
  EXPECT_EQ(Body(1).substr(0, 15), "BIG NAME T0 T1 ");
}

TEST_F(IngestionTest, SameTextIsStoredOnceAndKeywordsAreReused) {
  index_.AddDocument("/d/first.txt", 1, "shared words", 45000);
  index_.AddDocument("/d/second.txt", 2, "Shared, words.", 45001);
  index_.AddDocument("/d/third.txt", 3, "shared other", 45002);
  EXPECT_EQ(Rows("select IDf, FName from FILES"), "1|/d/first.txt;2|/d/third.txt");
  EXPECT_EQ(Rows("select IDf, FName, Len, DT from FILES_S"), "1|/d/second.txt|2|45001");
  // The duplicate's name words are not indexed.
  EXPECT_EQ(Rows("select IDw, KWord from WORDS order by IDw"),
            "1|FIRST;2|SHARED;3|WORDS;4|OTHER;5|THIRD");
  EXPECT_EQ(Rows("select IDw from DOCS where IDf=2 order by IDw"), "2;4;5");
  EXPECT_EQ(index_.Added, 3);
}

// Keywords outside ASCII are converted to UTF-8 for the look-up and for the insert: new
// ones are stored under their own UTF-8 text, and a stored one (CAFÉ) is found again.
TEST_F(IngestionTest, AccentedKeywordsInARowKeepTheirOwnTexts) {
  index_.AddDocument("/d/a.txt", 1, "\xE9lan caf\xE9 cr\xE8me", 45000);
  index_.AddDocument("/d/b.txt", 2, "na\xEFve caf\xE9 \xFC" "ber \xE9t\xE9", 45001);
  EXPECT_EQ(Rows("select IDw, KWord from WORDS order by IDw"),
            "1|CAFÉ;2|CRÈME;3|ÉLAN;4|NAÏVE;5|ÉTÉ;6|ÜBER");
  EXPECT_EQ(Rows("select IDf, IDw from DOCS order by IDf, IDw"), "1|1;1|2;1|3;2|1;2|4;2|5;2|6");
}

TEST_F(IngestionTest, DocumentWithoutTokensGetsAnEmptyRowAndLaterOnesAreItsDuplicates) {
  index_.AddDocument("/d/a.txt", 1, " , ", 45000);
  index_.AddDocument("/d/b.txt", 1, "!", 45000);
  EXPECT_EQ(Rows("select NW, NKW, hex(BODY) from FILES"), "0|0|789C030000000001");
  EXPECT_EQ(Rows("select count(*) from DOCS"), "0");
  EXPECT_EQ(Rows("select IDf, FName from FILES_S"), "1|/d/b.txt");
}

TEST_F(IngestionTest, FindDocumentReportsWhatChanged) {
  index_.AddDocument("/d/a.txt", 10, "alpha beta", 45000.25);
  index_.AddDocument("/d/b.txt", 20, "alpha beta", 45001);
  struct Case {
    const char* name;
    int size;
    double date;
    const char* found;  // "id/changes", or "-"
  } cases[] = {
      {"/d/a.txt", 10, 45000.25, "1/0"}, {"/d/a.txt", 11, 45000.25, "1/1"},
      {"/d/a.txt", 10, 45000.5, "1/2"},  {"/d/a.txt", 11, 45000.5, "1/3"},
      {"/d/b.txt", 20, 45001, "1/0"},    {"/d/b.txt", 20, 45001.5, "1/2"},
      {"/d/A.txt", 10, 45000.25, "-"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Found(c.name, c.size, c.date), c.found) << c.name << " " << c.size << " " << c.date;
  }
}

TEST_F(IngestionTest, NeedsIndexingReplacesChangedFiles) {
  index_.AddDocument("/d/a.txt", 10, "alpha beta", 45000);
  EXPECT_FALSE(index_.NeedsIndexing("/d/a.txt", 10, 45000));
  EXPECT_TRUE(index_.NeedsIndexing("/d/new.txt", 10, 45000));
  EXPECT_EQ(Counters(), "1/0/0");

  EXPECT_TRUE(index_.NeedsIndexing("/d/a.txt", 12, 45000));
  EXPECT_EQ(Found("/d/a.txt", 12, 45000), "-");
  EXPECT_EQ(Counters(), "1/0/1");
}

TEST_F(IngestionTest, RemovingAFileWithDuplicatesPassesItToTheFirst) {
  index_.AddDocument("/d/a.txt", 1, "alpha beta", 45000);
  index_.AddDocument("/d/b.txt", 2, "alpha beta", 45001.5);
  index_.AddDocument("/d/c.txt", 3, "alpha beta", 45002);
  const std::string postings = Rows("select IDf, IDw, hex(P) from DOCS");

  index_.RemoveDocument("/d/a.txt");
  EXPECT_EQ(Rows("select IDf, FName, Len, DT, NW from FILES"), "1|/d/b.txt|2|45001.5|2");
  EXPECT_EQ(Rows("select IDf, FName from FILES_S"), "1|/d/c.txt");
  EXPECT_EQ(Rows("select IDf, IDw, hex(P) from DOCS"), postings);

  index_.RemoveDocument("/d/c.txt");
  EXPECT_EQ(Rows("select count(*) from FILES_S"), "0");
  EXPECT_EQ(Rows("select FName from FILES"), "/d/b.txt");

  index_.RemoveDocument("/d/b.txt");
  index_.RemoveDocument("/d/none.txt");
  EXPECT_EQ(Rows("select (select count(*) from FILES), (select count(*) from DOCS), "
                 "(select count(*) from WORDS)"),
            "0|0|2");
  EXPECT_EQ(Counters(), "3/3/0");
}

}  // namespace
}  // namespace vexa
