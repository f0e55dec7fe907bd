#include "intake/rtf_parser.h"

#include <algorithm>
#include <array>

namespace vexa::intake {
namespace {

constexpr std::size_t kMaxWordLetters = 32;
constexpr int kMaxDigits = 10;

bool IsLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
int HexValue(unsigned char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Destinations whose text is not document text (besides every \* destination).
constexpr std::array<std::string_view, 14> kSkippedDestinations = {
    "colortbl",  "stylesheet",        "info",   "pict",    "fldinst",    "xe",        "tc",
    "listtable", "listoverridetable", "revtbl", "objdata", "nonshppict", "themedata", "datastore"};

// Control words that stand for one character.
struct Symbol {
  std::string_view word;
  char32_t c;
};
constexpr std::array<Symbol, 18> kSymbols = {{{"par", U'\n'},
                                              {"line", U'\n'},
                                              {"sect", U'\n'},
                                              {"page", U'\n'},
                                              {"row", U'\n'},
                                              {"cell", U'\t'},
                                              {"nestcell", U'\t'},
                                              {"tab", U'\t'},
                                              {"emdash", U'\u2014'},
                                              {"endash", U'\u2013'},
                                              {"emspace", U' '},
                                              {"enspace", U' '},
                                              {"qmspace", U' '},
                                              {"bullet", U'\u2022'},
                                              {"lquote", U'\u2018'},
                                              {"rquote", U'\u2019'},
                                              {"ldblquote", U'\u201C'},
                                              {"rdblquote", U'\u201D'}}};

// Windows code pages of RTF \fcharset values; the others use the document's code page.
constexpr std::pair<int, int> kCharsetCodePages[] = {
    {77, 10000}, {128, 932},  {129, 949},  {134, 936},  {136, 950},  {161, 1253},
    {162, 1254}, {163, 1258}, {177, 1255}, {178, 1256}, {186, 1257}, {204, 1251},
    {222, 874},  {238, 1250}, {254, 437},  {255, 850}};

int CharsetCodePage(int charset) {
  for (const auto& [set, codePage] : kCharsetCodePages) {
    if (set == charset) return codePage;
  }
  return 0;
}

}  // namespace

bool RtfParser::Feed(std::string_view bytes, std::u32string& out) {
  std::size_t i = 0;
  while (i < bytes.size() && !ended_) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    switch (lex_) {
      case Lex::kText:
        Text(c, out);
        ++i;
        break;
      case Lex::kBackslash:
        ++i;
        if (IsLetter(c)) {
          word_.assign(1, static_cast<char>(c));
          number_ = 0;
          negative_ = hasNumber_ = false;
          digits_ = 0;
          lex_ = Lex::kWord;
        } else if (c == '\'') {
          hex_ = hexDigits_ = 0;
          lex_ = Lex::kHex;
        } else {
          lex_ = Lex::kText;
          ControlSymbol(c, out);
        }
        break;
      case Lex::kWord:
        if (IsLetter(c) && !hasNumber_ && !negative_) {
          if (word_.size() < kMaxWordLetters) word_.push_back(static_cast<char>(c));
          ++i;
        } else if (c == '-' && !hasNumber_ && !negative_) {
          negative_ = true;
          ++i;
        } else if (IsDigit(c)) {
          if (digits_ < kMaxDigits) number_ = number_ * 10 + (c - '0');
          ++digits_;
          hasNumber_ = true;
          ++i;
        } else {
          if (c == ' ') ++i;  // the delimiter belongs to the control word
          lex_ = Lex::kText;
          ControlWord(out);
        }
        break;
      case Lex::kHex: {
        const int v = HexValue(c);
        if (v < 0) {  // a broken \'h: drop it and read the byte as usual
          lex_ = Lex::kText;
          break;
        }
        hex_ = hex_ * 16 + v;
        ++i;
        if (++hexDigits_ == 2) {
          lex_ = Lex::kText;
          Byte(static_cast<unsigned char>(hex_), out);
        }
        break;
      }
      case Lex::kBinary: {
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(binaryLeft_, bytes.size() - i));
        i += n;
        binaryLeft_ -= n;
        if (binaryLeft_ == 0) lex_ = Lex::kText;
        break;
      }
    }
  }
  return !ended_;
}

void RtfParser::Finish(std::u32string& out) {
  if (lex_ == Lex::kWord) ControlWord(out);
  lex_ = Lex::kText;
  Flush(out);
}

void RtfParser::Text(unsigned char c, std::u32string& out) {
  switch (c) {
    case '{':
      OpenGroup();
      break;
    case '}':
      CloseGroup(out);
      break;
    case '\\':
      lex_ = Lex::kBackslash;
      break;
    case '\r':
    case '\n':
      break;  // line ends of the file are not text
    case '\t':
      Char(U'\t', out);
      break;
    default:
      Byte(c, out);
  }
}

void RtfParser::OpenGroup() {
  skipChars_ = 0;
  if (!started_) {
    started_ = true;
    groups_.emplace_back();
    return;
  }
  if (groups_.empty()) return;
  if (overflow_ > 0 || groups_.size() >= kMaxDepth) {
    ++overflow_;
    return;
  }
  groups_.push_back(groups_.back());
}

void RtfParser::CloseGroup(std::u32string& out) {
  skipChars_ = 0;
  if (overflow_ > 0) {
    --overflow_;
    return;
  }
  if (groups_.empty()) return;
  groups_.pop_back();
  if (groups_.empty()) {
    ended_ = true;
    Flush(out);
  }
}

