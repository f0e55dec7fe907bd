// PDF documents through poppler-cpp: one chunk per page, in page order.

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>

#include <memory>

#include "intake/filters.h"
#include "intake/text_decoding.h"
#include "intake/text_filter.h"

namespace vexa::intake {
namespace {

// The header may follow some junk; readers accept it within the first kilobyte.
constexpr std::size_t kHeaderWindow = 1024;

// Typographic ligatures as the letters they join (the code page has none of them).
constexpr std::u32string_view kLigatures[] = {U"ff", U"fi", U"fl", U"ffi", U"ffl", U"st", U"st"};

void AppendPageText(const poppler::ustring& text, std::u32string& out) {
  char32_t high = 0;
  for (const unsigned short unit : text) {
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      high = unit;
      continue;
    }
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
      out.push_back(high != 0 ? 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00)
                              : kReplacementChar);
    } else if (unit >= 0xFB00 && unit <= 0xFB06) {
      out.append(kLigatures[unit - 0xFB00]);
    } else {
      out.push_back(unit);
    }
    high = 0;
  }
}

class PdfFilter final : public ChunkTextFilter {
 public:
  PdfFilter(UniqueFd fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}

  std::int32_t Init() override {
    if (ReadHead(fd_.Get(), kHeaderWindow).find("%PDF-") == std::string::npos) {
      return FILTER_E_UNKNOWNFORMAT;
    }
    // poppler reports every oddity of a file on stderr unless told otherwise.
    static const bool silenced =
        (poppler::set_debug_error_function([](const std::string&, void*) {}, nullptr), true);
    (void)silenced;
    document_.reset(poppler::document::load_from_file(path_));
    if (!document_) return FILTER_E_UNKNOWNFORMAT;
    if (document_->is_locked()) return FILTER_E_PASSWORD;
    pages_ = document_->pages();
    return 0;
  }

 private:
  std::int32_t NextChunk(ChunkKind& kind) override {
    if (next_ >= pages_) return FILTER_E_END_OF_CHUNKS;
    ++next_;
    kind = ChunkKind::kText;
    return 0;
  }

  Produced Produce(std::u32string& out) override {
    const std::unique_ptr<poppler::page> page(document_->create_page(next_ - 1));
    if (!page) return Produced::kFailed;
    // Content order rather than a picture of the page: columns stay apart and no runs of
    // padding blanks are made.
    AppendPageText(page->text(poppler::rectf(), poppler::page::raw_order_layout), out);
    return Produced::kEnd;
  }

  UniqueFd fd_;
  std::string path_;
  std::unique_ptr<poppler::document> document_;
  int pages_ = 0;
  int next_ = 0;  // pages begun
};

}  // namespace

std::unique_ptr<DocumentFilter> MakePdfFilter(UniqueFd fd, std::string path) {
  return std::make_unique<PdfFilter>(std::move(fd), std::move(path));
}

}  // namespace vexa::intake
