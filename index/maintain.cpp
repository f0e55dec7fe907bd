// TIndex: maintenance after an indexing run — posting indexes, document counts of the
// words, synonym groups, and the optional rebuild of the postings in word order.
#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "config/codepage.h"
#include "config/day_count.h"
#include "config/text.h"
#include "index/tindex.h"

namespace vexa {

namespace {

// Journal-mode pragmas return a row and may be refused while another process reads the
// file; either way the work goes on in the mode the file is in, so the outcome is ignored.
void JournalMode(SqlDatabase& db, const char* sql) {
  sqlite3_exec(db.Handle(), sql, nullptr, nullptr, nullptr);
}

// One candidate word of a two-character group.
struct SynonymEntry {
  std::uint16_t nn;    // the word's NN, low 16 bits
  std::int32_t id;     // IDw
  std::int32_t group;  // IDw of the head, 0 while free
  std::string word;    // KWord in the index's code page
};

std::size_t CommonPrefix(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  std::size_t c = 0;
  while (c < n && a[c] == b[c]) ++c;
  return c;
}

// Assigns heads within one group of words that share their first two bytes, the words
// in KWord order. Heads are taken by falling nn, ties in table order; a head collects
// every free word similar to it.
//
// A word b can be similar to the head a only when they share at least 3/5 of a's length
// (score >= 75 needs 8c >= 3(|a| + |b|) and |b| >= c), and in KWord order the common
// prefix with a only shrinks with the distance from a, so each head compares the run of
// neighbours around it that still share that much instead of the whole group.
void AssignHeads(std::vector<SynonymEntry>& entries) {
  std::vector<std::size_t> order(entries.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t x, std::size_t y) { return entries[x].nn > entries[y].nn; });

  for (const std::size_t k : order) {
    SynonymEntry& head = entries[k];
    if (head.group != 0) continue;
    const std::string_view a = head.word;
    const auto try_join = [&](std::size_t l) {
      // Returns false once l is too far from the head for any further match.
      SynonymEntry& other = entries[l];
      if (5 * CommonPrefix(a, other.word) < 3 * a.size()) return false;
      if (other.group == 0 && TIndex::SimilarityScore(a, other.word) >= 75) {
        head.group = head.id;
        other.group = head.id;
      }
      return true;
    };
    for (std::size_t l = k; l-- > 0 && try_join(l);) {
    }
    for (std::size_t l = k + 1; l < entries.size() && try_join(l); ++l) {
    }
  }
}

}  // namespace

void TIndex::Maintain(const std::function<void(int stage)>& OnStage) {
  const auto stage = [&](int n) {
    if (OnStage) OnStage(n);
  };
  JournalMode(db_, "PRAGMA main.journal_mode = MEMORY");
  db_.Execute("Pragma temp_store=memory");
  stage(1);
  bool rebuilt = false;
  if (GetIntSetting("Prepare_sort", 0) == 0) {
    RebuildPostings();
    rebuilt = true;
  }
  CreatePostingIndexes();
  stage(2);
  CountWordDocuments();
  stage(3);
  if (GetIntSetting("Prepare_clrw", 0) == 0) {
    DropUnusedWords();
    SetIntSetting("Prepare_clrw", 1);
  }
  stage(4);
  MakeSynonyms();
  JournalMode(db_, "PRAGMA main.journal_mode = DELETE");
  db_.Execute("Pragma temp_store=0");
  if (rebuilt) {
    SetTextSetting("Vacuum", "*");
    const double start = Now();
    db_.Execute("Vacuum");
    SetTextSetting("Vacuum", DurationText(start, Now()));
  }
}

void TIndex::RebuildPostings() {
  SetTextSetting("Docs_rebuilding", "*");
  db_.Execute("Drop table if exists t");
  const double start = Now();
  db_.Execute("Create table t as select * from docs order by IDw");
  db_.Execute("Drop table DOCS");
  // The views V and V2 name DOCS, which is missing for this moment; the current rename
  // would reject them, the legacy one just renames and lets them find the new table.
  db_.Execute("PRAGMA legacy_alter_table=ON");
  db_.Execute("Alter table t rename to DOCS");
  db_.Execute("PRAGMA legacy_alter_table=OFF");
  ResortTime = DurationText(start, Now());
  SetTextSetting("Docs_rebuilding", ResortTime);
  SetIntSetting("Prepare_sort", 1);
  SetIntSetting("Added_files", 0);
  SetIntSetting("Deleted_files", 0);
}