void RtfParser::ControlSymbol(unsigned char c, std::u32string& out) {
  switch (c) {
    case '\\':
    case '{':
    case '}':
      Byte(c, out);
      break;
    case '~':
      Char(U'\u00A0', out);
      break;
    case '_':
      Char(U'-', out);
      break;
    case '*':
      if (groups_.size() > 1 && overflow_ == 0) groups_.back().skip = true;
      break;
    case '\r':
    case '\n':
      Char(U'\n', out);
      break;
    default:
      break;  // \- (optional hyphen), \: and the rest add nothing
  }
}

bool RtfParser::Destination(std::string_view word) {
  if (groups_.size() < 2) return false;  // a stray destination word must not hide the document
  if (word == "fonttbl") {
    groups_.back().fontTable = true;
    groups_.back().skip = true;
    return true;
  }
  if (std::find(kSkippedDestinations.begin(), kSkippedDestinations.end(), word) !=
      kSkippedDestinations.end()) {
    groups_.back().skip = true;
    return true;
  }
  return false;
}

void RtfParser::ControlWord(std::u32string& out) {
  const std::int64_t n = negative_ ? -number_ : number_;
  const int param = static_cast<int>(std::clamp<std::int64_t>(n, -2147483647, 2147483647));
  const std::string_view w = word_;
  if (w == "bin") {  // binary data is skipped in any group, ignored or not
    if (hasNumber_ && n > 0) {
      binaryLeft_ = static_cast<std::uint64_t>(n);
      lex_ = Lex::kBinary;
    }
    return;
  }
  if (groups_.empty() || overflow_ > 0) return;
  Group& g = groups_.back();
  if (g.fontTable) {
    if (w == "f") fontBeingDefined_ = param;
    const bool known = fonts_.size() < kMaxFonts || fonts_.count(fontBeingDefined_) > 0;
    if (w == "fcharset" && known) fonts_[fontBeingDefined_].charset = param;
    if (w == "cpg" && known) fonts_[fontBeingDefined_].codePage = param;
    return;
  }
  if (Destination(w) || g.skip) return;
  if (skipChars_ > 0) {  // a control word counts as one fallback character
    --skipChars_;
    return;
  }
  if (w == "u") {
    Unicode(n, out);
    skipChars_ = g.uc;
  } else if (w == "uc") {
    g.uc = std::clamp(param, 0, 16);
  } else if (w == "f") {
    g.font = param;
    g.codePage = 0;
  } else if (w == "plain") {
    g.font = -1;
    g.codePage = 0;
  } else if (w == "ansicpg") {
    documentCodePage_ = param;
    g.codePage = 0;
  } else if (w == "ansi" || w == "mac" || w == "pc" || w == "pca") {
    documentCodePage_ = w == "ansi" ? 1252 : w == "mac" ? 10000 : w == "pc" ? 437 : 850;
    g.codePage = 0;
  } else if (w == "deff") {
    defaultFont_ = param;
  } else {
    for (const Symbol& s : kSymbols) {
      if (s.word == w) {
        Char(s.c, out);
        break;
      }
    }
  }
}

void RtfParser::Byte(unsigned char b, std::u32string& out) {
  if (Ignoring()) return;
  if (skipChars_ > 0) {
    --skipChars_;
    return;
  }
  Group& g = groups_.back();
  if (g.codePage == 0) g.codePage = FontCodePage(g.font >= 0 ? g.font : defaultFont_);
  if (g.codePage != runCodePage_) {
    Flush(out);
    runCodePage_ = g.codePage;
  }
  run_.push_back(static_cast<char>(b));
}

void RtfParser::Char(char32_t c, std::u32string& out) {
  if (Ignoring()) return;
  Flush(out);
  out.push_back(c);
}

void RtfParser::Unicode(std::int64_t value, std::u32string& out) {
  if (value < 0) value += 65536;  // written as a signed 16-bit number
  const auto u = static_cast<char32_t>(value & 0xFFFF);
  if (u >= 0xD800 && u <= 0xDBFF) {
    highSurrogate_ = u;
    return;
  }
  if (u >= 0xDC00 && u <= 0xDFFF) {
    Char(highSurrogate_ != 0 ? 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (u - 0xDC00)
                             : kReplacementChar,
         out);
  } else {
    Char(u, out);
  }
  highSurrogate_ = 0;
}

void RtfParser::Flush(std::u32string& out) {
  if (run_.empty()) return;
  Charset(runCodePage_).Decode(run_, out);
  run_.clear();
}

int RtfParser::FontCodePage(int font) const {
  const auto it = fonts_.find(font);
  if (it != fonts_.end()) {
    if (it->second.codePage > 0) return it->second.codePage;
    if (const int cp = CharsetCodePage(it->second.charset); cp != 0) return cp;
  }
  return documentCodePage_ > 0 ? documentCodePage_ : 1252;
}

const WindowsCharset& RtfParser::Charset(int codePage) {
  for (const auto& [number, charset] : charsets_) {
    if (number == codePage) return charset;
  }
  if (charsets_.size() >= kMaxCharsets) return charsets_.front().second;
  return charsets_.emplace_back(codePage, WindowsCharset(codePage)).second;
}

}  // namespace vexa::intake
