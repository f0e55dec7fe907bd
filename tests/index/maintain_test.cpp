#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "index/tindex.h"
#include "index_fixture.h"

namespace vexa {
namespace {

using test::IndexTest;

TEST(SynonymRules, SimilarityScoreAndCandidates) {
  const struct {
    const char *a, *b;
    int score;
  } scores[] = {
      {"COMPUTER", "COMPUTERS", 94}, {"RUN", "RUNNING", 60}, {"WORK", "WORKS", 88},
      {"WORK", "WORKED", 80},        {"WORK", "WORKING", 72}, {"ABC", "XBC", 0},
      {"SAME", "SAME", 100},
  };
  for (const auto& c : scores) EXPECT_EQ(TIndex::SimilarityScore(c.a, c.b), c.score) << c.a;

  for (const char* word : {"WORD", "CAF\xC9", "A$B", "X+Y", "\xC6THER"})
    EXPECT_TRUE(TIndex::SynonymCandidate(word)) << word;
  for (const char* word : {"MP3", "E-MAIL", "WWW.X", "C:X", "A_B", "IT'S", "\x93Q\x94", "\xABQ"})
    EXPECT_FALSE(TIndex::SynonymCandidate(word)) << word;
}

class MaintainTest : public IndexTest {
 protected:
  // Puts words with the given NN into WORDS and computes the groups.
  std::string Groups(const std::vector<std::pair<std::string, int>>& words) {
    auto& db = index_.Database();
    db.Execute("delete from WORDS");
    for (const auto& [word, nn] : words) {
      db.Execute("insert into WORDS (KWord, NN, SYN) values (:w, :n, 12345)",
                 {{":w", word}, {":n", nn}});
    }
    index_.MakeSynonyms();
    // Each word with its head's word, or "-" for no group.
    return Rows("select w.KWord || ':' || coalesce(h.KWord, '-') from WORDS w "
                "left join WORDS h on h.IDw = w.SYN order by w.KWord");
  }

