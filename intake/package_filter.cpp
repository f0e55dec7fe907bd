// Office Open XML (word processing, spreadsheet, presentation) and OpenDocument packages.
// Parts are found through the package relationships and read in document order, one chunk
// per part; see FORMATS.md for which parts each kind reads.

#include <libxml/xmlreader.h>

#include <array>
#include <charconv>
#include <optional>
#include <span>

#include "intake/compound_file.h"
#include "intake/filters.h"
#include "intake/text_decoding.h"
#include "intake/text_filter.h"
#include "intake/xml_text.h"
#include "intake/zip_package.h"

namespace vexa::intake {
namespace {

// Decompressed bytes read of a part that only lists other parts, and of a text part.
constexpr std::uint64_t kIndexPartBudget = 16u << 20;
constexpr std::uint64_t kTextPartBudget = 256u << 20;
// Characters produced per Produce call (the pieces are cut from them).
constexpr std::size_t kStretch = 4096;
// Bounds of a spreadsheet's shared string table kept in memory.
constexpr std::size_t kMaxSharedStrings = 1u << 20;
constexpr std::size_t kMaxSharedChars = 4u << 20;

constexpr std::array<XmlRule, 7> kWordRules = {{{"t", XmlRole::kText},
                                                {"p", XmlRole::kParagraph},
                                                {"tab", XmlRole::kSeparator},
                                                {"br", XmlRole::kSeparator},
                                                {"cr", XmlRole::kSeparator},
                                                {"Fallback", XmlRole::kSkip},  // twin of Choice
                                                {"moveFrom", XmlRole::kSkip}}};  // also in moveTo
constexpr std::array<XmlRule, 4> kSlideRules = {{{"t", XmlRole::kText},
                                                 {"p", XmlRole::kParagraph},
                                                 {"br", XmlRole::kSeparator},
                                                 {"Fallback", XmlRole::kSkip}}};
constexpr std::array<XmlRule, 9> kOdfContentRules = {{{"body", XmlRole::kScope},
                                                      {"p", XmlRole::kParagraph},
                                                      {"h", XmlRole::kParagraph},
                                                      {"tab", XmlRole::kSeparator},
                                                      {"s", XmlRole::kSeparator},
                                                      {"line-break", XmlRole::kSeparator},
                                                      {"tracked-changes", XmlRole::kSkip},
                                                      {"creator", XmlRole::kSkip},
                                                      {"date", XmlRole::kSkip}}};
constexpr std::array<XmlRule, 11> kOdfStylesRules = {{{"header", XmlRole::kScope},
                                                      {"footer", XmlRole::kScope},
                                                      {"header-left", XmlRole::kScope},
                                                      {"footer-left", XmlRole::kScope},
                                                      {"header-first", XmlRole::kScope},
                                                      {"footer-first", XmlRole::kScope},
                                                      {"p", XmlRole::kParagraph},
                                                      {"h", XmlRole::kParagraph},
                                                      {"tab", XmlRole::kSeparator},
                                                      {"s", XmlRole::kSeparator},
                                                      {"line-break", XmlRole::kSeparator}}};

struct Relationship {
  std::string id;
  std::string type;    // the last segment of the type URI ("header", "slide", ...)
  std::string target;  // part name inside the package
};

std::string FolderOf(std::string_view part) {
  const std::size_t slash = part.rfind('/');
  return slash == std::string_view::npos ? std::string() : std::string(part.substr(0, slash + 1));
}

// The part a relationship target names, relative to the part that holds the relationship.
std::string ResolvePart(std::string_view source, std::string_view target) {
  const std::string path = target.starts_with('/') ? std::string(target.substr(1))
                                                   : FolderOf(source) + std::string(target);
  std::string resolved;
  std::size_t begin = 0;
  while (begin <= path.size()) {
    std::size_t end = path.find('/', begin);
    if (end == std::string::npos) end = path.size();
    const std::string_view segment(path.data() + begin, end - begin);
    if (segment == "..") {
      const std::size_t cut = resolved.rfind('/');
      resolved.erase(cut == std::string::npos ? 0 : cut);
    } else if (!segment.empty() && segment != ".") {
      if (!resolved.empty()) resolved.push_back('/');
      resolved.append(segment);
    }
    begin = end + 1;
  }
  return resolved;
}

// The relationships of `part` ("" for the package itself), in file order.
std::vector<Relationship> ReadRelationships(const ZipArchive& zip, const std::string& part) {
  const std::size_t slash = part.rfind('/');
  const std::string name = part.empty() ? "_rels/.rels"
                                        : FolderOf(part) + "_rels/" +
                                              part.substr(slash == std::string::npos ? 0 : slash + 1) +
                                              ".rels";
  std::vector<Relationship> result;
  ZipMember member;
  if (zip.OpenMember(name, kIndexPartBudget, member) != 0) return result;
  XmlStream xml(member);
  while (xml.Read() == 1) {
    if (xml.NodeType() != XML_READER_TYPE_ELEMENT || xml.LocalName() != "Relationship") continue;
    if (xml.Attribute("TargetMode") == "External") continue;
    const std::string type = xml.Attribute("Type");
    result.push_back({xml.Attribute("Id"), type.substr(type.rfind('/') + 1),
                      ResolvePart(part, xml.Attribute("Target"))});
  }
  return result;
}

// Targets of the relationships of one type, in order of the ids that `listPart` lists in
// its `element` elements (sheets of a workbook, slides of a presentation).
std::vector<std::string> ListedTargets(const ZipArchive& zip, const std::string& listPart,
                                       std::string_view element, std::string_view type) {
  const std::vector<Relationship> rels = ReadRelationships(zip, listPart);
  std::vector<std::string> targets;
  ZipMember member;
  if (zip.OpenMember(listPart, kIndexPartBudget, member) != 0) return targets;
  XmlStream xml(member);
  while (xml.Read() == 1) {
    if (xml.NodeType() != XML_READER_TYPE_ELEMENT || xml.LocalName() != element) continue;
    const std::string id = xml.Attribute("id", true);
    for (const Relationship& r : rels) {
      if (r.id == id && r.type == type) targets.push_back(r.target);
    }
  }
  return targets;
}

// A spreadsheet's shared strings, as far as they fit the bounds above.
class SharedStrings {
 public:
  void Load(const ZipArchive& zip, const std::string& part) {
    ZipMember member;
    if (zip.OpenMember(part, kTextPartBudget, member) != 0) return;
    XmlStream xml(member);
    int textDepth = -1, phoneticDepth = -1;
    while (xml.Read() == 1 && starts_.size() < kMaxSharedStrings) {
      const int type = xml.NodeType();
      const int depth = xml.Depth();
      if (type == XML_READER_TYPE_ELEMENT && !xml.IsEmptyElement()) {
        const std::string_view name = xml.LocalName();
        if (name == "si") starts_.push_back(pool_.size());
        if (name == "t" && textDepth < 0) textDepth = depth;
        if (name == "rPh" && phoneticDepth < 0) phoneticDepth = depth;  // reading aids
      } else if (type == XML_READER_TYPE_ELEMENT && xml.LocalName() == "si") {
        starts_.push_back(pool_.size());
      } else if (type == XML_READER_TYPE_END_ELEMENT) {
        if (depth == textDepth) textDepth = -1;
        if (depth == phoneticDepth) phoneticDepth = -1;
      } else if (xml.IsText() && textDepth >= 0 && phoneticDepth < 0 && !starts_.empty() &&
                 pool_.size() < kMaxSharedChars) {
        AppendUtf8(xml.Value(), pool_);
      }
    }
  }

