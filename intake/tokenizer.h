// TokList: cuts the text of one document into the words the index stores.
//
// Text arrives in a single-byte code page (the index's). Cut upper-cases it with that code
// page's letters, turns separator bytes into spaces, keeps a joiner ("-", ".", ":") only
// between two digits, and keeps a token of 1 to 25 bytes after the token rules: a token that
// is not made only of digits and joiners loses its leading and trailing underscores, is
// dropped when all its bytes were equal (single letters, "AAAA", "___"), and loses the
// last byte when it reads as a date followed by one non-digit ("12.05.2008Y").
// At most MaxTokens tokens are kept, numbered 1..MaxTokens in text order (positions).
//
// Finish builds JoinedText (the kept tokens joined by single spaces, position k being the
// k-th word), the keywords in ascending byte order with at most MaxPositions positions
// each (the earliest ones), WordCount (positions recorded over all keywords) and
// KeywordCount. Fingerprint is the MD5 of JoinedText in 32 upper-case hex digits.
//
// Tokens are kept as offsets into one working buffer, so Cut allocates nothing per token;
// keyword texts are views into that buffer and stay valid for the object's lifetime.
// Thread-safety: none; one object belongs to one thread. The CodePage must outlive it.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

class CodePage;

// 32 upper-case hex digits of the MD5 of a joined token text.
std::string FingerprintOf(std::string_view joined_text);

// One keyword of a text.
struct tokp {
  std::string_view text;                     // upper-case, in the code page
  std::span<const std::uint16_t> positions;  // 1-based, ascending, at most MaxPositions
  std::int32_t word_id = 0;                  // WORDS.IDw once the index has filled it in
};

class TokList {
 public:
  static constexpr int kMaxTokens = 20000;
  static constexpr int kMaxPositions = 30;
  static constexpr int kMaxTokenLength = 25;

  // Allocates room for `max_tokens` tokens. `codepage` gives the upper-casing; it must
  // outlive the object.
  explicit TokList(const CodePage& codepage, int max_tokens = kMaxTokens,
                   int max_positions = kMaxPositions);
  TokList(const TokList&) = delete;
  TokList& operator=(const TokList&) = delete;
  ~TokList();

  // Appends the tokens of `text` (code page bytes). Calling it again continues the same
  // token sequence as if the texts had been joined with a space. Call before Finish.
  void Cut(std::string_view text);
  // Builds JoinedText, Keywords, WordCount and KeywordCount. Call once, after Cut.
  void Finish();

  // Available after Finish.
  const std::string& JoinedText() const { return joined_; }
  // Mutable so the index can record word ids.
  std::span<tokp> Keywords() { return keywords_; }
  std::span<const tokp> Keywords() const { return keywords_; }
  int KeywordCount() const { return static_cast<int>(keywords_.size()); }
  int WordCount() const { return word_count_; }
  // 32 upper-case hex digits of the MD5 of JoinedText.
  std::string Fingerprint() const;
  // The part of JoinedText from the token at `position` on (1-based; empty past the last
  // token). Valid while the object lives.
  std::string_view JoinedTextFrom(int position) const;

  // Tokens kept so far (their positions are 1..TokenCount()).
  int TokenCount() const { return count_; }

 private:
  struct tok1 {  // a kept token: bytes [offset, offset + length) of buffer_
    std::uint32_t offset;
    std::uint32_t length;
  };

  void Process(std::size_t begin, std::size_t end);
  void Add(std::size_t offset, std::size_t length);

  // Bytes kept readable after the last token, so that token bytes can be read in fixed
  // blocks (longer than any kept token).
  static constexpr std::size_t kPadding = 32;

  const int max_tokens_;
  const int max_positions_;
  unsigned char map_[256];  // code page byte -> upper-cased byte, separators as ' '
  std::string buffer_;      // a space, the mapped text of all Cut calls, padding
  std::size_t used_ = 1;    // bytes of buffer_ before the padding
  std::unique_ptr<tok1[]> tokens_;
  int count_ = 0;
  std::size_t length_sum_ = 0;

  std::string joined_;
  std::vector<tokp> keywords_;
  std::vector<std::uint16_t> positions_;  // the keywords' position arrays, back to back
  int word_count_ = 0;
};

}  // namespace vexa
