// A streaming reader of the text of an RTF document.
//
// Bytes go in block by block (a block may end anywhere, even inside a control word or a
// \bin run); code points come out. It keeps the visible text: groups, control words and
// symbols, \'hh bytes in the code page of the current font (\fcharset, \cpg) or of the
// document (\ansicpg, \ansi, \mac, \pc, \pca; double-byte code pages included), \uN with
// its \ucN fallback skipped, paragraph, line, cell, row, page and tab marks as separators.
// It leaves out ignorable destinations (\*), the font and colour tables, style sheet,
// document information, pictures, field instructions and the bytes of \bin.
//
// Invariants: memory does not grow with the nesting depth beyond kMaxDepth groups (deeper
// groups are read as ignorable) and nothing is recursive, so hostile input cannot
// exhaust the stack; every byte is looked at once.
//
// Thread-safety: one parser per document, used by one thread.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "intake/text_decoding.h"

namespace vexa::intake {

class RtfParser {
 public:
  static constexpr std::size_t kMaxDepth = 512;
  // Fonts and code pages a document may declare (hostile documents declare millions).
  static constexpr std::size_t kMaxFonts = 4096;
  static constexpr std::size_t kMaxCharsets = 32;

  // Reads the next bytes of the document and appends their text to `out`. Returns false
  // once the document's outermost group has closed; later bytes are ignored.
  bool Feed(std::string_view bytes, std::u32string& out);
  // Ends the document (also a truncated one): appends the text still held back.
  void Finish(std::u32string& out);

 private:
  enum class Lex { kText, kBackslash, kWord, kHex, kBinary };
  struct Group {
    bool skip = false;       // the group's text is not part of the document
    bool fontTable = false;  // inside \fonttbl
    int uc = 1;              // fallback characters after \uN
    int font = -1;           // \fN, or -1 for the default font
    int codePage = 0;        // code page of the font, 0 until needed
  };
  struct Font {
    int charset = -1;
    int codePage = 0;  // \cpg
  };

  void Text(unsigned char c, std::u32string& out);
  void ControlWord(std::u32string& out);
  void ControlSymbol(unsigned char c, std::u32string& out);
  bool Destination(std::string_view word);
  void OpenGroup();
  void CloseGroup(std::u32string& out);
  void Byte(unsigned char b, std::u32string& out);
  void Char(char32_t c, std::u32string& out);
  void Unicode(std::int64_t value, std::u32string& out);
  void Flush(std::u32string& out);
  bool Ignoring() const { return groups_.empty() || overflow_ > 0 || groups_.back().skip; }
  int FontCodePage(int font) const;
  const WindowsCharset& Charset(int codePage);

  Lex lex_ = Lex::kText;
  std::string word_;         // letters of the control word being read
  std::int64_t number_ = 0;  // its parameter
  bool negative_ = false;
  bool hasNumber_ = false;
  int digits_ = 0;
  int hex_ = 0, hexDigits_ = 0;
  std::uint64_t binaryLeft_ = 0;

  std::vector<Group> groups_;
  std::size_t overflow_ = 0;  // groups opened beyond kMaxDepth
  bool started_ = false, ended_ = false;
  int skipChars_ = 0;  // fallback characters of the last \uN still to skip
  char32_t highSurrogate_ = 0;

  int documentCodePage_ = 1252;
  int defaultFont_ = -1;
  int fontBeingDefined_ = -1;
  std::map<int, Font> fonts_;

  std::string run_;  // bytes waiting to be decoded in runCodePage_
  int runCodePage_ = 0;
  std::vector<std::pair<int, WindowsCharset>> charsets_;
};

}  // namespace vexa::intake
