// The pure parts of searching an index: cutting a query into words, decoding a posting's
// positions, scoring a document from the occurrences of the looked-up words, cutting an
// excerpt around the best window and marking the looked-up words in it.
//
// Nothing here touches SQLite; TIndex::Search (index/query.cpp) wires these functions into
// the ranking statement. Scores are exact integers: every rounding goes to the nearest
// integer with halves to even, computed in double precision.
// Thread-safety: the functions keep no state; a ScoreWorkspace serves one caller at a time.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "index/search_types.h"

namespace vexa {

// Occurrence component RWW for a document with n occurrences of looked-up words:
// 10000 * arctan(n / 5) / (pi / 2), rounded (0, 1257, 2422, 3440, ... toward 10000).
std::int32_t OccurrenceScore(std::size_t n);

// Proximity component RW1 for a mean gap d between the words of a window (d > 0):
// 10000 * e^(-d^2 / 100), rounded. A window of one word (span 0) scores 0 instead.
std::int32_t ProximityScore(double d);

// Position component RWP for a window starting at word position `first` (1-based):
// 10000 * e^(-(first - 1)^2 / 100000), rounded, below position 800; 0 from 800 on.
std::int32_t PositionScore(int first);

// The words of a query, as NthField cuts a text at blanks: runs of blanks separate words,
// a double quote toggles a state in which blanks do not cut, and the quotes stay in the
// word. One pass, so a long query costs linear time.
std::vector<std::string> QueryWords(std::string_view query);

// Appends one Tti (Pos and IDw set, the rest 0) per position held in a positions blob:
// a 16-bit little-endian header whose bit 15 selects 16-bit little-endian positions
// (length / 2 - 1 of them) over single bytes (length - 2). A blob shorter than its
// header adds nothing.
void AppendPositions(std::span<const unsigned char> blob, std::int32_t idw,
                     std::vector<Tti>& positions);

// Working memory that ScoreDocument reuses from one document to the next, so scoring
// does not allocate once it has grown to the largest document met.
struct ScoreWorkspace {
  std::vector<std::int32_t> groups;     // distinct group keys of the document, ascending
  std::vector<std::uint32_t> group_of;  // per occurrence: its index in `groups`
  std::vector<std::uint32_t> stamp;     // per group: the last window that took it
};

// Scores one document from the occurrences of looked-up words gathered in `positions`.
// `words` must be sorted by IDw (the order Search leaves them in); each occurrence takes
// Syn and Weight from the first entry with its IDw. Every window starting at an occurrence
// (in position order) takes up to nn following occurrences of distinct groups and scores
// (2*RW1 + RWP + RWH + RWW) * k * k; the best window wins, the later one on ties.
// Tags and sorts `positions` in place and overwrites `detail` completely. Returns the
// best score (0 without occurrences), saturated at INT32_MAX for absurdly long queries.
std::int32_t ScoreDocument(std::vector<Tti>& positions, const TwSynArray& words,
                           ScoreWorkspace& work, Tdetail& detail);

// The excerpt of a stored text (words separated by single blanks) around position p:
// words p-5 (at least the first) through p+25, with the blanks between them. Returns a
// view into `text`; empty when the text has fewer words than the first one taken.
std::string_view CutExcerpt(std::string_view text, int p);

// Puts every word of `text` that equals the KWord of an entry of `words` (same length,
// same bytes, a-z equal to A-Z) between `before` and `after`. The text is cut at single
// blanks and every word of the result, the first included, is preceded by one blank.
std::string MarkWords(std::string_view text, std::span<const TwSyn> words, std::string_view before,
                      std::string_view after);

}  // namespace vexa
