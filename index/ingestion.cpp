// TIndex: adding documents to the index and taking file names out of it.
#include <string>

#include "config/codepage.h"
#include "config/paths.h"
#include "index/positions_blob.h"
#include "index/tindex.h"
#include "intake/tokenizer.h"

namespace vexa {

namespace {

bool IsAscii(std::string_view text) {
  for (unsigned char c : text) {
    if (c >= 0x80) return false;
  }
  return true;
}

}  // namespace

void TIndex::AddDocument(std::string_view name, std::int32_t size, std::string_view text,
                         double date) {
  const CodePage& codepage = Codepage();
  TokList words(codepage);
  words.Cut(codepage.FromUtf8(NameWithoutExtension(FileNamePart(name))));
  const int name_tokens = words.TokenCount();
  words.Cut(text);
  words.Finish();

  // The fingerprint covers the text's tokens alone. They are the tail of `words` unless
  // the token limit cut them short; only then is the text tokenized on its own.
  std::string fingerprint;
  if (words.TokenCount() < TokList::kMaxTokens) {
    fingerprint = FingerprintOf(words.JoinedTextFrom(name_tokens + 1));
  } else {
    TokList content(codepage);
    content.Cut(text);
    content.Finish();
    fingerprint = content.Fingerprint();
  }

  // The same text is stored once; further files with it are duplicates. (The fingerprint
  // holds hex digits only, so it is safe inside the SQL text.)
  {
    SqlStatement same = db_.Prepare("select IDf from FILES where MD5='" + fingerprint + "'");
    if (same.NextRow()) {
      const std::int64_t id = same.ColumnInt(0);
      same.Finalize();
      db_.Execute("INSERT INTO FILES_S (IDf,Fname,Len,DT) VALUES (:idf,:fname,:len,:d)",
                  {{":fname", name}, {":len", size}, {":d", date}, {":idf", id}});
      ++Added;
      return;
    }
  }

  const std::span<const unsigned char> body = compressor_.Compress(words.JoinedText());

  SqlStatement insert_file =
      db_.Prepare("INSERT INTO FILES (Fname,Len,DT,NW,NKW,MD5,BODY) VALUES (?1,?2,?3,?4,?5,?6,?7)");
  insert_file.BindText(1, name);
  insert_file.BindInt(2, size);
  insert_file.BindDouble(3, date);
  insert_file.BindInt(4, words.WordCount());
  insert_file.BindInt(5, words.KeywordCount());
  insert_file.BindText(6, fingerprint);
  insert_file.BindBlob(7, {body.data(), body.size()}, SqlStatement::Bytes::kBorrowed);
  insert_file.Run();
  const std::int64_t document = db_.LastInsertRowId();
  ++Added;
  insert_file.Finalize();

  // Keywords are stored as UTF-8; most are ASCII and need no conversion. Their bytes
  // (the token list's, or `utf8` until the next keyword) outlive each step, so they are
  // bound without a copy.
  std::string utf8;
  auto bind_keyword = [&](SqlStatement& statement, std::string_view keyword) {
    if (IsAscii(keyword)) {
      statement.BindText(1, keyword, SqlStatement::Bytes::kBorrowed);
    } else {
      utf8 = codepage.ToUtf8(keyword);
      statement.BindText(1, utf8, SqlStatement::Bytes::kBorrowed);
    }
  };

  SqlStatement find_word = db_.Prepare("Select IDw from WORDS where KWord=:kw");
  for (tokp& keyword : words.Keywords()) {
    bind_keyword(find_word, keyword.text);
    keyword.word_id = find_word.Lookup() ? static_cast<std::int32_t>(find_word.ColumnInt(0)) : 0;
    find_word.Reset();
  }
  find_word.Finalize();

  SqlStatement insert_word = db_.Prepare("INSERT INTO WORDS (KWord) VALUES (:kw)");
  for (tokp& keyword : words.Keywords()) {
    if (keyword.word_id != 0) continue;
    bind_keyword(insert_word, keyword.text);
    insert_word.Run();
    keyword.word_id = static_cast<std::int32_t>(db_.LastInsertRowId());
  }
  insert_word.Finalize();

  SqlStatement insert_posting = db_.Prepare("INSERT INTO DOCS (IDf,IDw,P) VALUES (?1,?2,?3)");
  PositionsBlob blob;
  for (const tokp& keyword : words.Keywords()) {
    if (keyword.word_id <= 0) continue;
    const std::size_t length = EncodePositions(words.WordCount(), keyword.positions, blob);
    insert_posting.BindInt(1, document);
    insert_posting.BindInt(2, keyword.word_id);
    insert_posting.BindBlob(3, {blob.data(), length}, SqlStatement::Bytes::kBorrowed);
    insert_posting.Run();
  }
  insert_posting.Finalize();
}

TIndex::FindResult TIndex::FindDocument(std::string_view name, std::int32_t size, double date) {
  SqlTable rows = db_.Query(
      "select IDf,len,DT from FILES where FName=:f union all "
      "select IDf,len,DT from FILES_s where FName=:f",
      {{":f", name}});
  FindResult result;
  if (rows.Eof()) return result;
  result.found = true;
  result.id = rows.Int(0);
  if (rows.Int(1) != size) result.changes |= kSizeChanged;
  if (rows.Double(2) != date) result.changes |= kDateChanged;
  return result;
}

bool TIndex::NeedsIndexing(std::string_view name, std::int32_t size, double date) {
  const FindResult stored = FindDocument(name, size, date);
  if (!stored.found) return true;
  if (stored.changes == 0) return false;
  RemoveDocument(name);
  --Deleted;  // a changed file is replaced, not deleted
  ++Replaced;
  return true;
}

void TIndex::RemoveDocument(std::string_view name) {
  db_.Execute("delete from FILES_S where fname=:f", {{":f", name}});
  if (db_.Changes() > 0) {
    ++Deleted;
    return;
  }
  SqlTable files = db_.Query("select IDf from FILES where FName=:f", {{":f", name}});
  if (files.Eof()) return;
  ++Deleted;
  const std::string id = std::to_string(files.Int(0));
  SqlTable duplicates = db_.Query("select Fname,Len,DT from FILES_S where IDF=" + id);
  if (duplicates.Eof()) {
    db_.Execute("delete from DOCS where idf=" + id);
    db_.Execute("delete from FILES where idf=" + id);
    return;
  }
  // The first duplicate takes the document over: same content, so BODY and the postings
  // stay.
  const std::string heir = duplicates.Text(0);
  db_.Execute("update FILES set FName=:fname,Len=:len,DT=:dt where idf=:idf",
              {{":fname", heir},
               {":len", duplicates.Int(1)},
               {":dt", duplicates.Double(2)},
               {":idf", files.Int(0)}});
  db_.Execute("delete from FILES_S where Fname=:fname", {{":fname", heir}});
}

}  // namespace vexa