  // String `index`, empty when there is none.
  std::u32string_view Get(std::size_t index) const {
    if (index >= starts_.size()) return {};
    const std::size_t end = index + 1 < starts_.size() ? starts_[index + 1] : pool_.size();
    return std::u32string_view(pool_).substr(starts_[index], end - starts_[index]);
  }

 private:
  std::u32string pool_;
  std::vector<std::size_t> starts_;
};

// Cell values of one worksheet: a tab after each cell, a line break after each row.
// Shared strings are looked up, inline strings and numbers taken as written, Boolean and
// error cells and formulas left out.
class SheetReader {
 public:
  SheetReader(XmlStream& stream, const SharedStrings& strings)
      : stream_(stream), strings_(strings) {}

  XmlTextReader::Step Read(std::u32string& out, std::size_t want) {
    const std::size_t start = out.size();
    while (out.size() - start < want) {
      const int rc = stream_.Read();
      if (rc == 0) return XmlTextReader::Step::kEnd;
      if (rc < 0) return XmlTextReader::Step::kFailed;
      const int type = stream_.NodeType();
      const int depth = stream_.Depth();
      if (type == XML_READER_TYPE_ELEMENT) {
        const std::string_view name = stream_.LocalName();
        if (name == "c") cellType_ = stream_.Attribute("t");
        if (stream_.IsEmptyElement()) continue;
        if (name == "v") valueDepth_ = depth;
        if (name == "is") inlineDepth_ = depth;
        if (name == "rPh" && phoneticDepth_ < 0) phoneticDepth_ = depth;
      } else if (type == XML_READER_TYPE_END_ELEMENT) {
        if (depth == valueDepth_) valueDepth_ = -1;
        if (depth == inlineDepth_) inlineDepth_ = -1;
        if (depth == phoneticDepth_) phoneticDepth_ = -1;
        const std::string_view name = stream_.LocalName();
        if (name == "c") out.push_back(U'\t');
        if (name == "row") out.push_back(U'\n');
      } else if (!stream_.IsText()) {
        continue;
      } else if (valueDepth_ >= 0) {
        Value(stream_.Value(), out);
      } else if (inlineDepth_ >= 0 && phoneticDepth_ < 0) {
        AppendUtf8(stream_.Value(), out);
      }
    }
    return XmlTextReader::Step::kMore;
  }

