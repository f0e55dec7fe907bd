#include "intake/text_decoding.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

#include "config/codepage.h"

namespace vexa::intake {
namespace {

// Length of the UTF-8 sequence at the start of p[0..n) with its code point in `cp`;
// 0 when the bytes are a valid but incomplete start; -1 when they are malformed.
int Utf8Sequence(const unsigned char* p, std::size_t n, char32_t& cp) {
  const unsigned char b = p[0];
  if (b < 0x80) {
    cp = b;
    return 1;
  }
  std::size_t len;
  if (b >= 0xC2 && b <= 0xDF) {
    len = 2;
    cp = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    len = 3;
    cp = b & 0x0F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    len = 4;
    cp = b & 0x07;
  } else {
    return -1;
  }
  for (std::size_t i = 1; i < len; ++i) {
    if (i >= n) return 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (i == 1) {  // exclude overlong forms, surrogates and values above U+10FFFF
      if (b == 0xE0) lo = 0xA0;
      if (b == 0xED) hi = 0x9F;
      if (b == 0xF0) lo = 0x90;
      if (b == 0xF4) hi = 0x8F;
    }
    if (p[i] < lo || p[i] > hi) return -1;
    cp = (cp << 6) | (p[i] & 0x3F);
  }
  return static_cast<int>(len);
}

const unsigned char* Bytes(std::string_view s) {
  return reinterpret_cast<const unsigned char*>(s.data());
}

// Appends the code points of UTF-8 `bytes`, each byte of a malformed sequence as
// fallback(byte). With `stopAtIncomplete`, an incomplete sequence at the end is left
// undecoded. Returns how many bytes were decoded.
template <class Fallback>
std::size_t DecodeUtf8Run(std::string_view bytes, bool stopAtIncomplete, std::u32string& out,
                          Fallback fallback) {
  const unsigned char* p = Bytes(bytes);
  std::size_t i = 0;
  while (i < bytes.size()) {
    char32_t cp;
    const int len = Utf8Sequence(p + i, bytes.size() - i, cp);
    if (len > 0) {
      out.push_back(cp);
      i += static_cast<std::size_t>(len);
    } else if (len == 0 && stopAtIncomplete) {
      break;
    } else {
      out.push_back(fallback(p[i]));
      ++i;
    }
  }
  return i;
}

}  // namespace

void AppendUtf8(std::string_view utf8, std::u32string& out) {
  DecodeUtf8Run(utf8, false, out, [](unsigned char) { return kReplacementChar; });
}

bool IsUtf8Prefix(std::string_view bytes) {
  const unsigned char* p = Bytes(bytes);
  std::size_t i = 0;
  while (i < bytes.size()) {
    char32_t cp;
    const int len = Utf8Sequence(p + i, bytes.size() - i, cp);
    if (len < 0) return false;
    if (len == 0) return true;
    i += static_cast<std::size_t>(len);
  }
  return true;
}

bool HasByteOrderMark(std::string_view bytes) {
  return bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") ||
         bytes.starts_with("\xFE\xFF");
}

void TextDecoder::Decode(std::string_view bytes, bool last, std::u32string& out) {
  if (encoding_ == Encoding::kUndecided) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
      encoding_ = Encoding::kUtf8;
      bytes.remove_prefix(3);
    } else if (bytes.starts_with("\xFF\xFE")) {
      encoding_ = Encoding::kUtf16Le;
      bytes.remove_prefix(2);
    } else if (bytes.starts_with("\xFE\xFF")) {
      encoding_ = Encoding::kUtf16Be;
      bytes.remove_prefix(2);
    } else {
      encoding_ = IsUtf8Prefix(bytes) ? Encoding::kUtf8 : Encoding::kCodePage;
    }
  }
  switch (encoding_) {
    case Encoding::kUtf8:
      DecodeUtf8(bytes, last, out);
      break;
    case Encoding::kUtf16Le:
    case Encoding::kUtf16Be:
      DecodeUtf16(bytes, last, out);
      break;
    default:
      for (const unsigned char b : bytes) out.push_back(codePage_.ToCodePoint(b));
  }
}

