// Zip packages (Office Open XML, OpenDocument) read member by member, and a streaming XML
// reader over one member.
//
// Nothing is decompressed ahead of need: an XmlStream pulls bytes from its member only as
// its parser asks for them, so a document read up to a text limit is decompressed up to
// about that point, whatever its members claim to hold. Each member read also has a byte
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
struct _xmlTextReader;

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
  std::int32_t OpenMember(const std::string& name, std::uint64_t budget,
                          ZipMember& member) const;
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

// One XML document read node by node from a zip member (which must outlive it).
class XmlStream {
 public:
  explicit XmlStream(ZipMember& member);
  XmlStream(const XmlStream&) = delete;
  XmlStream& operator=(const XmlStream&) = delete;
  ~XmlStream();

  // Moves to the next node: 1, or 0 at the end of the document, or -1 when the XML is
  // malformed or the member damaged (the nodes read before stay valid results).
  int Read();
  // The current node's type (libxml2's XML_READER_TYPE_* values).
  int NodeType() const;
  int Depth() const;
  // Whether the current node is character data (text, CDATA or white space).
  bool IsText() const;
  bool IsEmptyElement() const;
  // Local name and value of the current node, valid until the next Read.
  std::string_view LocalName() const;
  std::string_view Value() const;
  // The value of the current element's attribute with this local name, or empty. With
  // `qualified`, only an attribute in a namespace counts (r:id, not id).
  std::string Attribute(std::string_view localName, bool qualified = false);

 private:
  struct _xmlTextReader* reader_ = nullptr;
};

}  // namespace vexa::intake
