#include <sys/stat.h>
#include <unistd.h>

#include <deque>

#include "document_builders.h"
#include "extraction.h"
#include "intake/document_filter.h"

namespace vexa::test {
namespace {

using intake::ChunkKind;
using intake::ChunkTextFilter;
using intake::DocumentFilter;
using intake::ReadFilterText;

std::string Utf16(const std::u16string& s, bool bigEndian) {
  std::string bytes;
  for (const char16_t u : s) {
    const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
    bytes += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
  }
  return bytes;
}

// Deterministic bytes that are no document at all.
std::string Garbage(std::size_t n) {
  std::string bytes(n, '\0');
  std::uint32_t x = 12345;
  for (char& c : bytes) {
    x = x * 1103515245 + 12345;
    c = static_cast<char>(x >> 16);
  }
  return bytes;
}

// A filter that plays a script: each chunk is a kind and its pieces; a piece "!" fails.
// A chunk of kind kValue with a piece "!" makes GetChunk itself fail.
class ScriptedFilter : public DocumentFilter {
 public:
  struct Chunk {
    ChunkKind kind;
    std::vector<std::u32string> pieces;
  };
  explicit ScriptedFilter(std::vector<Chunk> chunks) : chunks_(chunks.begin(), chunks.end()) {}

  std::int32_t Init() override { return 0; }
  std::int32_t GetChunk(ChunkKind& kind) override {
    if (started_) chunks_.pop_front();
    started_ = true;
    if (chunks_.empty()) return intake::FILTER_E_END_OF_CHUNKS;
    if (chunks_.front().kind == ChunkKind::kValue && !chunks_.front().pieces.empty()) {
      return intake::kDocumentFault;
    }
    kind = chunks_.front().kind;
    return 0;
  }
  std::int32_t GetText(std::u32string& piece) override {
    piece.clear();
    auto& pieces = chunks_.front().pieces;
    if (pieces.empty()) return intake::FILTER_E_NO_MORE_TEXT;
    if (pieces.front() == U"!") return intake::kDocumentFault;
    piece = pieces.front();
    pieces.erase(pieces.begin());
    return pieces.empty() ? intake::FILTER_S_LAST_TEXT : 0;
  }

 private:
  std::deque<Chunk> chunks_;
  bool started_ = false;
};

// Endless text produced in stretches of 5000 characters; counts what was produced.
class EndlessFilter : public ChunkTextFilter {
 public:
  std::size_t produced = 0;
  std::size_t largestPiece = 0;
  std::int32_t Init() override { return 0; }

