#include "intake/document_filter.h"

#include <algorithm>

#include "config/codepage.h"
#include "intake/text_filter.h"

namespace vexa::intake {

std::int32_t ChunkTextFilter::GetChunk(ChunkKind& kind) {
  pending_.clear();
  taken_ = 0;
  state_ = Produced::kEnd;
  const std::int32_t rc = NextChunk(kind);
  if (rc == 0 && kind == ChunkKind::kText) state_ = Produced::kMore;
  return rc;
}

std::int32_t ChunkTextFilter::GetText(std::u32string& piece) {
  constexpr std::size_t kPiece = TFile_filter::kPieceChars;
  piece.clear();
  if (taken_ > 0 && pending_.size() - taken_ < kPiece) {
    pending_.erase(0, taken_);
    taken_ = 0;
  }
  while (state_ == Produced::kMore && pending_.size() - taken_ < kPiece) {
    state_ = Produce(pending_);
  }
  const std::size_t n = std::min(kPiece, pending_.size() - taken_);
  if (n == 0) return state_ == Produced::kFailed ? kDocumentFault : FILTER_E_NO_MORE_TEXT;
  piece.assign(pending_, taken_, n);
  taken_ += n;
  // A failure is reported by the next call, after the text produced before it.
  const bool last = taken_ == pending_.size() && state_ == Produced::kEnd;
  return last ? FILTER_S_LAST_TEXT : 0;
}

std::int32_t SingleChunkFilter::NextChunk(ChunkKind& kind) {
  if (chunkGiven_) return FILTER_E_END_OF_CHUNKS;
  chunkGiven_ = true;
  kind = ChunkKind::kText;
  return 0;
}

void ReadFilterText(DocumentFilter& filter, const CodePage& codePage, std::string& text,
                    std::size_t maxChars) {
  std::u32string piece;
  piece.reserve(TFile_filter::kPieceChars);
  ChunkKind kind;
  while (text.size() < maxChars && filter.GetChunk(kind) == 0) {
    if (kind != ChunkKind::kText) continue;
    for (;;) {
      const std::int32_t rc = filter.GetText(piece);
      if (rc == 0 || rc == FILTER_S_LAST_TEXT) {
        for (const char32_t c : piece) {
          if (c >= 0x80) {
            text.push_back(codePage.FromCodePoint(c));
          } else {
            const bool control = c < 0x20 && c != U'\t' && c != U'\n' && c != U'\r';
            text.push_back(control ? ' ' : static_cast<char>(c));  // every code page keeps ASCII
          }
        }
      }
      if (rc != 0 || text.size() >= maxChars) break;
    }
  }
}

}  // namespace vexa::intake
