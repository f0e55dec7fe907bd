#include "intake/zip_package.h"

#include <libxml/parser.h>
#include <libxml/xmlreader.h>
#include <zip.h>

#include <algorithm>
#include <utility>

#include "intake/text_filter.h"

namespace vexa::intake {
namespace {

const char* Chars(const xmlChar* s) { return reinterpret_cast<const char*>(s); }

std::string_view View(const xmlChar* s) {
  return s == nullptr ? std::string_view() : std::string_view(Chars(s));
}

void IgnoreXmlError(void*, xmlErrorPtr) {}

}  // namespace

ZipArchive& ZipArchive::operator=(ZipArchive&& other) noexcept {
  if (this != &other) {
    if (zip_ != nullptr) zip_discard(zip_);
    zip_ = std::exchange(other.zip_, nullptr);
  }
  return *this;
}

ZipArchive::~ZipArchive() {
  if (zip_ != nullptr) zip_discard(zip_);
}

std::int32_t ZipArchive::Open(UniqueFd& fd) {
  int error = 0;
  // zip_fdopen closes the descriptor itself once it has succeeded.
  zip_t* opened = zip_fdopen(fd.Get(), ZIP_RDONLY, &error);
  if (opened == nullptr) {
    return error == ZIP_ER_OPEN || error == ZIP_ER_READ ? FILTER_E_ACCESS
                                                        : FILTER_E_UNKNOWNFORMAT;
  }
  fd.Release();
  if (zip_ != nullptr) zip_discard(zip_);
  zip_ = opened;
  return 0;
}

bool ZipArchive::Has(const std::string& name) const {
  return zip_name_locate(zip_, name.c_str(), 0) >= 0 ||
         zip_name_locate(zip_, name.c_str(), ZIP_FL_NOCASE) >= 0;
}

std::int32_t ZipArchive::OpenMember(const std::string& name, std::uint64_t budget,
                                    ZipMember& member) const {
  zip_int64_t index = zip_name_locate(zip_, name.c_str(), 0);
  if (index < 0) index = zip_name_locate(zip_, name.c_str(), ZIP_FL_NOCASE);
  if (index < 0) return FILTER_E_UNKNOWNFORMAT;
  zip_file_t* file = zip_fopen_index(zip_, static_cast<zip_uint64_t>(index), 0);
  if (file == nullptr) {
    const int error = zip_error_code_zip(zip_get_error(zip_));
    zip_error_clear(zip_);
    return error == ZIP_ER_NOPASSWD || error == ZIP_ER_WRONGPASSWD ||
                   error == ZIP_ER_ENCRNOTSUPP
               ? FILTER_E_PASSWORD
               : FILTER_E_UNKNOWNFORMAT;
  }
  member = ZipMember();
  member.file_ = file;
  member.budget_ = budget;
  return 0;
}

std::string ZipArchive::ReadMember(const std::string& name, std::uint64_t budget) const {
  ZipMember member;
  std::string bytes;
  if (OpenMember(name, budget, member) != 0) return bytes;
  char buffer[16384];
  int n;
  while ((n = member.Read(buffer, sizeof buffer)) > 0) bytes.append(buffer, n);
  return bytes;
}

ZipMember::ZipMember(ZipMember&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)), budget_(other.budget_) {}

ZipMember& ZipMember::operator=(ZipMember&& other) noexcept {
  if (this != &other) {
    if (file_ != nullptr) zip_fclose(file_);
    file_ = std::exchange(other.file_, nullptr);
    budget_ = other.budget_;
  }
  return *this;
}

ZipMember::~ZipMember() {
  if (file_ != nullptr) zip_fclose(file_);
}

int ZipMember::Read(char* buffer, int size) {
  if (file_ == nullptr || size <= 0) return -1;
  const auto want = static_cast<zip_uint64_t>(std::min<std::uint64_t>(budget_, size));
  if (want == 0) return 0;
  const zip_int64_t n = zip_fread(file_, buffer, want);
  if (n < 0) return -1;
  budget_ -= static_cast<std::uint64_t>(n);
  return static_cast<int>(n);
}

XmlStream::XmlStream(ZipMember& member) {
  static const bool initialised = (xmlInitParser(), true);
  (void)initialised;
  auto read = [](void* context, char* buffer, int len) {
    return static_cast<ZipMember*>(context)->Read(buffer, len);
  };
  reader_ = xmlReaderForIO(read, nullptr, &member, nullptr, nullptr,
                           XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING |
                               XML_PARSE_NOCDATA | XML_PARSE_COMPACT);
  if (reader_ != nullptr) xmlTextReaderSetStructuredErrorHandler(reader_, IgnoreXmlError, nullptr);
}

XmlStream::~XmlStream() {
  if (reader_ != nullptr) xmlFreeTextReader(reader_);
}

int XmlStream::Read() { return reader_ == nullptr ? -1 : xmlTextReaderRead(reader_); }
int XmlStream::NodeType() const { return xmlTextReaderNodeType(reader_); }
int XmlStream::Depth() const { return xmlTextReaderDepth(reader_); }
bool XmlStream::IsText() const {
  const int type = xmlTextReaderNodeType(reader_);
  return type == XML_READER_TYPE_TEXT || type == XML_READER_TYPE_CDATA ||
         type == XML_READER_TYPE_WHITESPACE || type == XML_READER_TYPE_SIGNIFICANT_WHITESPACE;
}
bool XmlStream::IsEmptyElement() const { return xmlTextReaderIsEmptyElement(reader_) == 1; }
std::string_view XmlStream::LocalName() const { return View(xmlTextReaderConstLocalName(reader_)); }
std::string_view XmlStream::Value() const { return View(xmlTextReaderConstValue(reader_)); }

std::string XmlStream::Attribute(std::string_view localName, bool qualified) {
  std::string value;
  for (int ok = xmlTextReaderMoveToFirstAttribute(reader_); ok == 1;
       ok = xmlTextReaderMoveToNextAttribute(reader_)) {
    if (View(xmlTextReaderConstLocalName(reader_)) == localName &&
        (!qualified || xmlTextReaderConstNamespaceUri(reader_) != nullptr)) {
      value = View(xmlTextReaderConstValue(reader_));
      break;
    }
  }
  xmlTextReaderMoveToElement(reader_);
  return value;
}

}  // namespace vexa::intake