 private:
  std::int32_t NextChunk(ChunkKind& kind) override {
    kind = ChunkKind::kText;
    return 0;
  }
  Produced Produce(std::u32string& out) override {
    out.append(5000, U'x');
    produced += 5000;
    return Produced::kMore;
  }
};

TEST(ExtractionModel, ChunksJoinWithoutSeparatorsSkippingValuesAndFailedPieces) {
  struct Case {
    const char* what;
    std::vector<ScriptedFilter::Chunk> chunks;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"pieces and chunks are joined as they come",
       {{ChunkKind::kText, {U"alp", U"ha "}}, {ChunkKind::kText, {U"beta"}}},
       "alpha beta"},
      {"a value-only chunk between text chunks adds nothing",
       {{ChunkKind::kText, {U"one "}}, {ChunkKind::kValue, {}}, {ChunkKind::kText, {U"two"}}},
       "one two"},
      {"a failing piece ends its chunk; later chunks are still read",
       {{ChunkKind::kText, {U"kept ", U"!", U"lost"}}, {ChunkKind::kText, {U"next"}}},
       "kept next"},
      {"a failing chunk step ends the document",
       {{ChunkKind::kText, {U"before"}},
        {ChunkKind::kValue, {U"!"}},
        {ChunkKind::kText, {U"after"}}},
       "before"},
      {"characters the code page lacks become spaces, controls too",
       {{ChunkKind::kText, {std::u32string(U"\u20AC\u0416x\u0001\0y\tz", 8)}}},
       "\x80 x  y\tz"},
  };
  for (const Case& c : cases) {
    ScriptedFilter filter(c.chunks);
    std::string text;
    ReadFilterText(filter, CodePage::Get(1252), text, 1000);
    EXPECT_EQ(text, c.expected) << c.what;
  }
}

TEST(ExtractionModel, LimitIsTestedBetweenPiecesAndStopsProduction) {
  EndlessFilter filter;
  std::string text;
  ReadFilterText(filter, CodePage::Get(1252), text, 200000);
  EXPECT_GE(text.size(), 200000u);
  EXPECT_LT(text.size(), 200000u + TFile_filter::kPieceChars);
  // Text is made only while the reader wants it: at most one stretch ahead.
  EXPECT_LE(filter.produced, text.size() + TFile_filter::kPieceChars + 5000);
  // Every piece was at most kPieceChars: after a limit of 1 exactly one piece is taken.
  std::string one;
  EndlessFilter fresh;
  ReadFilterText(fresh, CodePage::Get(1252), one, 1);
  EXPECT_EQ(one.size(), TFile_filter::kPieceChars);
}

class FormatsTest : public ExtractionTest {};

TEST_F(FormatsTest, ReadsTheTextOfEachFormatInDocumentOrder) {
  struct Case {
    std::string name;  // the extension chooses the filter
    std::string bytes;
    std::vector<std::string> present;  // in this order
    std::vector<std::string> absent;
    std::int32_t code = 0;
  };
  const std::string docx = WordDocument(
      WordParagraph("Alpha") +
          "<w:p><w:r><w:t>Tab</w:t><w:tab/><w:t>bed</w:t></w:r></w:p>"
          "<w:p><w:del><w:r><w:delText>Removed</w:delText></w:r></w:del>"
          "<w:r><w:instrText>PAGEREF</w:instrText></w:r></w:p>"
          "<mc:AlternateContent><mc:Choice Requires=\"wps\">" +
          WordParagraph("Boxed") + "</mc:Choice><mc:Fallback>" + WordParagraph("Twin") +
          "</mc:Fallback></mc:AlternateContent>" + WordParagraph("Gr&#252;&#223;e &amp; Omega"),
      {{"comments", "comments.xml", WordStoryPart("comments", "Remark")},
       {"footer", "footer1.xml", WordStoryPart("ftr", "Footline")},
       {"header", "header1.xml", WordStoryPart("hdr", "Headline")},
       {"footnotes", "footnotes.xml", WordStoryPart("footnotes", "Footnote")},
       {"image", "media/image1.png", "not xml"}});
  const std::string xlsx = Workbook(
      {{"b.xml",
        "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>1</v></c><c r=\"B1\"><v>42.5</v></c>"
        "<c r=\"C1\" t=\"inlineStr\"><is><t>Inline</t></is></c>"
        "<c r=\"D1\"><f>SUM(Q1)</f><v>7</v></c><c r=\"E1\" t=\"e\"><v>#DIV/0!</v></c></row>"},
       {"a.xml", "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c t=\"s\"><v>99</v></c></row>"}},
      {"Zero", "One"});
  const std::string odt = OpenDocument(
      "<office:text><text:h>Heading</text:h>"
      "<text:p>Body<text:s/>text<text:tab/>more<text:line-break/>end</text:p>"
      "<text:tracked-changes><text:changed-region><text:deletion><text:p>Deleted</text:p>"
      "</text:deletion></text:changed-region></text:tracked-changes>"
      "<office:annotation><dc:creator>Author</dc:creator><text:p>Note</text:p></office:annotation>"
      "</office:text>",
      "<style:master-page><style:header><text:p>Top</text:p></style:header>"
      "<style:footer><text:p>Bottom</text:p></style:footer></style:master-page>");
  const std::string ods = OpenDocument(
      "<office:spreadsheet><table:table><table:table-row>"
      "<table:table-cell><text:p>Cell1</text:p></table:table-cell>"
      "<table:table-cell><text:p>Cell2</text:p></table:table-cell>"
      "</table:table-row></table:table></office:spreadsheet>",
      "");
  const std::string rtf =
      R"({\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\froman Hiddenfont;}})"
      R"({\colortbl;\red255\green0\blue0;}{\stylesheet{\s0 Hiddenstyle;}}{\info{\title Hiddentitle}})"
      R"({\*\generator Hiddengen;}\pard\plain Caf\'e9 cr\'e8me\par Second{\pict\pngblip 89504e47 hiddenpic})"
      R"({\*\shppict hiddenshape}\tab Third\line Fourth \u8364?uro \uc2\u233XXe\par)"
      R"({\field{\*\fldinst HYPERLINK "hiddenlink"}{\fldrslt Shown}}\bin5 {}\}x After})";

  const std::vector<Case> cases = {
      {"utf8.txt",
       "Gr\xC3\xBC\xC3\x9F"
       "e aus K\xC3\xB6ln\n",
       {"Grüße aus Köln"},
       {}},
      {"utf16le.txt", "\xFF\xFE" + Utf16(u"Gr\u00FC\u00DFe \u20ACuro", false), {"Grüße €uro"}, {}},
      {"UTF16BE.TXT", "\xFE\xFF" + Utf16(u"Gr\u00FC\u00DFe", true), {"Grüße"}, {}},
      {"latin.csv", "caf\xE9;cr\xE8me\n", {"café", "crème"}, {}},
      {"binary.txt",
       std::string("abc\0\x01\x02"
                   "def",
                   9),
       {},
       {},
       FILTER_E_UNKNOWNFORMAT},
      {"page.html",
       "<html><head><title>Title Words</title><style>p{color:red} hiddenstyle</style>"
       "<script>var hiddenscript=1;</script></head><body><p>caf&eacute; &amp; cr&#232;me</p>"
       "<p>one</p><p>two</p><div>W<b>or</b>d</div><!-- hiddencomment --></body></html>",
       {"Title Words", "café & crème", "one", "two", "Word"},
       {"hiddenstyle", "hiddenscript", "hiddencomment", "onetwo"}},
      {"declared.htm",
       "<meta charset=\"windows-1252\"><p>na\xEFve \x80uro</p>",
       {"naïve €uro"},
       {}},
      {"undeclared.html",
       "<p>Gr\xC3\xBC\xC3\x9F"
       "e ohne Angabe</p>",
       {"Grüße ohne Angabe"},
       {}},
      {"codepage.shtml",
       "<p>Gr\xFC\xDF"
       "e</p>",
       {"Grüße"},
       {}},
      {"doc.rtf",
       rtf,
       {"Café crème", "Second", "Third", "Fourth", "€uro", "ée", "Shown", "After"},
       {"Hidden", "hidden", "XX", "crèmeSecond"}},
      {"not.rtf", "plain words", {}, {}, FILTER_E_UNKNOWNFORMAT},
      {"saved.doc", "{\\rtf1 Rich in doc}", {"Rich in doc"}, {}},
      {"report.docx",
       docx,
       {"Alpha", "Tab bed", "Boxed", "Grüße & Omega", "Headline", "Footline", "Footnote", "Remark"},
       {"Removed", "PAGEREF", "Twin", "Tabbed"}},
      {"book.XLSX", xlsx, {"One\t42.5\tInline\t7", "Zero"}, {"SUM", "DIV"}},
      {"slides.pptx",
       Presentation({{"First slide", "First notes"}, {"Second slide", ""}}),
       {"First slide", "First notes", "Second slide"},
       {}},
      {"letter.odt",
       odt,
       {"Heading", "Body text more end", "Note", "Top", "Bottom"},
       {"Deleted", "Author", "StyleOnly"}},
      {"sheet.ods", ods, {"Cell1", "Cell2"}, {"Cell1Cell2"}},
      {"pages.pdf",
       PdfDocument({"First page words", "Second page words"}),
       {"First page words", "Second page words"},
       {}},
      // Protected documents.
      {"locked.pdf", PdfDocument({"Secret"}, true), {}, {}, FILTER_E_PASSWORD},
      {"locked.docx",
       CompoundFile({"EncryptionInfo", "EncryptedPackage"}),
       {},
       {},
       FILTER_E_PASSWORD},
      {"locked.xlsx",
       CompoundFile({"EncryptionInfo", "EncryptedPackage"}),
       {},
       {},
       FILTER_E_PASSWORD},
      {"locked.odt",
       OpenDocument("<office:text><text:p>x</text:p></office:text>", "", true),
       {},
       {},
       FILTER_E_PASSWORD},
      // Files that are not what their extension claims, and types nothing reads.
      {"legacy.docx", CompoundFile({"WordDocument"}), {}, {}, FILTER_E_UNKNOWNFORMAT},
      {"text.docx", "just text", {}, {}, FILTER_E_UNKNOWNFORMAT},
      {"text.pdf", "just text", {}, {}, FILTER_E_UNKNOWNFORMAT},
      {"header-only.pdf", "%PDF-1.4\n" + Garbage(2000), {}, {}, FILTER_E_UNKNOWNFORMAT},
      {"notword.doc", CompoundFile({"Other"}), {}, {}, FILTER_E_UNKNOWNFORMAT},
      {"text.doc", "just text", {}, {}, FILTER_E_UNKNOWNFORMAT},
      {"picture.xyz", "data", {}, {}, FILTER_E_UNKNOWNFORMAT},
      {"noextension", "data", {}, {}, FILTER_E_UNKNOWNFORMAT},
  };
  for (const Case& c : cases) {
    const Extraction r = Extract(c.name, c.bytes);
    EXPECT_EQ(r.code, c.code) << c.name << ": " << FilterErrorText(r.code);
    EXPECT_EQ(MissingInOrder(r.text, c.present), "") << c.name << " gave: " << r.text;
    EXPECT_EQ(FirstPresent(r.text, c.absent), "") << c.name << " gave: " << r.text;
  }
}

TEST_F(FormatsTest, DamagedAndHostileFilesGiveACodeOrTheTextBeforeTheDamage) {
  struct Case {
    std::string name;
    std::string bytes;
    std::int32_t code;
    std::vector<std::string> present;
  };
  const std::string docx = WordDocument(WordParagraph("Whole"));
  const std::string brokenBody =
      WordDocument(WordParagraph("Kept") + "<w:p><w:r><w:t>Cut",
                   {{"header", "header1.xml", WordStoryPart("hdr", "Later")}});
  const std::string deepRtf = "{\\rtf1 Before " + std::string(1000000, '{') + "inner" +
                              std::string(1000000, '}') + " After}";
  const std::vector<Case> cases = {
      {"cut.docx", docx.substr(0, docx.size() / 2), FILTER_E_UNKNOWNFORMAT, {}},
      {"broken-body.docx", brokenBody, 0, {"Kept", "Later"}},
      {"no-sheets.xlsx", ZipBytes({{"xl/workbook.xml", "<workbook><sheets><sheet r:id="}}), 0, {}},
      {"deep.rtf", deepRtf, 0, {"Before", "After"}},
      {"unclosed.rtf", "{\\rtf1 Open {\\b bold", 0, {"Open bold"}},
      {"endless-bin.rtf", "{\\rtf1 Start\\bin999999999999 xyz", 0, {"Start"}},
      {"garbage.rtf", "{\\rtf1 " + Garbage(100000), 0, {}},
      {"garbage.html", Garbage(100000), 0, {}},
      {"garbage.docx", "PK\x03\x04" + Garbage(5000), FILTER_E_UNKNOWNFORMAT, {}},
      {"garbage.odt", "PK\x03\x04" + Garbage(5000), FILTER_E_UNKNOWNFORMAT, {}},
      {"empty.txt", "", 0, {}},
      {"empty.html", "", 0, {}},
      {"empty.rtf", "", FILTER_E_UNKNOWNFORMAT, {}},
      {"empty.docx", "", FILTER_E_UNKNOWNFORMAT, {}},
      {"empty.pdf", "", FILTER_E_UNKNOWNFORMAT, {}},
      {"empty.xls", "", FILTER_E_UNKNOWNFORMAT, {}},
      {"name with spaces 'single' \"double\"\nnewline \xFF\xFE.txt", "odd name", 0, {"odd name"}},
  };
  for (const Case& c : cases) {
    const Extraction r = Extract(c.name, c.bytes);
    EXPECT_EQ(r.code, c.code) << c.name << ": " << FilterErrorText(r.code);
    EXPECT_EQ(MissingInOrder(r.text, c.present), "") << c.name << " gave: " << r.text;
  }
}

TEST_F(FormatsTest, FilesThatCannotBeReadAreAccessDenied) {
  const std::filesystem::path folder = home_ / "folder.txt";
  std::filesystem::create_directories(folder);
  const std::filesystem::path fifo = home_ / "pipe.txt";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);  // opening must not wait for a writer
  for (const std::filesystem::path& p :
       {folder, fifo, home_ / "missing.txt", home_ / "missing.docx"}) {
    EXPECT_EQ(ExtractPath(p.string()).code, FILTER_E_ACCESS) << p;
  }
  if (::geteuid() != 0) {  // root reads everything
    WriteFile(home_ / "private.txt", "secret");
    ::chmod((home_ / "private.txt").c_str(), 0);
    EXPECT_EQ(ExtractPath((home_ / "private.txt").string()).code, FILTER_E_ACCESS);
  }
}

