#include "intake/zip_package.h"

#include <libxml/parser.h>
#include <zip.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "intake/text_filter.h"

namespace vexa::intake {
namespace {

const char* Chars(const xmlChar* s) { return reinterpret_cast<const char*>(s); }

std::string_view View(const xmlChar* s) {
  return s == nullptr ? std::string_view() : std::string_view(Chars(s));
}

void IgnoreXmlError(void*, xmlErrorPtr) {}
void IgnoreGenericError(void*, const char*, ...) {}

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
    return error == ZIP_ER_OPEN || error == ZIP_ER_READ ? FILTER_E_ACCESS : FILTER_E_UNKNOWNFORMAT;
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
    return error == ZIP_ER_NOPASSWD || error == ZIP_ER_WRONGPASSWD || error == ZIP_ER_ENCRNOTSUPP
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

std::string_view XmlAttributes::Get(std::string_view localName, bool qualified) const {
  for (int i = 0; i < count_; ++i) {
    const unsigned char* const* a = attributes_ + 5 * i;  // local name, prefix, URI, value, end
    if (View(a[0]) == localName && (!qualified || a[2] != nullptr)) {
      return std::string_view(Chars(a[3]), static_cast<std::size_t>(a[4] - a[3]));
    }
  }
  return {};
}

XmlPartParser::XmlPartParser(ZipMember& member, XmlHandler& handler) : member_(member) {
  static const bool initialised = (xmlInitParser(), true);
  (void)initialised;
  xmlSAXHandler sax;
  std::memset(&sax, 0, sizeof sax);
  sax.initialized = XML_SAX2_MAGIC;
  sax.startElementNs = [](void* h, const xmlChar* localName, const xmlChar*, const xmlChar*, int,
                          const xmlChar**, int count, int, const xmlChar** attributes) {
    static_cast<XmlHandler*>(h)->StartElement(View(localName), XmlAttributes(attributes, count));
  };
  sax.endElementNs = [](void* h, const xmlChar* localName, const xmlChar*, const xmlChar*) {
    static_cast<XmlHandler*>(h)->EndElement(View(localName));
  };
  sax.characters = [](void* h, const xmlChar* text, int len) {
    static_cast<XmlHandler*>(h)->Characters(
        std::string_view(Chars(text), static_cast<std::size_t>(len)));
  };
  sax.cdataBlock = sax.characters;
  sax.ignorableWhitespace = sax.characters;
  sax.serror = IgnoreXmlError;
  // No getEntity handler: entities other than the predefined ones are never expanded.
  parser_ = xmlCreatePushParserCtxt(&sax, &handler, nullptr, 0, nullptr);
  if (parser_ == nullptr) {
    state_ = Step::kFailed;
    return;
  }
  xmlCtxtUseOptions(parser_, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
}

XmlPartParser::~XmlPartParser() {
  if (parser_ != nullptr) xmlFreeParserCtxt(parser_);
}

XmlPartParser::Step XmlPartParser::Parse() {
  if (state_ != Step::kMore) return state_;
  char block[16384];
  const int n = member_.Read(block, sizeof block);
  if (n < 0) return state_ = Step::kFailed;
  xmlParseChunk(parser_, n > 0 ? block : nullptr, n, n == 0 ? 1 : 0);
  if (parser_->wellFormed == 0 || parser_->disableSAX != 0) return state_ = Step::kFailed;
  if (n == 0) state_ = Step::kEnd;
  return state_;
}

bool XmlPartParser::ParseAll() {
  Step step;
  while ((step = Parse()) == Step::kMore) {
  }
  return step == Step::kEnd;
}

QuietXmlErrors::QuietXmlErrors()
    : generic_(xmlGenericError),
      genericContext_(xmlGenericErrorContext),
      structured_(xmlStructuredError),
      structuredContext_(xmlStructuredErrorContext) {
  xmlSetGenericErrorFunc(nullptr, IgnoreGenericError);
  xmlSetStructuredErrorFunc(nullptr, IgnoreXmlError);
}

QuietXmlErrors::~QuietXmlErrors() {
  xmlSetGenericErrorFunc(genericContext_, generic_);
  xmlSetStructuredErrorFunc(structuredContext_, structured_);
}

}  // namespace vexa::intake
