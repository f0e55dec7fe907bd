// Filters that read the file front to back in blocks, as one text chunk: plain text,
// HTML and RTF. A block is read only when the reader wants more text.

#include <libxml/HTMLparser.h>
#include <libxml/parserInternals.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <span>

#include "config/codepage.h"
#include "intake/filters.h"
#include "intake/rtf_parser.h"
#include "intake/text_decoding.h"
#include "intake/text_filter.h"

namespace vexa::intake {
namespace {

constexpr std::size_t kBlock = 64 * 1024;
// HTML read at most from one file.
constexpr std::size_t kMaxHtmlInput = 32u << 20;

class FileStreamFilter : public SingleChunkFilter {
 protected:
  explicit FileStreamFilter(UniqueFd fd) : fd_(std::move(fd)) {}

  int Fd() const { return fd_.Get(); }
  // Turns the next block of the file into text. `last` marks the end of the file (the
  // block is then empty). Returns false when the document has ended before the file.
  virtual bool Consume(std::string_view block, bool last, std::u32string& out) = 0;

 private:
  Produced Produce(std::u32string& out) override {
    block_.resize(kBlock);
    const ssize_t n = ReadSome(fd_.Get(), block_.data(), block_.size());
    if (n <= 0) {
      Consume({}, true, out);
      return n == 0 ? Produced::kEnd : Produced::kFailed;
    }
    return Consume(std::string_view(block_.data(), static_cast<std::size_t>(n)), false, out)
               ? Produced::kMore
               : Produced::kEnd;
  }

  UniqueFd fd_;
  std::string block_;
};

class PlainTextFilter final : public FileStreamFilter {
 public:
  PlainTextFilter(UniqueFd fd, const CodePage& codePage)
      : FileStreamFilter(std::move(fd)), decoder_(codePage) {}

  std::int32_t Init() override {
    // Text has no NUL bytes unless it is UTF-16, which carries a byte-order mark here.
    const std::string head = ReadHead(Fd(), 4096);
    if (!HasByteOrderMark(head) && head.find('\0') != std::string::npos) {
      return FILTER_E_UNKNOWNFORMAT;
    }
    return 0;
  }

 private:
  bool Consume(std::string_view block, bool last, std::u32string& out) override {
    decoder_.Decode(block, last, out);
    return true;
  }

  TextDecoder decoder_;
};

// Elements that separate words (the others, like <b> or <span>, join their neighbours).
// Sorted, for binary search.
constexpr std::array<std::string_view, 57> kBlockElements = {
    "address",  "article",    "aside",    "blockquote", "body",    "br",     "button",  "caption",
    "center",   "dd",         "details",  "dialog",     "dir",     "div",    "dl",      "dt",
    "fieldset", "figcaption", "figure",   "footer",     "form",    "frame",  "h1",      "h2",
    "h3",       "h4",         "h5",       "h6",         "head",    "header", "hr",      "html",
    "iframe",   "input",      "legend",   "li",         "main",    "menu",   "nav",     "noscript",
    "ol",       "option",     "p",        "pre",        "section", "select", "summary", "table",
    "tbody",    "td",         "textarea", "tfoot",      "th",      "thead",  "title",   "tr",
    "ul",
};
// Elements whose content is not text for the reader.
constexpr std::array<std::string_view, 2> kHiddenElements = {"script", "style"};
static_assert(std::is_sorted(kBlockElements.begin(), kBlockElements.end()) &&
              std::is_sorted(kHiddenElements.begin(), kHiddenElements.end()));

bool Contains(std::span<const std::string_view> sorted, std::string_view name) {
  return std::binary_search(sorted.begin(), sorted.end(), name);
}

class HtmlFilter final : public FileStreamFilter {
 public:
  HtmlFilter(UniqueFd fd, const CodePage& codePage)
      : FileStreamFilter(std::move(fd)), codePage_(codePage) {}
  ~HtmlFilter() override {
    if (parser_ != nullptr) htmlFreeParserCtxt(parser_);
  }
  HtmlFilter(const HtmlFilter&) = delete;
  HtmlFilter& operator=(const HtmlFilter&) = delete;

  std::int32_t Init() override { return 0; }

 private:
  bool Consume(std::string_view block, bool last, std::u32string& out) override {
    out_ = &out;
    if (parser_ == nullptr && !Start(block)) return false;
    // The parser holds text back until the next tag; a file with megabytes of text and no
    // tag is taken as ending where the bound is reached.
    fed_ += block.size();
    const bool end = last || fed_ > kMaxHtmlInput;
    htmlParseChunk(parser_, block.data(), static_cast<int>(block.size()), end ? 1 : 0);
    out_ = nullptr;
    return !end;
  }

