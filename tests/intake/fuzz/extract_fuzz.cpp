// libFuzzer target for the document readers: the RTF parser fed in random blocks, and
// whole extractions of HTML, RTF and plain text files and of zip packages whose main
// part is the fuzz input. Built and run by run_fuzz.sh; not part of the normal build.
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "config/codepage.h"
#include "document_builders.h"
#include "intake/rtf_parser.h"
#include "intake/text_filter.h"

namespace {

const std::string& Folder() {
  static const std::string folder = [] {
    char name[] = "/tmp/vexa-fuzz-XXXXXX";
    return std::string(::mkdtemp(name));
  }();
  return folder;
}

void ExtractAs(const std::string& name, const std::string& bytes) {
  const std::string path = Folder() + "/" + name;
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  static const vexa::TFile_filter filter(vexa::CodePage::Get(1252));
  std::string text;
  filter.ExtractText(path, text, 20000);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::string input(reinterpret_cast<const char*>(data) + 2, size - 2);
  switch (data[0] % 8) {
    case 0: {  // the parser alone, with block boundaries anywhere
      vexa::intake::RtfParser parser;
      std::u32string out;
      const std::size_t block = 1 + data[1] % 17;
      for (std::size_t at = 0; at < input.size(); at += block) {
        if (!parser.Feed(std::string_view(input).substr(at, block), out)) break;
      }
      parser.Finish(out);
      break;
    }
    case 1:
      ExtractAs("f.rtf", "{\\rtf1" + input);
      break;
    case 2:
      ExtractAs("f.html", input);
      break;
    case 3:
      ExtractAs("f.txt", input);
      break;
    case 4:
      ExtractAs("f.docx", vexa::test::ZipBytes({{"word/document.xml", input}}));
      break;
    case 5:
      ExtractAs("f.xlsx", vexa::test::Workbook({{"s.xml", input}}, {"a", "b"}));
      break;
    case 6:
      ExtractAs("f.odt", vexa::test::OpenDocument(input, input));
      break;
    default:
      ExtractAs("f.pptx", vexa::test::Presentation({{input, input}}));
      break;
  }
  return 0;
}
