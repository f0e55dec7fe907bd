// Zip packages (Office Open XML, OpenDocument) read member by member, and a streaming XML
// parser over one member.
//
// Nothing is decompressed ahead of need: an XmlPartParser takes one block from its member
// per step, so a document read up to a text limit is decompressed up to about that point,
// whatever its members claim to hold. Each member read also has a byte
// budget, after which it reads as ended (a bound for members of markup without text).
// XML is parsed without network access, DTD loading or entity substitution, and
// without printing diagnostics.
//
// Thread-safety: objects are used by one thread; separate objects are independent.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "intake/document_file.h"

struct zip;
struct zip_file;
struct _xmlParserCtxt;
struct _xmlError;

namespace vexa::intake {

class ZipMember;

class ZipArchive {
 public:
  ZipArchive() = default;
  ZipArchive(ZipArchive&& other) noexcept : zip_(other.zip_) { other.zip_ = nullptr; }
  ZipArchive& operator=(ZipArchive&& other) noexcept;
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;
  ~ZipArchive();

  // Opens the archive in `fd` (taken over on success). Returns 0, FILTER_E_ACCESS when the
  // file cannot be read, or FILTER_E_UNKNOWNFORMAT when it is not a readable zip archive.
  std::int32_t Open(UniqueFd& fd);
  // Whether the archive has a member of this name (exact, or else without regard to case).
  bool Has(const std::string& name) const;
  // Opens a member for reading with a budget of `budget` decompressed bytes. Returns 0,
  // FILTER_E_PASSWORD for an encrypted member, FILTER_E_UNKNOWNFORMAT when the member is
  // missing or cannot be read.
  std::int32_t OpenMember(const std::string& name, std::uint64_t budget, ZipMember& member) const;
  // The whole member as text, at most `budget` bytes; empty when it cannot be read.
  std::string ReadMember(const std::string& name, std::uint64_t budget) const;

 private:
  struct zip* zip_ = nullptr;
};

class ZipMember {
 public:
  ZipMember() = default;
  ZipMember(ZipMember&& other) noexcept;
  ZipMember& operator=(ZipMember&& other) noexcept;
  ZipMember(const ZipMember&) = delete;
  ZipMember& operator=(const ZipMember&) = delete;
  ~ZipMember();

  // Reads up to `size` decompressed bytes. Returns the count, 0 at the end of the member
  // or of its budget, -1 when the data is damaged.
  int Read(char* buffer, int size);

 private:
  friend class ZipArchive;
  struct zip_file* file_ = nullptr;
  std::uint64_t budget_ = 0;
};

// The attributes of an element as the XML parser reports them (valid during the call).
class XmlAttributes {
 public:
  XmlAttributes(const unsigned char** attributes, int count)
      : attributes_(attributes), count_(count) {}
  // The value of the attribute with this local name, or empty. With `qualified`, only an
  // attribute in a namespace counts (r:id, not id).
  std::string_view Get(std::string_view localName, bool qualified = false) const;

 private:
  const unsigned char** attributes_;  // five pointers per attribute, as libxml2 gives them
  int count_;
};

// Receives the events of one XML document, in document order.
class XmlHandler {
 public:
  virtual ~XmlHandler() = default;
  virtual void StartElement(std::string_view localName, const XmlAttributes& attributes) = 0;
  virtual void EndElement(std::string_view localName) = 0;
  // Character data (text, CDATA, white space), UTF-8; one text may come in several calls.
  virtual void Characters(std::string_view utf8) = 0;
};

// One XML document parsed from a zip member, block by block, into a handler. Character
// data reaches the handler as it is parsed, so a huge text node costs no memory, and the
// events before a fault in the XML are delivered.
class XmlPartParser {
 public:
  enum class Step { kMore, kEnd, kFailed };

  // `member` and `handler` must outlive the parser.
  XmlPartParser(ZipMember& member, XmlHandler& handler);
  XmlPartParser(const XmlPartParser&) = delete;
  XmlPartParser& operator=(const XmlPartParser&) = delete;
  ~XmlPartParser();

  // Decompresses and parses the next block. kEnd: the document is complete; kFailed: the
  // XML is malformed or the member damaged here (no more events follow).
  Step Parse();
  // Parses to the end of the document; true when it was complete and well-formed.
  bool ParseAll();

 private:
  ZipMember& member_;
  struct _xmlParserCtxt* parser_ = nullptr;
  Step state_ = Step::kMore;
};

// Keeps libxml2 from printing diagnostics on this thread while it lives (the parsers are
// silenced one by one, but character conversion errors go to the thread's handlers).
class QuietXmlErrors {
 public:
  QuietXmlErrors();
  QuietXmlErrors(const QuietXmlErrors&) = delete;
  QuietXmlErrors& operator=(const QuietXmlErrors&) = delete;
  ~QuietXmlErrors();

 private:
  void (*generic_)(void*, const char*, ...);
  void* genericContext_;
  void (*structured_)(void*, struct _xmlError*);
  void* structuredContext_;
};

}  // namespace vexa::intake