void TIndex::CreatePostingIndexes() {
  if (ObjectExists("DOCS_K") && ObjectExists("DOCS_F")) return;
  JournalMode(db_, "PRAGMA main.journal_mode = MEMORY");
  db_.Execute("PRAGMA cache_size = 80000");
  double start = Now();
  SetTextSetting("Create Indexes Docs", "*");
  std::string message = "Time " + DateTimeText(start);
  db_.Execute("CREATE INDEX if not exists DOCS_K on DOCS (IDw)");
  message += " DOCS_K=" + DurationText(start, Now());
  SetTextSetting("Create Indexes Docs", message);
  start = Now();
  db_.Execute("CREATE INDEX if not exists DOCS_F on DOCS (IDf)");
  message += " DOCS_F=" + DurationText(start, Now());
  SetTextSetting("Create Indexes Docs", message);
  JournalMode(db_, "PRAGMA main.journal_mode = Delete");
  db_.Execute("PRAGMA cache_size = 8000");
}

void TIndex::CountWordDocuments() {
  SetTextSetting("Make_docs_NN", "*");
  const double start = Now();
  db_.Begin();
  db_.Execute("update Words set NN=(select count(*) from Docs where Docs.IDw=Words.IDw)");
  db_.Execute("delete from Words where NN=0");
  db_.Commit();
  SetTextSetting("Make_docs_NN", DurationText(start, Now()));
}

void TIndex::DropUnusedWords() { db_.Execute("delete from words where NN=0"); }

bool TIndex::SynonymCandidate(std::string_view word) {
  static constexpr std::string_view kExcluded =
      " !\"#%&'()*,-./0123456789:;<=>?[\\]_{|}\x93\x94\xAB\xB9\xBB";
  return word.find_first_of(kExcluded) == std::string_view::npos;
}

int TIndex::SimilarityScore(std::string_view a, std::string_view b) {
  if (a.empty() && b.empty()) return 0;
  return static_cast<int>(CommonPrefix(a, b) * 200 / (a.size() + b.size()));
}

void TIndex::MakeSynonyms() {
  SetTextSetting("Make_syn", "*");
  const double start = Now();
  db_.Execute("Drop Index if exists WORDS_S");
  db_.Execute("update Words set SYN=null");
  SqlStatement update = db_.Prepare("update Words set SYN=:v1 where IDw=:v2");

  // Only the candidates are kept, compactly: the word list of a large index does not fit
  // a general-purpose row table within the indexer's memory budget.
  std::vector<SynonymEntry> candidates;
  {
    SqlStatement words = db_.Prepare("Select IDw,Kword,NN from Words where NN>0 order by Kword");
    while (words.NextRow()) {
      std::string word = Codepage().FromUtf8(words.ColumnText(1));
      if (word.size() <= 2 || !SynonymCandidate(word)) continue;
      candidates.push_back({static_cast<std::uint16_t>(words.ColumnInt(2) & 0xFFFF),
                            static_cast<std::int32_t>(words.ColumnInt(0)), 0, std::move(word)});
    }
  }

  db_.Begin();
  std::vector<SynonymEntry> group;
  group.reserve(100000);  // grows for a larger group
  const auto flush = [&] {
    AssignHeads(group);
    for (const SynonymEntry& entry : group) {
      if (entry.group <= 0) continue;
      update.BindInt(1, entry.group);
      update.BindInt(2, entry.id);
      update.Run();
    }
    group.clear();
  };
  std::string prefix = " ";
  for (SynonymEntry& entry : candidates) {
    if (entry.word.compare(0, prefix.size(), prefix) != 0) {
      flush();
      prefix = entry.word.substr(0, 2);
    }
    group.push_back(std::move(entry));
  }
  flush();
  db_.Commit();
  update.Finalize();
  db_.Execute("CREATE INDEX WORDS_S on WORDS (Syn)");
  SetTextSetting("Make_syn", DurationText(start, Now()));
}

}  // namespace vexa
