// Text extraction throughput per format, in bytes of input file per second.
//
// Each format gets one generated document of about 4 MB of text (the file itself is
// smaller for compressed formats). "whole" reads the document to its end; "limit" reads
// it as the folder pass does, up to 200000 characters, which shows what the streaming
// saves on large files. "helper" runs a user filter (cat) on a small file, to show the
// cost of starting a program per document.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "bench/english_text.h"
#include "config/codepage.h"
#include "document_builders.h"
#include "intake/text_filter.h"

namespace vexa::bench {
namespace {

constexpr std::size_t kTextBytes = 4u << 20;
constexpr std::size_t kFolderPassLimit = 200000;

std::vector<std::string> Paragraphs(std::size_t bytes) {
  const std::string text = EnglishText(7).Make(bytes);
  std::vector<std::string> paragraphs;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find("\r\n\r\n", begin);
    if (end == std::string::npos) end = text.size();
    if (end > begin) paragraphs.push_back(text.substr(begin, end - begin));
    begin = end + 4;
  }
  return paragraphs;
}

std::string Html(const std::vector<std::string>& paragraphs) {
  std::string html = "<html><head><meta charset=\"utf-8\"><title>Bench</title></head><body>";
  for (const std::string& p : paragraphs) html += "<p>" + p + " <b>caf&eacute;</b></p>\n";
  return html + "</body></html>";
}

std::string Rtf(const std::vector<std::string>& paragraphs) {
  std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Times;}}\\f0 ";
  for (const std::string& p : paragraphs) rtf += p + " caf\\'e9 {\\b bold}\\par\n";
  return rtf + "}";
}

std::string Docx(const std::vector<std::string>& paragraphs) {
  std::string body;
  for (const std::string& p : paragraphs) body += test::WordParagraph(p);
  return test::WordDocument(body);
}

std::string Xlsx(const std::vector<std::string>& paragraphs) {
  std::vector<std::string> shared;
  std::string rows;
  for (std::size_t i = 0; i < paragraphs.size(); ++i) {
    shared.push_back(paragraphs[i]);
    rows += "<row r=\"" + std::to_string(i + 1) + "\"><c t=\"s\"><v>" + std::to_string(i) +
            "</v></c><c><v>" + std::to_string(i * 37) + ".25</v></c></row>";
  }
  return test::Workbook({{"sheet1.xml", rows}}, shared);
}

std::string Pptx(const std::vector<std::string>& paragraphs) {
  std::vector<std::pair<std::string, std::string>> slides;
  for (std::size_t i = 0; i + 1 < paragraphs.size(); i += 2) {
    slides.emplace_back(paragraphs[i], paragraphs[i + 1]);
  }
  return test::Presentation(slides);
}

std::string Odt(const std::vector<std::string>& paragraphs) {
  std::string body = "<office:text>";
  for (const std::string& p : paragraphs) body += "<text:p>" + p + "</text:p>";
  return test::OpenDocument(body + "</office:text>", "");
}

std::string Pdf(const std::vector<std::string>& paragraphs) {
  std::vector<std::string> pages(1);
  for (const std::string& p : paragraphs) {
    if (pages.back().size() > 3000) pages.emplace_back();
    pages.back() += p + " ";
  }
  return test::PdfDocument(pages);
}

// The generated documents, written once into a temporary folder.
class Corpus {
 public:
  static Corpus& Get() {
    static Corpus corpus;
    return corpus;
  }
  ~Corpus() { std::filesystem::remove_all(folder_); }

  const std::string& Path(const std::string& name) const { return paths_.at(name); }

 private:
  Corpus() {
    std::string tmpl =
        (std::filesystem::temp_directory_path() / "vexa-extract-bench-XXXXXX").string();
    folder_ = ::mkdtemp(tmpl.data());
    const std::vector<std::string> paragraphs = Paragraphs(kTextBytes);
    std::string plain;
    for (const std::string& p : paragraphs) plain += p + "\n\n";
    Write("doc.txt", plain);
    Write("doc.html", Html(paragraphs));
    Write("doc.rtf", Rtf(paragraphs));
    Write("doc.docx", Docx(paragraphs));
    Write("doc.xlsx", Xlsx(paragraphs));
    Write("doc.pptx", Pptx(paragraphs));
    Write("doc.odt", Odt(paragraphs));
    Write("doc.pdf", Pdf(paragraphs));
    Write("small.foo", plain.substr(0, 20000));
  }

  void Write(const std::string& name, const std::string& bytes) {
    const std::string path = folder_ + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    paths_[name] = path;
  }

  std::string folder_;
  std::map<std::string, std::string> paths_;
};

void Extract(benchmark::State& state, const std::string& name, std::size_t limit) {
  const std::string& path = Corpus::Get().Path(name);
  const TFile_filter filter(CodePage::Get(1252), {{"*.foo", "cat %f"}});
  std::string text;
  std::size_t chars = 0;
  for (auto _ : state) {
    if (filter.ExtractText(path, text, limit) != 0) state.SkipWithError("extraction failed");
    chars += text.size();
    benchmark::DoNotOptimize(text.data());
  }
  const auto fileBytes = static_cast<std::int64_t>(std::filesystem::file_size(path));
  if (limit == SIZE_MAX) state.SetBytesProcessed(state.iterations() * fileBytes);
  state.counters["chars_per_s"] =
      benchmark::Counter(static_cast<double>(chars), benchmark::Counter::kIsRate);
  state.counters["file_MB"] = static_cast<double>(fileBytes) / (1 << 20);
  state.counters["chars"] = static_cast<double>(text.size());
}

#define VEXA_FORMAT_BENCH(format)                                              \
  BENCHMARK_CAPTURE(Extract, format##_whole, "doc." #format, SIZE_MAX)         \
      ->Unit(benchmark::kMillisecond);                                         \
  BENCHMARK_CAPTURE(Extract, format##_limit, "doc." #format, kFolderPassLimit) \
      ->Unit(benchmark::kMillisecond)

VEXA_FORMAT_BENCH(txt);
VEXA_FORMAT_BENCH(html);
VEXA_FORMAT_BENCH(rtf);
VEXA_FORMAT_BENCH(docx);
VEXA_FORMAT_BENCH(xlsx);
VEXA_FORMAT_BENCH(pptx);
VEXA_FORMAT_BENCH(odt);
VEXA_FORMAT_BENCH(pdf);
BENCHMARK_CAPTURE(Extract, helper_small, "small.foo", SIZE_MAX)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vexa::bench
