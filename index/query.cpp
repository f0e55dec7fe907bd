// TIndex: query execution. The ranking runs inside one SQL statement over DOCS; the
// aggregates C1X and C2X registered below gather each document's positions into the
// object and score them with ScoreDocument (index/search_ranking.h).
#include <sqlite3.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <new>

#include "config/codepage.h"
#include "index/search_ranking.h"
#include "index/tindex.h"

namespace vexa {
namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsSince(Clock::time_point start) {
  return static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

template <class... Args>
std::string Format(const char* format, Args... args) {
  char line[512];
  std::snprintf(line, sizeof line, format, args...);
  return line;
}

// The start of a stored BODY (a zlib stream): inflated until it holds `blanks` blanks
// or the stream ends, which is all an excerpt needs. A damaged stream yields what could
// be inflated before the damage, so one bad document never fails a search.
std::string InflateWords(std::span<const unsigned char> body, std::size_t blanks) {
  std::string text;
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return text;
  stream.next_in = const_cast<Bytef*>(body.data());
  stream.avail_in = static_cast<uInt>(body.size());
  constexpr std::size_t kChunk = 16384;
  std::size_t found = 0;
  int rc = Z_OK;
  while (rc == Z_OK && found < blanks) {
    const std::size_t before = text.size();
    text.resize(before + kChunk);
    stream.next_out = reinterpret_cast<Bytef*>(text.data() + before);
    stream.avail_out = kChunk;
    rc = inflate(&stream, Z_NO_FLUSH);
    text.resize(before + kChunk - stream.avail_out);
    found += std::count(text.begin() + static_cast<std::ptrdiff_t>(before), text.end(), ' ');
    if (rc == Z_BUF_ERROR && stream.avail_in == 0) break;  // truncated stream
  }
  inflateEnd(&stream);
  return text;
}

}  // namespace

// The ranking aggregates. SQLite delivers the postings of one document (GROUP BY idf)
// together: every step of both functions, then C1X's final step, then C2X's (select-list
// order). The per-document state therefore lives in the TIndex given as user data.
struct TIndex::RankingFunctions {
  static TIndex& Index(sqlite3_context* context) {
    return *static_cast<TIndex*>(sqlite3_user_data(context));
  }

  // C1X(IDf, IDw, P): gathers the positions of one posting.
  static void Step(sqlite3_context* context, int, sqlite3_value** args) {
    const auto* blob = static_cast<const unsigned char*>(sqlite3_value_blob(args[2]));
    const int size = sqlite3_value_bytes(args[2]);
    try {
      AppendPositions({blob, blob ? static_cast<std::size_t>(size) : 0},
                      sqlite3_value_int(args[1]), Index(context).positions_);
    } catch (const std::bad_alloc&) {
      sqlite3_result_error_nomem(context);
    }
  }

  // C1X's value: the document's score.
  static void Final(sqlite3_context* context) {
    TIndex& index = Index(context);
    try {
      sqlite3_result_int(context, ScoreDocument(index.positions_, index.Words,
                                                index.score_work_, index.detail_));
    } catch (const std::bad_alloc&) {
      sqlite3_result_error_nomem(context);
    }
    index.positions_.clear();
    ++index.RecordCount;
  }

  static void DetailStep(sqlite3_context*, int, sqlite3_value**) {}

  // C2X's value: a copy of the detail C1X has just computed for the same document.
  static void DetailFinal(sqlite3_context* context) {
    sqlite3_result_blob(context, &Index(context).detail_, sizeof(Tdetail), SQLITE_TRANSIENT);
  }

