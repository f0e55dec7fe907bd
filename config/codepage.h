// The single-byte code page that the tokenizer and the stored document text use.
//
// Inside the programs all text is UTF-8 except the tokenizer's working text and the
// stored BODY of an index, which hold one byte per character in a single-byte code page
// (Windows-1252 unless the configuration or the index says otherwise). A CodePage maps
// between the two with tables built once through iconv: a character the code page lacks
// becomes a space, and malformed UTF-8 bytes become spaces too. It also carries the code
// page's upper-casing table (every lower-case letter of the code page becomes its capital
// when that capital exists in the code page).
//
// Thread-safety: a CodePage is immutable after construction; CodePage::Get returns shared
// instances and may be called from any thread.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vexa {

class CodePage {
 public:
  static constexpr int kDefault = 1252;

  // The shared instance for a Windows code page number (1250..1258, 874, ...).
  // Throws std::runtime_error("Unsupported code page %d") when iconv has no such
  // single-byte code page.
  static const CodePage& Get(int number);

  // Builds the tables; prefer Get. Throws as Get does.
  explicit CodePage(int number);

  int Number() const { return number_; }

  // UTF-8 -> code page, one byte per character; missing characters and malformed
  // sequences become ' '.
  std::string FromUtf8(std::string_view utf8) const;
  // One Unicode code point -> its byte, or ' ' when the code page lacks it.
  char FromCodePoint(char32_t cp) const;
  // Code page -> UTF-8. Bytes the code page leaves undefined become U+FFFD.
  std::string ToUtf8(std::string_view bytes) const;
  // The Unicode code point of a byte (U+FFFD for an undefined byte).
  char32_t ToCodePoint(unsigned char byte) const { return to_unicode_[byte]; }

  // Upper-cases code page text in place, with the code page's own letters.
  void UpperCase(std::string& bytes) const;
  unsigned char Upper(unsigned char byte) const { return upper_[byte]; }

 private:
  int number_;
  std::array<char32_t, 256> to_unicode_{};
  std::array<unsigned char, 256> upper_{};
  std::unordered_map<char32_t, unsigned char> from_unicode_;  // non-ASCII only
};

}  // namespace vexa