TEST_F(FormatsTest, ReadingStopsAtTheFirstPieceBoundaryPastTheLimit) {
  std::string words;
  while (words.size() < 500000) words += "abcdefghi ";
  const std::string bomb = WordDocument(WordParagraph(std::string(20 << 20, 'z')));
  for (const auto& [name, bytes] : {std::pair<std::string, std::string>{"long.txt", words},
                                    {"long.rtf", "{\\rtf1 " + words + "}"},
                                    {"bomb.docx", bomb}}) {
    const Extraction r = Extract(name, bytes, 200000);
    EXPECT_EQ(r.code, 0) << name;
    EXPECT_GE(r.chars, 200000u) << name;
    EXPECT_LE(r.chars, 200000u + TFile_filter::kPieceChars - 1) << name;
  }
}

TEST(FilterErrorText, NamesTheReportedCodesAndShowsOthersInHex) {
  const std::vector<std::pair<std::int32_t, std::string>> cases = {
      {FILTER_E_ACCESS, "Access denied"},
      {FILTER_E_PASSWORD, "Protected by password"},
      {FILTER_E_UNKNOWNFORMAT, "The document format is not recognized"},
      {0, "error code 0"},
      {kFilterHelperTimeout, "error code A0041702"},
      {static_cast<std::int32_t>(0x80004005), "error code 80004005"},
  };
  for (const auto& [code, text] : cases) EXPECT_EQ(FilterErrorText(code), text);
}

}  // namespace
}  // namespace vexa::test
