// TIndex: the index file, its schema and its settings.
#include "index/tindex.h"

#include <charconv>
#include <filesystem>
#include <stdexcept>

#include "config/codepage.h"
#include "config/folders.h"

namespace vexa {

namespace {

constexpr const char* kSchema[] = {
    "PRAGMA page_size=4096",
    "DROP table if exists FILES",
    "DROP table if exists FILES_S",
    "DROP table if exists WORDS",
    "DROP table if exists DOCS",
    "DROP table if exists SCB",
    "CREATE TABLE SCB (ID INTEGER PRIMARY KEY AUTOINCREMENT, PAR text, VAL text)",
    "CREATE INDEX SCB_PAR on SCB(PAR)",
    "CREATE TABLE FILES (IDf INTEGER PRIMARY KEY AUTOINCREMENT, FName text, Len integer, "
    "DT DateTime, NW integer, NKW integer, MD5 text, BODY blob)",
    "CREATE INDEX FILES_FName on FILES (FName)",
    "CREATE INDEX FILES_H on FILES (MD5)",
    "CREATE TABLE FILES_S (IDf integer, FName text, Len integer, DT DateTime)",
    "CREATE INDEX FILES_S_IDf on FILES_S (IDf)",
    "CREATE INDEX FILES_S_Fname on FILES_S (FName)",
    "CREATE TABLE WORDS (IDw INTEGER PRIMARY KEY AUTOINCREMENT, NN integer, SYN integer, "
    "KWord text)",
    "CREATE INDEX WORDS_K on WORDS (KWord)",
    "CREATE TABLE DOCS (IDf integer, IDw integer, P blob)",
    "CREATE VIEW if not exists V as select a.FName, b.Kword, c.* from DOCS c, Words b, Files a "
    "where c.IDf=a.IDf and c.IDw=b.IDw",
    "CREATE VIEW if not exists V2 as select a.IDf, a.IDw, a.p, b.FName from DOCS a, Files b "
    "where a.IDf=b.IDf",
};

constexpr const char* kCodePageKey = "Code_page";

std::int32_t ParseInt(const std::string& text) {
  std::int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end) {
    throw std::invalid_argument("'" + text + "' is not a valid integer value");
  }
  return value;
}

}  // namespace

TIndex::TIndex() = default;
TIndex::~TIndex() = default;

void TIndex::Open(bool recreate) {
  std::error_code ignored;
  if (!recreate && !std::filesystem::exists(FileName, ignored)) recreate = true;
  // A configured code page the system cannot convert fails here, before an existing
  // index is deleted and before a new one records it.
  const int new_codepage = recreate ? CodePage::Get(NewIndexCodePage()).Number() : 0;
  if (recreate) std::filesystem::remove(FileName, ignored);
  db_.Close();
  codepage_ = nullptr;
  db_ = SqlDatabase::Open(FileName);
  db_.Execute("PRAGMA cache_size = 8000");
  if (recreate) {
    for (const char* sql : kSchema) db_.Execute(sql);
    SetIntSetting(kCodePageKey, new_codepage);
  }
  codepage_ = &CodePage::Get(GetIntSetting(kCodePageKey, CodePage::kDefault));
}

const CodePage& TIndex::Codepage() const {
  return codepage_ ? *codepage_ : CodePage::Get(CodePage::kDefault);
}

void TIndex::SetIntSetting(std::string_view key, std::int32_t value) {
  StoreSetting(key, {":v", value});
}

void TIndex::SetTextSetting(std::string_view key, std::string_view value) {
  StoreSetting(key, {":v", value});
}

void TIndex::StoreSetting(std::string_view key, const SqlParam& value) {
  db_.Execute("update SCB set VAL=:v where PAR=:p", {value, {":p", key}});
  if (db_.Changes() == 0)
    db_.Execute("insert into SCB (PAR,VAL) values (:p,:v)", {{":p", key}, value});
}

std::int32_t TIndex::GetIntSetting(std::string_view key, std::int32_t fallback) {
  SqlTable rows = db_.Query("select PAR,VAL from SCB where PAR=:p", {{":p", key}});
  return rows.Eof() ? fallback : ParseInt(rows.Text(1));
}

std::string TIndex::GetTextSetting(std::string_view key, std::string_view fallback) {
  SqlTable rows = db_.Query("select PAR,VAL from SCB where PAR=:p", {{":p", key}});
  return rows.Eof() ? std::string(fallback) : rows.Text(1);
}

std::int64_t TIndex::DocumentCount() {
  return db_.Query("select count(*) from FILES").Int(0) +
         db_.Query("select count(*) from FILES_S").Int(0);
}

bool TIndex::IsEmpty() { return db_.Query("select * from FILES limit 1").Eof(); }

bool TIndex::ObjectExists(std::string_view name) {
  std::string quoted;
  for (char c : name) {
    quoted += c;
    if (c == '\'') quoted += c;
  }
  return !db_.Query("select * from sqlite_master where name='" + quoted + "'").Eof();
}

}  // namespace vexa