 private:
  void Value(std::string_view value, std::u32string& out) const {
    if (cellType_ == "b" || cellType_ == "e") return;
    if (cellType_ != "s") {
      AppendUtf8(value, out);
      return;
    }
    std::size_t index = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), index);
    if (ec == std::errc() && end == value.data() + value.size()) out.append(strings_.Get(index));
  }

  XmlStream& stream_;
  const SharedStrings& strings_;
  std::string cellType_;
  int valueDepth_ = -1, inlineDepth_ = -1, phoneticDepth_ = -1;
};

struct Part {
  std::string name;
  std::span<const XmlRule> rules;  // empty for a worksheet
};

class PackageFilter final : public ChunkTextFilter {
 public:
  PackageFilter(UniqueFd fd, PackageKind kind) : fd_(std::move(fd)), kind_(kind) {}

  std::int32_t Init() override {
    const std::string head = ReadHead(fd_.Get(), 8);
    if (IsCompoundFile(head)) {  // how Office stores a package protected by a password
      const bool encrypted = kind_ != PackageKind::kOpenDocument &&
                             CompoundFileHasEntry(fd_.Get(), "EncryptedPackage");
      return encrypted ? FILTER_E_PASSWORD : FILTER_E_UNKNOWNFORMAT;
    }
    if (!head.starts_with("PK")) return FILTER_E_UNKNOWNFORMAT;
    if (const std::int32_t rc = zip_.Open(fd_); rc != 0) return rc;
    return kind_ == PackageKind::kOpenDocument ? PlanOpenDocument() : PlanOfficeDocument();
  }

