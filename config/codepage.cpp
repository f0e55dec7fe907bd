#include "config/codepage.h"

#include "config/utf8.h"

#include <errno.h>
#include <iconv.h>
#include <locale.h>
#include <wctype.h>

#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>

namespace vexa {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// One iconv conversion descriptor, closed on destruction.
class IconvHandle {
 public:
  IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~IconvHandle() {
    if (ok()) iconv_close(cd_);
  }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// A locale whose towupper knows all of Unicode, not only ASCII.
locale_t UnicodeLocale() {
  static locale_t loc = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return l ? l : newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(0));
  }();
  return loc;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

const CodePage& CodePage::Get(int number) {
  static std::mutex mu;
  static std::map<int, std::unique_ptr<CodePage>> pages;
  std::lock_guard<std::mutex> lock(mu);
  auto& slot = pages[number];
  if (!slot) {
    try {
      slot = std::make_unique<CodePage>(number);
    } catch (...) {
      pages.erase(number);
      throw;
    }
  }
  return *slot;
}

CodePage::CodePage(int number) : number_(number) {
  const std::string name = "CP" + std::to_string(number);
  IconvHandle cd("UTF-32LE", name.c_str());
  if (!cd.ok() || number <= 0)
    throw std::runtime_error("Unsupported code page " + std::to_string(number));
  for (int b = 0; b < 256; ++b) {
    char in = static_cast<char>(b);
    unsigned char out[8] = {};
    char* inp = &in;
    char* outp = reinterpret_cast<char*>(out);
    size_t inleft = 1, outleft = sizeof out;
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    const bool converted = iconv(cd.get(), &inp, &inleft, &outp, &outleft) != static_cast<size_t>(-1);
    // A multi-byte code page leaves a lead byte incomplete (EINVAL): refuse it, as it
    // could not hold one character per byte.
    if ((b < 0x80 && !converted) || (!converted && errno == EINVAL))
      throw std::runtime_error("Unsupported code page " + std::to_string(number));
    to_unicode_[b] = converted && outleft == 4
                         ? static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | out[3] << 24)
                         : kReplacement;
    if (b >= 0x80 && to_unicode_[b] != kReplacement)
      from_unicode_.emplace(to_unicode_[b], static_cast<unsigned char>(b));
  }
  const locale_t loc = UnicodeLocale();
  for (int b = 0; b < 256; ++b) {
    upper_[b] = static_cast<unsigned char>(b);
    const char32_t cp = to_unicode_[b];
    if (cp == kReplacement) continue;
    const auto up = static_cast<char32_t>(towupper_l(static_cast<wint_t>(cp), loc));
    if (up == cp) continue;
    if (up < 0x80) {
      upper_[b] = static_cast<unsigned char>(up);
    } else if (auto it = from_unicode_.find(up); it != from_unicode_.end()) {
      upper_[b] = it->second;
    }
  }
}

char CodePage::FromCodePoint(char32_t cp) const {
  if (cp < 0x80) return static_cast<char>(cp);
  auto it = from_unicode_.find(cp);
  return it == from_unicode_.end() ? ' ' : static_cast<char>(it->second);
}

std::string CodePage::FromUtf8(std::string_view utf8) const {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    if (static_cast<unsigned char>(utf8[i]) < 0x80) {
      out += utf8[i++];
      continue;
    }
    char32_t cp;
    const std::size_t length = DecodeUtf8(utf8.substr(i), cp);
    // A malformed byte becomes one space and never swallows good text after it.
    out += length ? FromCodePoint(cp) : ' ';
    i += length ? length : 1;
  }
  return out;
}

std::string CodePage::ToUtf8(std::string_view bytes) const {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80)
      out += c;
    else
      AppendUtf8(out, to_unicode_[b]);
  }
  return out;
}

void CodePage::UpperCase(std::string& bytes) const {
  for (char& c : bytes) c = static_cast<char>(upper_[static_cast<unsigned char>(c)]);
}

}  // namespace vexa
