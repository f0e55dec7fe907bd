#include "index/tindex.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "config/codepage.h"
#include "index_fixture.h"

namespace vexa {
namespace {

using test::IndexTest;

TEST_F(IndexTest, OpeningAMissingFileCreatesTheSchema) {
  EXPECT_EQ(Rows("select type, name from sqlite_master where name not like 'sqlite%' "
                 "order by type, name"),
            "index|FILES_FName;index|FILES_H;index|FILES_S_Fname;index|FILES_S_IDf;"
            "index|SCB_PAR;index|WORDS_K;"
            "table|DOCS;table|FILES;table|FILES_S;table|SCB;table|WORDS;view|V;view|V2");
  EXPECT_EQ(Rows("pragma page_size"), "4096");
  EXPECT_EQ(Rows("select PAR, VAL from SCB"), "Code_page|1252");
  EXPECT_TRUE(index_.IsEmpty());
  EXPECT_TRUE(index_.ObjectExists("FILES_H"));
  EXPECT_FALSE(index_.ObjectExists("DOCS_K"));
}

TEST_F(IndexTest, ReopenKeepsTheFileAndRecreateEmptiesIt) {
  index_.AddDocument("/d/a.txt", 1, "some words", 45000);
  index_.SetTextSetting("Flags", "x");
  index_.Open(false);
  EXPECT_EQ(index_.DocumentCount(), 1);
  EXPECT_EQ(index_.GetTextSetting("Flags", ""), "x");
  index_.Open(true);
  EXPECT_EQ(index_.DocumentCount(), 0);
  EXPECT_EQ(Rows("select PAR, VAL from SCB"), "Code_page|1252");
}

TEST_F(IndexTest, SettingsRoundTrip) {
  index_.SetTextSetting("Indexing_finished", "soon");
  index_.SetTextSetting("Indexing_finished", "Grüße 11:00");
  index_.SetTextSetting("Index_broken", "");
  index_.SetIntSetting("Added_files", 12);
  index_.SetTextSetting("Prepare_sort", "*");
  index_.SetIntSetting("Prepare_sort", -3);
  EXPECT_EQ(Rows("select PAR, VAL, typeof(VAL) from SCB where PAR<>'Code_page' order by ID"),
            "Indexing_finished|Grüße 11:00|text;Index_broken||text;Added_files|12|text;"
            "Prepare_sort|-3|text");
  EXPECT_EQ(index_.GetTextSetting("Indexing_finished", "none"), "Grüße 11:00");
  EXPECT_EQ(index_.GetTextSetting("Index_broken", "none"), "");
  EXPECT_EQ(index_.GetTextSetting("Missing", "none"), "none");
  EXPECT_EQ(index_.GetIntSetting("Added_files", 0), 12);
  EXPECT_EQ(index_.GetIntSetting("Prepare_sort", 0), -3);
  EXPECT_EQ(index_.GetIntSetting("Missing", 7), 7);
}

TEST_F(IndexTest, IntegerSettingOfAnotherTextFails) {
  for (const char* value : {"", "abc", "12x", "99999999999"}) {
    index_.SetTextSetting("Vacuum", value);
    try {
      index_.GetIntSetting("Vacuum", 0);
      ADD_FAILURE() << value;
    } catch (const std::invalid_argument& error) {
      EXPECT_EQ(error.what(), "'" + std::string(value) + "' is not a valid integer value");
    }
  }
}

TEST_F(IndexTest, DocumentCountIncludesDuplicates) {
  index_.AddDocument("/d/a.txt", 1, "same text", 45000);
  index_.AddDocument("/d/b.txt", 1, "same text", 45000);
  index_.AddDocument("/d/c.txt", 1, "same text", 45000);
  EXPECT_EQ(Rows("select count(*) from FILES"), "1");
  EXPECT_EQ(index_.DocumentCount(), 3);
  EXPECT_FALSE(index_.IsEmpty());
}

TEST_F(IndexTest, DestroyingWithAnOpenTransactionRollsBack) {
  {
    TIndex writer;
    writer.FileName = index_.FileName;
    writer.Open(false);
    writer.Database().Begin();
    writer.AddDocument("/d/a.txt", 1, "lost words", 45000);
  }
  EXPECT_TRUE(index_.IsEmpty());
}

TEST_F(IndexTest, NewIndexRecordsTheConfiguredCodePageAndKeepsIt) {
  Config().WriteInteger("Codepage", 1251);
  index_.Open(true);
  EXPECT_EQ(index_.GetIntSetting("Code_page", 0), 1251);
  EXPECT_EQ(index_.Codepage().Number(), 1251);

  // Text arrives in the index's code page; keywords are stored as UTF-8.
  index_.AddDocument("/d/ёлка.txt", 1, CodePage::Get(1251).FromUtf8("ёж и мир"), 45000);
  EXPECT_EQ(Rows("select KWord from WORDS order by IDw"), "ЕЖ;ЕЛКА;МИР");

  // A code page the system cannot convert is refused before the index is touched.
  Config().WriteInteger("Codepage", 932);
  EXPECT_THROW(index_.Open(true), std::runtime_error);
  Config().WriteInteger("Codepage", 1252);
  index_.Open(false);
  EXPECT_EQ(index_.Codepage().Number(), 1251);
  EXPECT_EQ(index_.DocumentCount(), 1);

  // An index that recorded no code page is read as 1252.
  index_.Database().Execute("delete from SCB where PAR='Code_page'");
  index_.Open(false);
  EXPECT_EQ(index_.Codepage().Number(), 1252);
}

}  // namespace
}  // namespace vexa
