// Turning the bytes of a document into Unicode code points for the filters.
//
// TextDecoder reads a byte stream of unknown encoding the way plain text files and helper
// programs' output are read: a byte-order mark selects UTF-8 or UTF-16; without one the
// stream is UTF-8 when its first block is valid UTF-8 (a stray invalid byte later on is
// then taken in the code page), and otherwise every byte is a character of the code page.
// WindowsCharset decodes text in a numbered Windows code page, single- or double-byte, as
// RTF documents declare it.
//
// Thread-safety: the objects are used by one thread; the functions keep no state.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace vexa {
class CodePage;
}

namespace vexa::intake {

inline constexpr char32_t kReplacementChar = 0xFFFD;

// Appends the code points of UTF-8 text; each byte of a malformed sequence gives U+FFFD.
void AppendUtf8(std::string_view utf8, std::u32string& out);

// Whether `bytes` is valid UTF-8, an incomplete sequence at the very end excepted.
bool IsUtf8Prefix(std::string_view bytes);

// Whether `bytes` begins with a UTF-8 or UTF-16 byte-order mark.
bool HasByteOrderMark(std::string_view bytes);

class TextDecoder {
 public:
  // `codePage` (kept by reference) reads bytes that are not UTF-8.
  explicit TextDecoder(const CodePage& codePage) : codePage_(codePage) {}

  // Decodes the next bytes of the stream and appends their code points. The first call
  // decides the encoding from its bytes, so it should hold the stream's first block (a few
  // kilobytes when the stream has them). `last` marks the end of the stream: a sequence
  // still incomplete then gives U+FFFD.
  void Decode(std::string_view bytes, bool last, std::u32string& out);

 private:
  enum class Encoding { kUndecided, kUtf8, kUtf16Le, kUtf16Be, kCodePage };

  void DecodeUtf8(std::string_view bytes, bool last, std::u32string& out);
  void DecodeUtf16(std::string_view bytes, bool last, std::u32string& out);

  const CodePage& codePage_;
  Encoding encoding_ = Encoding::kUndecided;
  std::string carry_;           // the start of a sequence cut off by the end of a block
  char32_t highSurrogate_ = 0;  // UTF-16: a high surrogate waiting for its partner
};

class WindowsCharset {
 public:
  // A Windows code page by number (1250, 1251, 932, 10000, ...). A number the system
  // cannot convert is read as Windows-1252.
  explicit WindowsCharset(int number);
  ~WindowsCharset();
  WindowsCharset(WindowsCharset&&) noexcept;
  WindowsCharset& operator=(WindowsCharset&&) noexcept;

  int Number() const { return number_; }
  // Appends the code points of `bytes`, a complete run of text in this code page. Bytes
  // the code page does not define, and a double-byte character cut off at the end of the
  // run, give U+FFFD.
  void Decode(std::string_view bytes, std::u32string& out) const;

 private:
  struct Iconv;
  int number_;
  const CodePage* singleByte_ = nullptr;  // set for single-byte code pages
  std::unique_ptr<Iconv> multiByte_;      // set for double-byte code pages
};

}  // namespace vexa::intake