 private:
  std::int32_t PlanOpenDocument() {
    const std::string manifest = zip_.ReadMember("META-INF/manifest.xml", kIndexPartBudget);
    if (manifest.find("encryption-data") != std::string::npos) return FILTER_E_PASSWORD;
    if (!zip_.Has("content.xml")) return FILTER_E_UNKNOWNFORMAT;
    parts_.push_back({"content.xml", kOdfContentRules});
    parts_.push_back({"styles.xml", kOdfStylesRules});
    return 0;
  }

  std::int32_t PlanOfficeDocument() {
    std::string main;
    for (const Relationship& r : ReadRelationships(zip_, "")) {
      if (r.type == "officeDocument") main = r.target;
    }
    if (main.empty()) {
      main = kind_ == PackageKind::kWordprocessing ? "word/document.xml"
             : kind_ == PackageKind::kSpreadsheet  ? "xl/workbook.xml"
                                                   : "ppt/presentation.xml";
    }
    ZipMember probe;
    if (const std::int32_t rc = zip_.OpenMember(main, 0, probe); rc != 0) return rc;
    switch (kind_) {
      case PackageKind::kWordprocessing: {
        parts_.push_back({main, kWordRules});
        const std::vector<Relationship> rels = ReadRelationships(zip_, main);
        for (const char* type : {"header", "footer", "footnotes", "endnotes", "comments"}) {
          for (const Relationship& r : rels) {
            if (r.type == type) parts_.push_back({r.target, kWordRules});
          }
        }
        break;
      }
      case PackageKind::kSpreadsheet:
        for (const Relationship& r : ReadRelationships(zip_, main)) {
          if (r.type == "sharedStrings") strings_.Load(zip_, r.target);
        }
        for (std::string& sheet : ListedTargets(zip_, main, "sheet", "worksheet")) {
          parts_.push_back({std::move(sheet), {}});
        }
        break;
      default:
        for (std::string& slide : ListedTargets(zip_, main, "sldId", "slide")) {
          const std::vector<Relationship> rels = ReadRelationships(zip_, slide);
          parts_.push_back({std::move(slide), kSlideRules});
          for (const Relationship& r : rels) {
            if (r.type == "notesSlide") parts_.push_back({r.target, kSlideRules});
          }
        }
    }
    return 0;
  }

  std::int32_t NextChunk(ChunkKind& kind) override {
    text_.reset();
    sheet_.reset();
    xml_.reset();
    member_ = ZipMember();
    while (next_ < parts_.size()) {
      const Part& part = parts_[next_++];
      if (zip_.OpenMember(part.name, kTextPartBudget, member_) != 0) continue;
      xml_ = std::make_unique<XmlStream>(member_);
      if (part.rules.empty()) {
        sheet_.emplace(*xml_, strings_);
      } else {
        text_.emplace(*xml_, part.rules);
      }
      kind = ChunkKind::kText;
      return 0;
    }
    return FILTER_E_END_OF_CHUNKS;
  }

  Produced Produce(std::u32string& out) override {
    const XmlTextReader::Step step = sheet_ ? sheet_->Read(out, kStretch) : text_->Read(out, kStretch);
    return step == XmlTextReader::Step::kMore  ? Produced::kMore
           : step == XmlTextReader::Step::kEnd ? Produced::kEnd
                                               : Produced::kFailed;
  }

  UniqueFd fd_;
  PackageKind kind_;
  ZipArchive zip_;
  std::vector<Part> parts_;
  std::size_t next_ = 0;
  SharedStrings strings_;
  // The current part; declared in the order they depend on each other.
  ZipMember member_;
  std::unique_ptr<XmlStream> xml_;
  std::optional<XmlTextReader> text_;
  std::optional<SheetReader> sheet_;
};

}  // namespace

std::unique_ptr<DocumentFilter> MakePackageFilter(UniqueFd fd, PackageKind kind) {
  return std::make_unique<PackageFilter>(std::move(fd), kind);
}

}  // namespace vexa::intake
