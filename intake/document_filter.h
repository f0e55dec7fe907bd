// The filter model behind TFile_filter: one filter object per document.
//
// A filter is initialised once, then yields chunks in document order; a text chunk yields
// its text in pieces of at most TFile_filter::kPieceChars characters (Unicode code points),
// a value-only chunk yields none. ReadFilterText drives a filter and converts the pieces
// to the code page. Faults after a successful Init never become result codes: a failed
// piece abandons its chunk, a failed chunk step ends the document.
//
// ChunkTextFilter lets a concrete filter produce a chunk's text in stretches of any
// length and does the cutting into pieces.
//
// Thread-safety: a filter object is used by one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vexa {
class CodePage;
}

namespace vexa::intake {

// Chunk results of the filter model (values of the platform's filter interface).
inline constexpr std::int32_t FILTER_E_END_OF_CHUNKS = static_cast<std::int32_t>(0x80041700);
inline constexpr std::int32_t FILTER_E_NO_MORE_TEXT = static_cast<std::int32_t>(0x80041701);
inline constexpr std::int32_t FILTER_S_LAST_TEXT = 0x00041709;
// A fault inside the document after Init (never returned by TFile_filter).
inline constexpr std::int32_t kDocumentFault = static_cast<std::int32_t>(0x80004005);

enum class ChunkKind { kText, kValue };

class DocumentFilter {
 public:
  virtual ~DocumentFilter() = default;

  // Opens the document and checks that it is what the filter reads. Called once, first.
  // Returns 0, or the failure code (FILTER_E_ACCESS, FILTER_E_PASSWORD, ...).
  virtual std::int32_t Init() = 0;
  // Moves to the next chunk. Returns 0 with `kind` set, FILTER_E_END_OF_CHUNKS after the
  // last chunk, or another negative code when the rest of the document cannot be read.
  virtual std::int32_t GetChunk(ChunkKind& kind) = 0;
  // Replaces `piece` by the next at most kPieceChars characters of the current text chunk.
  // Returns 0 (text delivered, more may follow), FILTER_S_LAST_TEXT (delivered, and it was
  // the last), FILTER_E_NO_MORE_TEXT (nothing left, piece empty) or another negative code
  // (the chunk could not be read further, piece empty).
  virtual std::int32_t GetText(std::u32string& piece) = 0;
};

// Base for filters that produce text in stretches: Produce appends as much as is handy
// (a text node, a block of the file, a page) and GetText hands it out in pieces, so a
// filter is asked for more only when the driver wants more.
class ChunkTextFilter : public DocumentFilter {
 public:
  std::int32_t GetChunk(ChunkKind& kind) final;
  std::int32_t GetText(std::u32string& piece) final;

 protected:
  enum class Produced { kMore, kEnd, kFailed };

  // Starts the next chunk; same results as GetChunk.
  virtual std::int32_t NextChunk(ChunkKind& kind) = 0;
  // Appends more text of the current text chunk to `out` (possibly none). kMore: call
  // again; kEnd: the chunk is complete; kFailed: the chunk cannot be read further. Must
  // make progress through the document on every call, so the calls end.
  virtual Produced Produce(std::u32string& out) = 0;

 private:
  std::u32string pending_;
  std::size_t taken_ = 0;  // characters of pending_ already handed out
  Produced state_ = Produced::kEnd;
};

// A ChunkTextFilter whose document is one text chunk (a file or a program's output read
// front to back).
class SingleChunkFilter : public ChunkTextFilter {
 protected:
  std::int32_t NextChunk(ChunkKind& kind) final;

 private:
  bool chunkGiven_ = false;
};

// Drives `filter` (already initialised): reads chunks and pieces in order while `text` is
// shorter than maxChars, appending each piece converted to `codePage`. Control
// characters other than tab, line feed and carriage return become spaces, so the text
// holds no NUL. Returns normally whatever the filter does; exceptions from the filter
// propagate with the text read so far left in `text`.
void ReadFilterText(DocumentFilter& filter, const CodePage& codePage, std::string& text,
                    std::size_t maxChars);

}  // namespace vexa::intake
