// TIndex: one index file (an SQLite database) and every operation on it.
//
// The file holds the settings table SCB, one FILES row per distinct document content
// (with its compressed word text BODY), FILES_S rows for further files with the same
// content, the keyword dictionary WORDS and one DOCS posting per (document, keyword).
// Open creates that schema when asked to or when the file is missing, and records the
// code page of a new index under "Code_page"; every later use of the index (tokenizing,
// BODY, upper-casing queries) uses Codepage(). Names, keywords and setting values are
// UTF-8 in the file; BODY and the tokenizer work in the index's code page.
//
// The operations are spread over several source files, one per concern: the file and its
// settings (tindex.cpp), document ingestion (ingestion.cpp), and the sections marked below
// for maintenance, the folder pass and queries. All of them share the connection db_ and
// its conventions (index/sqlite_db.h): a failing statement throws DatabaseError with the
// index files' message texts, no busy timeout is set, and the ingestion operations expect
// the caller to hold a transaction open (db_.Begin / Commit).
//
// Thread-safety: none; one object belongs to one thread. Several processes may open the
// same file; a statement that meets another process's lock fails at once.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "index/body_compressor.h"
#include "index/search_ranking.h"
#include "index/sqlite_db.h"

namespace vexa {

class CodePage;

// Thrown by TIndex::IndexFolder when the user cancelled the run: not an error, it
// carries no message.
class RunAbort : public std::exception {
 public:
  const char* what() const noexcept override { return ""; }
};

class TIndex {
 public:
  TIndex();
  // Rolls back an open transaction and closes the connection.
  ~TIndex();
  TIndex(const TIndex&) = delete;
  TIndex& operator=(const TIndex&) = delete;

  // ---- The file and its settings (tindex.cpp) ----------------------------------------

  // Path of the index file (UTF-8).
  std::string FileName = "index.db";

  // Opens FileName, closing (and rolling back) any connection held before. With
  // `recreate`, or when the file does not exist, the file is deleted (failure ignored)
  // and the schema created, recording the configured code page ("Codepage", default
  // 1252) under "Code_page". Throws DatabaseError, or std::runtime_error for a recorded
  // or configured code page the system cannot convert (a configured one is checked before
  // anything is deleted). REQUIRES: InitPaths has run when a new index may be created.
  void Open(bool recreate);

  // Stores a value under `key` (ASCII), replacing any value it held. `value` is UTF-8.
  void SetIntSetting(std::string_view key, std::int32_t value);
  void SetTextSetting(std::string_view key, std::string_view value);
  // The value under `key`, or `fallback` when the key has no row. GetIntSetting throws
  // std::invalid_argument("'%s' is not a valid integer value") when the stored text is
  // not a decimal 32-bit integer (an empty value included).
  std::int32_t GetIntSetting(std::string_view key, std::int32_t fallback);
  std::string GetTextSetting(std::string_view key, std::string_view fallback);

  // Rows of FILES plus rows of FILES_S (files indexed, duplicates included).
  std::int64_t DocumentCount();
  // True when FILES has no row.
  bool IsEmpty();
  // True when the schema holds a table, index or view of that name.
  bool ObjectExists(std::string_view name);

  // The connection, for callers that group the ingestion operations in a transaction
  // (Begin / Commit). Valid while the index is open.
  SqlDatabase& Database() { return db_; }

  // The code page the index was created with (1252 when it recorded none); valid after
  // Open, and 1252 before.
  const CodePage& Codepage() const;

  // ---- Run state shared with the indexing run ----------------------------------------

  bool Cancelled = false;          // set by the run's window; tested by the folder pass
  int MaxScan = 0;                 // most files taken up in one run; 0 = no limit
  std::vector<std::string> IncludeMasks;  // file masks for the file tree scanner
  int Added = 0;                   // counters, cleared by the run before each profile
  int Deleted = 0;
  int Replaced = 0;
  int Scanned = 0;
  std::string Flags;               // the profile's flags, stored under "Flags"
  // Called after each added document of a folder pass: name, size, date, documents
  // added so far in the pass, files listed for the folder.
  std::function<void(const std::string& name, std::int32_t size, double date, int done,
                     int total)>
      OnProgress;
  // Called for a listed file whose text extraction failed or gave no text.
  std::function<void(const std::string& name, std::int32_t code)> OnSkip;
  std::string PurgeTime;           // duration of the last purge
  std::string PathTime;            // duration of the run's folder passes
  std::string ResortTime;          // duration of the last postings rebuild

  // ---- Search settings (used by the query section below) -----------------------------

  int PageLen = 20;                // results per page
  int SynLimit = 5;                // words looked up per query word, the word included

  // ---- Document ingestion (ingestion.cpp) --------------------------------------------
  // All four expect an open transaction and begin none.

  // Bit values of FindResult::changes.
  static constexpr int kSizeChanged = 1;
  static constexpr int kDateChanged = 2;
  struct FindResult {
    bool found = false;
    std::int64_t id = 0;  // IDf of the document the name belongs to
    int changes = 0;      // kSizeChanged | kDateChanged against the stored row
  };

