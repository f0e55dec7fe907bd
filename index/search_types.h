// The records a search of an index produces: the looked-up words, the occurrences being
// scored, the score detail of a document and the results of one page.
//
// Texts in these records are UTF-8 (KWord, FName, Excerpt). Tdetail is a fixed-size,
// trivially copyable record: the ranking statement passes it through SQLite as a blob
// holding its image. Plain data; no thread-safety concerns of their own.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

namespace vexa {

// One looked-up word: a query word found in WORDS, or a synonym brought in by one.
struct TwSyn {
  std::int32_t IDw = 0;      // WORDS.IDw
  std::int32_t Syn = 0;      // group key: the found word's SYN, or its own IDw when SYN is empty
  std::uint16_t Weight = 0;  // 2 for the word as typed, 1 for a synonym
  std::int32_t NN = 0;       // WORDS.NN (0 when empty); not used in scoring
  std::string KWord;         // the query word as typed (upper-cased), or the synonym's KWord
};
using TwSynArray = std::vector<TwSyn>;

// One occurrence of a looked-up word in the document being scored.
struct Tti {
  std::uint16_t Pos = 0;     // 1-based word position in the document's stored text
  std::uint16_t Weight = 0;  // copied from the matching TwSyn
  std::int32_t IDw = 0;      // word id of the posting
  std::int32_t Syn = 0;      // group key copied from the matching TwSyn
};

// The score detail of one document: the best window and the components of its score.
struct Tdetail {
  std::uint16_t p1 = 0;  // position of the first word of the best window
  std::uint16_t dw = 0;  // span of the best window (last minus first position)
  std::uint16_t nn = 0;  // distinct groups (query words) present in the document
  std::uint16_t k = 0;   // words, all of distinct groups, in the best window
  std::uint16_t h = 0;   // sum of the weights of the words in the best window
  std::int32_t RW1 = 0;  // proximity component of the best window
  std::int32_t RWP = 0;  // position component of the best window
  std::int32_t RWK = 0;  // reserved, always 0
  std::int32_t RWH = 0;  // weight component of the best window
  std::int32_t RWW = 0;  // occurrence component of the document
  std::int32_t score = 0;

  friend bool operator==(const Tdetail&, const Tdetail&) = default;
};
static_assert(std::is_trivially_copyable_v<Tdetail>);

// One file of a result: the document's own row or one of its duplicates.
struct Tfrec {
  std::string FName;     // full path as stored
  std::int32_t Len = 0;  // file size as stored
  double DT = 0;         // last-write time as a day count
};

// One result of the page.
struct Tsrc {
  std::int32_t No = 0;   // 1-based number of the document in the whole ranking
  std::int32_t IDf = 0;  // document id
  std::vector<Tfrec> Files;  // the FILES row first, then its FILES_S rows
  std::int32_t Score = 0;
  std::string Excerpt;   // words around the best window, upper case; empty without a body
  Tdetail Detail;
};

}  // namespace vexa