  static void Register(TIndex& index) {
    sqlite3* db = index.db_.Handle();
    const int rc1 =
        sqlite3_create_function(db, "C1X", 3, SQLITE_UTF8, &index, nullptr, Step, Final);
    const int rc2 = sqlite3_create_function(db, "C2X", 0, SQLITE_UTF8, &index, nullptr,
                                            DetailStep, DetailFinal);
    if (rc1 != SQLITE_OK || rc2 != SQLITE_OK) {
      throw DatabaseError(DatabaseErrorText("Error executing SQL", sqlite3_errcode(db), "C1X",
                                            sqlite3_errmsg(db)),
                          sqlite3_errcode(db));
    }
  }
};

void TIndex::Search(std::string_view query, int page) {
  Results.clear();
  positions_.clear();
  positions_.reserve(100);  // grows to the largest document met and keeps that room
  Log.clear();
  Words.clear();
  RecordCount = 0;

  const CodePage& codepage = Codepage();
  std::string text = codepage.FromUtf8(query);
  codepage.UpperCase(text);
  {
    SqlStatement word = db_.Prepare("select IDw,Syn,NN from Words where Kword=:w");
    SqlStatement synonyms = db_.Prepare(
        "select IDw,Kword,NN from Words where Syn=?1 and IDw<>?2 order by NN desc");
    for (const std::string& token : QueryWords(text)) {
      LookUpWord(codepage.ToUtf8(token), word, synonyms);
    }
  }
  std::stable_sort(Words.begin(), Words.end(),
                   [](const TwSyn& a, const TwSyn& b) { return a.IDw < b.IDw; });
  for (const TwSyn& w : Words) Log.push_back(Format("%s %d=%d", w.KWord.c_str(), w.IDw, w.Syn));

  RankingFunctions::Register(*this);
  struct PageRow {
    std::int32_t idf;
    std::int32_t score;
    Tdetail detail;
  };
  std::vector<PageRow> rows;
  const Clock::time_point query_start = Clock::now();
  std::string ids;
  for (const TwSyn& w : Words) ids += (ids.empty() ? "" : ",") + std::to_string(w.IDw);
  std::string sql = "select idf,C1X(IDf,IDw,P) as XX, C2X() as RR from docs where IDw in (" +
                    ids + ") group by idf order by XX desc" + " limit " + std::to_string(PageLen);
  if (page > 1) sql += " offset " + std::to_string(static_cast<std::int64_t>(page - 1) * PageLen);
  {
    SqlStatement ranking = db_.Prepare(sql);
    while (ranking.NextRow()) {
      PageRow row{static_cast<std::int32_t>(ranking.ColumnInt(0)),
                  static_cast<std::int32_t>(ranking.ColumnInt(1)), Tdetail{}};
      const std::span<const unsigned char> detail = ranking.ColumnBlob(2);
      if (detail.size() == sizeof(Tdetail)) std::memcpy(&row.detail, detail.data(), sizeof(Tdetail));
      rows.push_back(row);
    }
  }
  Log.push_back(Format("Record count=%d", RecordCount));
  Log.push_back(Format("Search query time=%d", MillisecondsSince(query_start)));

  const Clock::time_point page_start = Clock::now();
  SqlStatement files = db_.Prepare(
      "select IDf,Fname,BODY,Len,DT from Files where IDf=:idf UNION ALL "
      "select IDf,Fname,Null as BODY,Len,DT from Files_S where IDf=:idf");
  for (std::size_t i = 0; i < rows.size(); ++i) {
    Tsrc& result = Results.emplace_back();
    result.No = static_cast<std::int32_t>(static_cast<std::int64_t>(page - 1) * PageLen + 1 +
                                          static_cast<std::int64_t>(i));
    result.IDf = rows[i].idf;
    result.Score = rows[i].score;
    result.Detail = rows[i].detail;
    files.BindInt(1, result.IDf);
    while (files.NextRow()) {
      result.Files.push_back({std::string(files.ColumnText(1)),
                              static_cast<std::int32_t>(files.ColumnInt(3)), files.ColumnDouble(4)});
      if (!files.IsNull(2)) {
        const int p = result.Detail.p1;
        const std::string body = InflateWords(files.ColumnBlob(2), static_cast<std::size_t>(p) + 25);
        result.Excerpt = codepage.ToUtf8(CutExcerpt(body, p));
      }
    }
    files.Reset();
  }
  Log.push_back(Format("Reading page time=%d", MillisecondsSince(page_start)));
}

void TIndex::LookUpWord(const std::string& word, SqlStatement& lookup, SqlStatement& synonyms) {
  lookup.BindText(1, word);
  if (!lookup.NextRow()) {
    lookup.Reset();
    return;
  }
  const auto idw = static_cast<std::int32_t>(lookup.ColumnInt(0));
  const bool grouped = !lookup.IsNull(1);
  const auto syn = grouped ? static_cast<std::int32_t>(lookup.ColumnInt(1)) : idw;
  Words.push_back({idw, syn, 2, static_cast<std::int32_t>(lookup.ColumnInt(2)), word});
  lookup.Reset();
  if (!grouped) return;

  synonyms.BindInt(1, syn);
  synonyms.BindInt(2, idw);
  for (int taken = 0; taken < SynLimit - 1 && synonyms.NextRow(); ++taken) {
    Words.push_back({static_cast<std::int32_t>(synonyms.ColumnInt(0)), syn, 1,
                     static_cast<std::int32_t>(synonyms.ColumnInt(2)),
                     std::string(synonyms.ColumnText(1))});
  }
  synonyms.Reset();
}

std::string TIndex::MarkWords(std::string_view text, std::string_view before,
                              std::string_view after) const {
  return vexa::MarkWords(text, Words, before, after);
}

}  // namespace vexa