  // Ingests one document: `name` the full path (UTF-8), `size` and `date` (day count) as
  // the scanner reports them, `text` the extracted text in Codepage(). A text equal to
  // a stored document's (same fingerprint) only adds a FILES_S row. Advances Added.
  // Throws DatabaseError, or std::runtime_error when compression fails.
  void AddDocument(std::string_view name, std::int32_t size, std::string_view text,
                   double date);
  // Looks the exact name up in FILES, then FILES_S.
  FindResult FindDocument(std::string_view name, std::int32_t size, double date);
  // True when the file must be ingested: unknown, or stored with another size or date
  // (the old entry is then removed and counted in Replaced, not Deleted).
  bool NeedsIndexing(std::string_view name, std::int32_t size, double date);
  // Removes one file name; a FILES row with duplicates passes to its first duplicate.
  // Advances Deleted when the name was indexed; does nothing otherwise.
  void RemoveDocument(std::string_view name);

  // ---- Index maintenance (maintain.cpp): Maintain and its steps ----------------------
  // Each step throws DatabaseError and leaves the steps before it done; a progress key
  // ("Make_syn", ...) holds "*" while its step runs and its duration afterwards.

  // Brings the index up to date for searching after a run: the postings rebuilt in word
  // order when "Prepare_sort" is 0 (then vacuumed), the posting indexes, NN of every word
  // (words without documents dropped), the unused-word clean-up when "Prepare_clrw" is 0,
  // and the synonym groups. OnStage (may be empty) receives the stages 1 to 4.
  void Maintain(const std::function<void(int stage)>& OnStage);
  // Rewrites DOCS in IDw order (its indexes are dropped with it); sets ResortTime,
  // "Prepare_sort" = 1 and restarts "Added_files" and "Deleted_files" from 0.
  void RebuildPostings();
  // Creates DOCS_K and DOCS_F unless both exist.
  void CreatePostingIndexes();
  // Recounts NN of every word and deletes the words without documents.
  void CountWordDocuments();
  void DropUnusedWords();
  // Recomputes every synonym group (WORDS.SYN) from the words with documents.
  void MakeSynonyms();
  // Leading bytes in common * 200 / (total length); similar from 75 on.
  static int SimilarityScore(std::string_view a, std::string_view b);
  // False when the word (code page bytes) holds punctuation, a digit or a quote mark.
  static bool SynonymCandidate(std::string_view word);

  // ---- Folder ingestion pass and purge (folder_pass.cpp, library vexa_folder_pass) ---

  // One ingestion pass over a profile folder (or file, or pattern) with IncludeMasks:
  // new and changed files are extracted and added in list order, committed every 50
  // added documents, reported through OnProgress / OnSkip; MaxScan and Scanned bound the
  // run. Throws RunAbort (after rolling back the open batch) when it finds Cancelled
  // set before a file, and DatabaseError on a database failure (the batch then stays
  // open until the index is closed).
  void IndexFolder(const std::string& folder);
  // Whether FILES or FILES_S holds a name beginning with `folder` + "/" (SQL LIKE: ASCII
  // letters without regard to case, "_" and "%" in the folder match widely).
  bool HasDocumentsUnder(std::string_view folder);
  // Removes, in one transaction, the entries of files that no longer exist on a drive
  // that can be reached (see DriveOf); advances "Deleted_files"; sets PurgeTime.
  void PurgeMissing();

  // ---- Query execution (query.cpp) -------------------------------------------------

  // Runs `query` (UTF-8, as typed) on the open index and keeps page `page` (1-based,
  // REQUIRES page >= 1) of the ranking: the query is upper-cased in Codepage() and cut
  // into words at blanks (double quotes group); each word found in WORDS brings up to
  // SynLimit - 1 synonyms; one statement scores every document holding any of them
  // (aggregates C1X and C2X, registered on the connection with this object as user data)
  // and the page's results are read with their files and excerpts. Replaces Words,
  // Results, RecordCount and Log. Throws DatabaseError; Words and Results then hold what
  // was built before the failure.
  void Search(std::string_view query, int page);
  // `text` with every word equal to a KWord of Words (a-z equal to A-Z) between `before`
  // and `after`; each word of the result is preceded by one blank.
  std::string MarkWords(std::string_view text, std::string_view before,
                        std::string_view after) const;

  TwSynArray Words;              // looked-up words of the last search, by IDw
  std::vector<Tsrc> Results;     // the page's results in ranking order
  int RecordCount = 0;           // documents matched by the last search, all pages
  std::vector<std::string> Log;  // diagnostic lines of the last search

 private:
  // Sections above add their private members here.

  // Query execution: the positions of the document being scored and its detail.
  struct RankingFunctions;
  void LookUpWord(const std::string& word, SqlStatement& lookup, SqlStatement& synonyms);
  std::vector<Tti> positions_;
  ScoreWorkspace score_work_;
  Tdetail detail_;

  // Writes ":v" under the key: update, else insert.
  void StoreSetting(std::string_view key, const SqlParam& value);

  SqlDatabase db_;
  const CodePage* codepage_ = nullptr;  // set by Open
  BodyCompressor compressor_;  // BODY, its state reused across documents
};

}  // namespace vexa