void TextDecoder::DecodeUtf8(std::string_view bytes, bool last, std::u32string& out) {
  std::string joined;
  if (!carry_.empty()) {
    joined = carry_ + std::string(bytes);
    carry_.clear();
    bytes = joined;
  }
  const std::size_t decoded = DecodeUtf8Run(bytes, !last, out, [this](unsigned char b) {
    return codePage_.ToCodePoint(b);  // a stray byte of another encoding
  });
  carry_.assign(bytes.substr(decoded));
}

void TextDecoder::DecodeUtf16(std::string_view bytes, bool last, std::u32string& out) {
  const bool littleEndian = encoding_ == Encoding::kUtf16Le;
  auto unit = [littleEndian](unsigned char a, unsigned char b) -> char32_t {
    return littleEndian ? (b << 8 | a) : (a << 8 | b);
  };
  auto emit = [&](char32_t u) {
    if (u >= 0xD800 && u <= 0xDBFF) {
      if (highSurrogate_ != 0) out.push_back(kReplacementChar);
      highSurrogate_ = u;
      return;
    }
    if (u >= 0xDC00 && u <= 0xDFFF) {
      out.push_back(highSurrogate_ != 0 ? 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (u - 0xDC00)
                                        : kReplacementChar);
      highSurrogate_ = 0;
      return;
    }
    if (highSurrogate_ != 0) out.push_back(kReplacementChar);
    highSurrogate_ = 0;
    out.push_back(u);
  };
  const unsigned char* p = Bytes(bytes);
  std::size_t i = 0;
  if (!carry_.empty() && !bytes.empty()) {
    emit(unit(static_cast<unsigned char>(carry_[0]), p[0]));
    carry_.clear();
    i = 1;
  }
  for (; i + 1 < bytes.size(); i += 2) emit(unit(p[i], p[i + 1]));
  if (i < bytes.size()) carry_.assign(1, static_cast<char>(p[i]));
  if (last && (highSurrogate_ != 0 || !carry_.empty())) {
    out.push_back(kReplacementChar);
    highSurrogate_ = 0;
    carry_.clear();
  }
}

struct WindowsCharset::Iconv {
  iconv_t cd;
  explicit Iconv(iconv_t handle) : cd(handle) {}
  ~Iconv() { iconv_close(cd); }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
};

WindowsCharset::WindowsCharset(int number) : number_(number) {
  if (number == 932 || number == 936 || number == 949 || number == 950) {
    const std::string name = "CP" + std::to_string(number);
    const iconv_t cd = iconv_open("WCHAR_T", name.c_str());
    if (cd != reinterpret_cast<iconv_t>(-1)) {
      multiByte_ = std::make_unique<Iconv>(cd);
      return;
    }
  } else {
    try {
      singleByte_ = &CodePage::Get(number);
      return;
    } catch (const std::runtime_error&) {
      // read as the default below
    }
  }
  number_ = CodePage::kDefault;
  singleByte_ = &CodePage::Get(CodePage::kDefault);
}

WindowsCharset::~WindowsCharset() = default;
WindowsCharset::WindowsCharset(WindowsCharset&&) noexcept = default;
WindowsCharset& WindowsCharset::operator=(WindowsCharset&&) noexcept = default;

void WindowsCharset::Decode(std::string_view bytes, std::u32string& out) const {
  if (singleByte_ != nullptr) {
    for (const unsigned char b : bytes) out.push_back(singleByte_->ToCodePoint(b));
    return;
  }
  iconv(multiByte_->cd, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  wchar_t buffer[512];
  while (inLeft > 0) {
    char* outPtr = reinterpret_cast<char*>(buffer);
    std::size_t outLeft = sizeof buffer;
    const std::size_t rc = iconv(multiByte_->cd, &in, &inLeft, &outPtr, &outLeft);
    const int error = errno;
    const std::size_t produced = (sizeof buffer - outLeft) / sizeof(wchar_t);
    for (std::size_t k = 0; k < produced; ++k) out.push_back(static_cast<char32_t>(buffer[k]));
    if (rc != static_cast<std::size_t>(-1) || error == E2BIG) continue;
    out.push_back(kReplacementChar);
    if (error != EILSEQ) break;  // EINVAL: a character cut off at the end
    ++in;
    --inLeft;
  }
}

}  // namespace vexa::intake
