// The byte-level readers behind the filters: RTF parsing and text decoding, each fed
// whole and in small blocks, which must give the same text.
#include "intake/text_decoding.h"

#include <gtest/gtest.h>

#include "config/codepage.h"
#include "intake/rtf_parser.h"

namespace vexa::test {
namespace {

using intake::RtfParser;
using intake::TextDecoder;

std::string Utf8(const std::u32string& text) {
  std::string out;
  for (const char32_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
    } else if (c < 0x10000) {
      out += {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
              static_cast<char>(0x80 | (c & 0x3F))};
    } else {
      out += {static_cast<char>(0xF0 | c >> 18), static_cast<char>(0x80 | (c >> 12 & 0x3F)),
              static_cast<char>(0x80 | (c >> 6 & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
    }
  }
  return out;
}

// The text of `rtf` parsed in blocks of `block` bytes.
std::string ParseRtf(const std::string& rtf, std::size_t block) {
  RtfParser parser;
  std::u32string out;
  for (std::size_t at = 0; at < rtf.size(); at += block) {
    if (!parser.Feed(std::string_view(rtf).substr(at, block), out)) break;
  }
  parser.Finish(out);
  return Utf8(out);
}

TEST(RtfParser, DecodesCodePagesUnicodeAndSymbolsAcrossBlockBoundaries) {
  struct Case {
    std::string rtf;
    std::string text;
  };
  const std::vector<Case> cases = {
      {R"({\rtf1\ansi\ansicpg1251 \'cf\'f0\'e8}ignored after the end)", "При"},
      {R"({\rtf1\ansi\ansicpg1252{\fonttbl{\f0 A;}{\f1\fcharset204 B;}}\f0 caf\'e9 {\f1\'cf\'f0} \'e9})",
       "café Пр é"},
      {R"({\rtf1\ansi\deff1{\fonttbl{\f1\fcharset238 C;}}\'b9\plain\'b9})", "ąą"},
      {R"({\rtf1\ansi\ansicpg932 \'82\'a0\'82\'a2})", "あい"},
      {R"({\rtf1 \u-10179?\u-8704?!})", "\xF0\x9F\x98\x80!"},
      {R"({\rtf1\uc0\u233 x{\uc3\u233 abc}d})", "éxéd"},
      {R"({\rtf1\uc1\u233\'e9 x\u233{\b y}})", "é xéy"},
      {R"({\rtf1\li-360\fi360 Text\par\pard more})", "Text\nmore"},
      {R"({\rtf1 a\\b\{c\}\~d\_e\-f})", "a\\b{c}\u00A0d-ef"},
      {R"({\rtf1 \emdash\endash\bullet\lquote\rquote\ldblquote\rdblquote})", "—–•‘’“”"},
      {"{\\rtf1 line\r\nend\\\nnext\\cell x\\row}", "lineend\nnext\tx\n"},
      {R"({\rtf1 {\*\unknown hidden {nested}}{\pict\bin3 }}}}shown})", "shown"},
      {R"({\rtf1 keep\bin0 \'4})", "keep"},
      {R"({\rtf1 \averyveryveryveryveryveryverylongcontrolword12345678901234 x})", "x"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseRtf(c.rtf, c.rtf.size()), c.text) << c.rtf;
    for (const std::size_t block : {1, 2, 3, 7}) {
      EXPECT_EQ(ParseRtf(c.rtf, block), c.text) << c.rtf << " in blocks of " << block;
    }
  }
}

// A string literal's bytes, NULs included.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

// The code points of `bytes` decoded by a TextDecoder: the first `first` bytes in one call
// (they decide the encoding), then one byte per call.
std::string Decode(const std::string& bytes, std::size_t first) {
  TextDecoder decoder(CodePage::Get(1252));
  std::u32string out;
  decoder.Decode(std::string_view(bytes).substr(0, first), bytes.size() <= first, out);
  for (std::size_t at = first; at < bytes.size(); ++at) {
    decoder.Decode(std::string_view(bytes).substr(at, 1), at + 1 == bytes.size(), out);
  }
  return Utf8(out);
}

TEST(TextDecoder, ChoosesTheEncodingFromTheFirstBlockAndCarriesSequencesAcrossCalls) {
  struct Case {
    std::string bytes;
    std::size_t first;  // bytes in the deciding first call
    std::string text;
  };
  const std::vector<Case> cases = {
      {"Gr\xC3\xBC\xC3\x9F"
       "e \xF0\x9F\x98\x80",
       2, "Grüße 😀"},
      {"\xEF\xBB\xBF"
       "BOM \xE2\x82\xAC",
       3, "BOM €"},
      {Bytes("\xFF\xFE"
             "A\0\x3D\xD8\x00\xDE"
             "B\0"),
       3, "A😀B"},
      {Bytes("\xFE\xFF\0A\xD8\x3D\xDE\x00"), 2, "A😀"},
      {Bytes("\xFF\xFE\x00\xD8"
             "A\0"),
       6, "\uFFFDA"},  // a lone surrogate
      {"\xFF\xFE"
       "A",
       3, "\uFFFD"},                                               // an odd byte at the end
      {"caf\xE9 \x80", 6, "café €"},                               // not UTF-8: the code page
      {"utf8 first\xC3\xA9 then \xE9", 13, "utf8 firsté then é"},  // a stray byte later
      {"cut \xE2\x82", 4, "cut â\u201A"},                          // incomplete at the end
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Decode(c.bytes, c.first), c.text) << c.bytes;
    EXPECT_EQ(Decode(c.bytes, c.bytes.size()), c.text) << c.bytes << " in one call";
  }
}

}  // namespace
}  // namespace vexa::test