  // Creates the push parser. The encoding comes from a byte-order mark or the document's
  // own declaration when it has one (libxml2 reads both); otherwise it is UTF-8 when the
  // first block is valid UTF-8, else the code page.
  bool Start(std::string_view firstBlock) {
    static const bool initialised = (xmlInitParser(), true);
    (void)initialised;
    std::memset(&sax_, 0, sizeof sax_);
    sax_.startElement = [](void* self, const xmlChar* name, const xmlChar**) {
      static_cast<HtmlFilter*>(self)->Element(name, true);
    };
    sax_.endElement = [](void* self, const xmlChar* name) {
      static_cast<HtmlFilter*>(self)->Element(name, false);
    };
    sax_.characters = [](void* self, const xmlChar* text, int len) {
      static_cast<HtmlFilter*>(self)->Characters(text, len);
    };
    sax_.ignorableWhitespace = sax_.characters;
    sax_.cdataBlock = sax_.characters;

    std::string lower(firstBlock.substr(0, 4096));
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const bool declared =
        HasByteOrderMark(firstBlock) || lower.find("charset") != std::string::npos;
    const bool utf8 = !declared && IsUtf8Prefix(firstBlock);
    parser_ = htmlCreatePushParserCtxt(&sax_, this, nullptr, 0, nullptr,
                                       utf8 ? XML_CHAR_ENCODING_UTF8 : XML_CHAR_ENCODING_NONE);
    if (parser_ == nullptr) return false;
    htmlCtxtUseOptions(
        parser_, HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    if (!declared && !utf8) {
      const std::string name = "CP" + std::to_string(codePage_.Number());
      if (xmlCharEncodingHandlerPtr handler = xmlFindCharEncodingHandler(name.c_str())) {
        xmlSwitchToEncoding(parser_, handler);
      }
    }
    return true;
  }

  void Element(const xmlChar* name, bool start) {
    const std::string_view n(reinterpret_cast<const char*>(name));
    if (Contains(kHiddenElements, n)) {
      hidden_ = start ? hidden_ + 1 : std::max(hidden_ - 1, 0);
    } else if (Contains(kBlockElements, n) && out_ != nullptr) {
      out_->push_back(U'\n');
    }
  }

  void Characters(const xmlChar* text, int len) {
    if (hidden_ == 0 && out_ != nullptr) {
      AppendUtf8(
          std::string_view(reinterpret_cast<const char*>(text), static_cast<std::size_t>(len)),
          *out_);
    }
  }

  const CodePage& codePage_;
  htmlSAXHandler sax_;
  htmlParserCtxtPtr parser_ = nullptr;
  std::u32string* out_ = nullptr;  // where the callbacks append, during Consume only
  int hidden_ = 0;                 // open script and style elements
  std::size_t fed_ = 0;            // bytes given to the parser
};

class RtfFilter final : public FileStreamFilter {
 public:
  explicit RtfFilter(UniqueFd fd) : FileStreamFilter(std::move(fd)) {}

  std::int32_t Init() override {
    std::string_view head;
    const std::string bytes = ReadHead(Fd(), 64);
    head = bytes;
    if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
    while (!head.empty() && std::isspace(static_cast<unsigned char>(head.front()))) {
      head.remove_prefix(1);
    }
    return head.starts_with("{\\rtf") ? 0 : FILTER_E_UNKNOWNFORMAT;
  }

 private:
  bool Consume(std::string_view block, bool last, std::u32string& out) override {
    const bool more = parser_.Feed(block, out);
    if (!more || last) parser_.Finish(out);
    return more;
  }

  RtfParser parser_;
};

}  // namespace

std::unique_ptr<DocumentFilter> MakePlainTextFilter(UniqueFd fd, const CodePage& codePage) {
  return std::make_unique<PlainTextFilter>(std::move(fd), codePage);
}

std::unique_ptr<DocumentFilter> MakeHtmlFilter(UniqueFd fd, const CodePage& codePage) {
  return std::make_unique<HtmlFilter>(std::move(fd), codePage);
}

std::unique_ptr<DocumentFilter> MakeRtfFilter(UniqueFd fd) {
  return std::make_unique<RtfFilter>(std::move(fd));
}

}  // namespace vexa::intake