  std::vector<int> stages_;
};

TEST_F(MaintainTest, HeadsAreChosenByFallingCountThenWordOrder) {
  struct Case {
    std::vector<std::pair<std::string, int>> words;
    std::string groups;
  } cases[] = {
      {{{"WORK", 40}, {"WORKS", 10}, {"WORKED", 5}, {"WORKING", 5}},
       "WORK:WORK;WORKED:WORK;WORKING:-;WORKS:WORK"},
      {{{"COMPUTER", 1}, {"COMPUTERS", 7}}, "COMPUTER:COMPUTERS;COMPUTERS:COMPUTERS"},
      {{{"RUN", 9}, {"RUNNING", 9}}, "RUN:-;RUNNING:-"},
      // NN counts modulo 65536: 65537 ranks as 1, below the 2 of its neighbour.
      {{{"HOUSE", 65537}, {"HOUSES", 2}}, "HOUSE:HOUSES;HOUSES:HOUSES"},
      // Never grouped: two letters, digits, joiners; and no NN means no group.
      {{{"AB", 5}, {"ABC", 5}, {"MP3", 5}, {"MP3S", 5}, {"E-MAIL", 5}, {"E-MAILS", 5}},
       "AB:-;ABC:-;E-MAIL:-;E-MAILS:-;MP3:-;MP3S:-"},
      {{{"TABLE", 0}, {"TABLES", 3}}, "TABLE:-;TABLES:-"},
      // Similarity is not carried over: STATION joins neither STAT nor STATIONS' head.
      {{{"STAT", 9}, {"STATS", 1}, {"STATION", 1}, {"STATIONS", 1}},
       "STAT:STAT;STATION:STATION;STATIONS:STATION;STATS:STAT"},
  };
  for (const auto& c : cases) EXPECT_EQ(Groups(c.words), c.groups) << c.groups;
}

TEST_F(MaintainTest, AGroupOfMoreThan100000CandidatesIsKeptWhole) {
  // "AB" + four letters: runs of 26 words sharing five letters (score 83) form groups
  // headed by their first word; a cut at 100000 entries would split the run at 99996.
  auto& db = index_.Database();
  db.Begin();
  SqlStatement insert = db.Prepare("insert into WORDS (KWord, NN) values (?1, 1)");
  std::vector<std::string> words;
  for (int i = 0; i < 100100; ++i) {
    std::string w = "ABxxxx";
    for (int k = 5, v = i; k >= 2; --k, v /= 26) w[k] = static_cast<char>('A' + v % 26);
    insert.BindText(1, w);
    insert.Run();
    words.push_back(w);
  }
  insert.Finalize();
  db.Commit();
  index_.MakeSynonyms();
  EXPECT_EQ(Rows("select h.KWord from WORDS w join WORDS h on h.IDw = w.SYN where w.KWord = '" +
                 words[100001] + "'"),
            words[99996]);
  EXPECT_EQ(Rows("select count(*) from WORDS where SYN is null"), "0");
}

TEST_F(MaintainTest, FirstMaintenanceRebuildsAndIndexesLaterOnesOnlyRecount) {
  auto& db = index_.Database();
  db.Begin();
  index_.AddDocument("/d/one.txt", 1, "zebra apple mango", 45000);
  index_.AddDocument("/d/two.txt", 1, "apple banana", 45000);
  index_.AddDocument("/d/three.txt", 1, "zebras zebra", 45000);
  db.Commit();
  index_.SetIntSetting("Added_files", 3);

  index_.Maintain([&](int stage) { stages_.push_back(stage); });
  EXPECT_EQ(stages_, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(Rows("select group_concat(IDw) from (select IDw from DOCS order by rowid)"),
            Rows("select group_concat(IDw) from (select IDw from DOCS order by IDw, rowid)"));
  EXPECT_EQ(Rows("select name from sqlite_master where name in ('DOCS_K','DOCS_F','WORDS_S') "
                 "order by name"),
            "DOCS_F;DOCS_K;WORDS_S");
  for (const char* key : {"Prepare_sort", "Prepare_clrw", "Added_files", "Deleted_files"})
    EXPECT_EQ(Rows(std::string("select VAL from SCB where PAR='") + key + "'"),
              key[0] == 'P' ? "1" : "0")
        << key;
  for (const char* key : {"Docs_rebuilding", "Make_docs_NN", "Make_syn", "Vacuum"}) {
    const std::string duration = index_.GetTextSetting(key, "missing");
    EXPECT_TRUE(duration.size() == 5 && duration[2] == ':') << key << " " << duration;
  }
  EXPECT_TRUE(index_.GetTextSetting("Create Indexes Docs", "").starts_with("Time "));
  EXPECT_EQ(Rows("select KWord, NN, SYN is not null from WORDS where KWord like 'ZEBRA%' "
                 "order by KWord"),
            "ZEBRA|2|1;ZEBRAS|1|1");
  EXPECT_EQ(Rows("pragma journal_mode"), "delete");

  // With the flags set and the indexes present nothing is rebuilt, created or
  // vacuumed, but counts and groups follow the removal of a document.
  for (const char* key : {"Docs_rebuilding", "Create Indexes Docs", "Vacuum"})
    index_.SetTextSetting(key, "untouched");
  db.Begin();
  index_.RemoveDocument("/d/three.txt");
  db.Commit();
  index_.Maintain(nullptr);
  for (const char* key : {"Docs_rebuilding", "Create Indexes Docs", "Vacuum"})
    EXPECT_EQ(index_.GetTextSetting(key, ""), "untouched") << key;
  EXPECT_EQ(Rows("select KWord, NN, coalesce(SYN, '-') from WORDS where KWord like 'ZEBRA%'"),
            "ZEBRA|1|-");
  EXPECT_EQ(Rows("select count(*) from WORDS where NN is null or NN = 0"), "0");
}

}  // namespace
}  // namespace vexa
