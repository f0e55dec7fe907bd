// Office Open XML (word processing, spreadsheet, presentation) and OpenDocument packages.
// Parts are found through the package relationships and read in document order, one chunk
// per part; see FORMATS.md for which parts each kind reads.

#include <array>
#include <charconv>
#include <span>
#include <unordered_map>
#include <utility>

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
                                                {"Fallback", XmlRole::kSkip},    // twin of Choice
                                                {"moveFrom", XmlRole::kSkip}}};  // also in moveTo
constexpr std::array<XmlRule, 4> kSlideRules = {{{"t", XmlRole::kText},
                                                 {"p", XmlRole::kParagraph},
                                                 {"br", XmlRole::kSeparator},
                                                 {"Fallback", XmlRole::kSkip}}};
// Both OpenDocument parts: the body holds the text of content.xml, the page headers and
// footers that of styles.xml (neither part has the other's scope elements).
constexpr std::array<XmlRule, 15> kOdfRules = {{{"body", XmlRole::kScope},
                                                {"header", XmlRole::kScope},
                                                {"footer", XmlRole::kScope},
                                                {"header-left", XmlRole::kScope},
                                                {"footer-left", XmlRole::kScope},
                                                {"header-first", XmlRole::kScope},
                                                {"footer-first", XmlRole::kScope},
                                                {"p", XmlRole::kParagraph},
                                                {"h", XmlRole::kParagraph},
                                                {"tab", XmlRole::kSeparator},
                                                {"s", XmlRole::kSeparator},
                                                {"line-break", XmlRole::kSeparator},
                                                {"tracked-changes", XmlRole::kSkip},
                                                {"creator", XmlRole::kSkip},
                                                {"date", XmlRole::kSkip}}};

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

// Reads a whole small part with `handler`; false when it is missing or malformed.
bool ParseIndexPart(const ZipArchive& zip, const std::string& part, XmlHandler& handler) {
  ZipMember member;
  if (zip.OpenMember(part, kIndexPartBudget, member) != 0) return false;
  XmlPartParser parser(member, handler);
  return parser.ParseAll();
}

// Element handlers that need only the start of elements.
class StartHandler : public XmlHandler {
 public:
  void EndElement(std::string_view) override {}
  void Characters(std::string_view) override {}
};

// The relationships of `part` ("" for the package itself), in file order.
std::vector<Relationship> ReadRelationships(const ZipArchive& zip, const std::string& part) {
  class Handler final : public StartHandler {
   public:
    Handler(const std::string& source, std::vector<Relationship>& rels)
        : source_(source), rels_(rels) {}
    void StartElement(std::string_view name, const XmlAttributes& a) override {
      if (name != "Relationship" || a.Get("TargetMode") == "External") return;
      const std::string_view type = a.Get("Type");
      rels_.push_back({std::string(a.Get("Id")), std::string(type.substr(type.rfind('/') + 1)),
                       ResolvePart(source_, a.Get("Target"))});
    }

   private:
    const std::string& source_;
    std::vector<Relationship>& rels_;
  };
  const std::size_t slash = part.rfind('/');
  const std::string name =
      part.empty() ? "_rels/.rels"
                   : FolderOf(part) + "_rels/" +
                         part.substr(slash == std::string::npos ? 0 : slash + 1) + ".rels";
  std::vector<Relationship> rels;
  Handler handler(part, rels);
  ParseIndexPart(zip, name, handler);
  return rels;
}

// Targets of the relationships of one type, in order of the ids that `listPart` lists in
// its `element` elements (sheets of a workbook, slides of a presentation).
std::vector<std::string> ListedTargets(const ZipArchive& zip, const std::string& listPart,
                                       std::string_view element, std::string_view type) {
  class Handler final : public StartHandler {
   public:
    Handler(std::string_view element, std::unordered_map<std::string, std::string> targets,
            std::vector<std::string>& listed)
        : element_(element), targets_(std::move(targets)), listed_(listed) {}
    void StartElement(std::string_view name, const XmlAttributes& a) override {
      if (name != element_) return;
      const auto it = targets_.find(std::string(a.Get("id", true)));
      if (it != targets_.end()) listed_.push_back(it->second);
    }

   private:
    std::string_view element_;
    std::unordered_map<std::string, std::string> targets_;  // relationship id -> part
    std::vector<std::string>& listed_;
  };
  std::unordered_map<std::string, std::string> targets;
  for (Relationship& r : ReadRelationships(zip, listPart)) {
    if (r.type == type) targets.emplace(std::move(r.id), std::move(r.target));
  }
  std::vector<std::string> listed;
  Handler handler(element, std::move(targets), listed);
  ParseIndexPart(zip, listPart, handler);
  return listed;
}

// A spreadsheet's shared strings, read from their part only as far as the cells ask for
// them (spreadsheets list them in order of first use), within the bounds above.
class SharedStrings final : public XmlHandler {
 public:
  // Starts on the table in `part` of `zip` (which must outlive this object).
  void Open(const ZipArchive& zip, const std::string& part) {
    if (zip.OpenMember(part, kTextPartBudget, member_) == 0) {
      parser_ = std::make_unique<XmlPartParser>(member_, *this);
    }
  }

  // String `index`, empty when there is none.
  std::u32string_view Get(std::size_t index) {
    // String `index` is complete once the next one has begun or the table has ended.
    while (parser_ != nullptr && starts_.size() <= index + 1 &&
           starts_.size() < kMaxSharedStrings) {
      if (parser_->Parse() != XmlPartParser::Step::kMore) parser_.reset();
    }
    if (index >= starts_.size()) return {};
    const std::size_t end = index + 1 < starts_.size() ? starts_[index + 1] : pool_.size();
    return std::u32string_view(pool_).substr(starts_[index], end - starts_[index]);
  }

  void StartElement(std::string_view name, const XmlAttributes&) override {
    ++depth_;
    if (name == "si" && starts_.size() < kMaxSharedStrings) starts_.push_back(pool_.size());
    if (name == "t" && textDepth_ < 0) textDepth_ = depth_;
    if (name == "rPh" && phoneticDepth_ < 0) phoneticDepth_ = depth_;  // reading aids
  }
  void EndElement(std::string_view) override {
    if (depth_ == textDepth_) textDepth_ = -1;
    if (depth_ == phoneticDepth_) phoneticDepth_ = -1;
    --depth_;
  }
  void Characters(std::string_view utf8) override {
    if (textDepth_ >= 0 && phoneticDepth_ < 0 && !starts_.empty() &&
        pool_.size() < kMaxSharedChars) {
      AppendUtf8(utf8, pool_);
    }
  }

 private:
  std::u32string pool_;
  std::vector<std::size_t> starts_;
  int depth_ = 0, textDepth_ = -1, phoneticDepth_ = -1;
  ZipMember member_;
  std::unique_ptr<XmlPartParser> parser_;
};

// Cell values of one worksheet: a tab after each cell, a line break after each row.
// Shared strings are looked up, inline strings and numbers taken as written, Boolean and
// error cells and formulas left out.
class SheetHandler final : public XmlOutputHandler {
 public:
  explicit SheetHandler(SharedStrings& strings) : strings_(strings) {}

  void StartElement(std::string_view name, const XmlAttributes& a) override {
    ++depth_;
    if (name == "c") cellType_ = a.Get("t");
    if (name == "v") valueDepth_ = depth_;
    if (name == "is") inlineDepth_ = depth_;
    if (name == "rPh" && phoneticDepth_ < 0) phoneticDepth_ = depth_;
    value_.clear();
  }
  void EndElement(std::string_view name) override {
    if (depth_ == valueDepth_) {
      Value();
      valueDepth_ = -1;
    }
    if (depth_ == inlineDepth_) inlineDepth_ = -1;
    if (depth_ == phoneticDepth_) phoneticDepth_ = -1;
    --depth_;
    if (name == "c") out_->push_back(U'\t');
    if (name == "row") out_->push_back(U'\n');
  }
  void Characters(std::string_view utf8) override {
    if (valueDepth_ >= 0) {
      if (value_.size() < kMaxValue) value_.append(utf8);
    } else if (inlineDepth_ >= 0 && phoneticDepth_ < 0) {
      AppendUtf8(utf8, *out_);
    }
  }

 private:
  static constexpr std::size_t kMaxValue = 1024;  // numbers and indexes are short

  void Value() {
    if (cellType_ == "b" || cellType_ == "e") return;
    if (cellType_ != "s") {
      AppendUtf8(value_, *out_);
      return;
    }
    std::size_t index = 0;
    const auto [end, ec] = std::from_chars(value_.data(), value_.data() + value_.size(), index);
    if (ec == std::errc() && end == value_.data() + value_.size())
      out_->append(strings_.Get(index));
  }

  SharedStrings& strings_;
  std::string cellType_, value_;
  int depth_ = 0, valueDepth_ = -1, inlineDepth_ = -1, phoneticDepth_ = -1;
};

struct Part {
  std::string name;
  std::span<const XmlRule> rules;  // empty for a worksheet
  bool notesFollow = false;        // a slide: its notes come next
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
    parts_.push_back({"content.xml", kOdfRules});
    parts_.push_back({"styles.xml", kOdfRules});
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
          if (r.type == "sharedStrings") strings_.Open(zip_, r.target);
        }
        for (std::string& sheet : ListedTargets(zip_, main, "sheet", "worksheet")) {
          parts_.push_back({std::move(sheet), {}});
        }
        break;
      default:
        for (std::string& slide : ListedTargets(zip_, main, "sldId", "slide")) {
          parts_.push_back({std::move(slide), kSlideRules, true});
        }
    }
    return 0;
  }

  std::int32_t NextChunk(ChunkKind& kind) override {
    parser_.reset();
    handler_.reset();
    member_ = ZipMember();
    while (next_ < parts_.size() || !notes_.empty()) {
      Part part;
      if (!notes_.empty()) {
        part = {std::exchange(notes_, {}), kSlideRules};
      } else {
        part = parts_[next_++];
        if (part.notesFollow) {  // looked up only now: a large presentation starts at once
          for (const Relationship& r : ReadRelationships(zip_, part.name)) {
            if (r.type == "notesSlide" && notes_.empty()) notes_ = r.target;
          }
        }
      }
      if (zip_.OpenMember(part.name, kTextPartBudget, member_) != 0) continue;
      if (part.rules.empty()) {
        handler_ = std::make_unique<SheetHandler>(strings_);
      } else {
        handler_ = std::make_unique<XmlTextHandler>(part.rules);
      }
      parser_ = std::make_unique<XmlPartParser>(member_, *handler_);
      kind = ChunkKind::kText;
      return 0;
    }
    return FILTER_E_END_OF_CHUNKS;
  }

  Produced Produce(std::u32string& out) override {
    handler_->SetOutput(out);
    const std::size_t start = out.size();
    XmlPartParser::Step step = XmlPartParser::Step::kMore;
    while (step == XmlPartParser::Step::kMore && out.size() - start < kStretch)
      step = parser_->Parse();
    return step == XmlPartParser::Step::kMore  ? Produced::kMore
           : step == XmlPartParser::Step::kEnd ? Produced::kEnd
                                               : Produced::kFailed;
  }

  UniqueFd fd_;
  PackageKind kind_;
  ZipArchive zip_;
  std::vector<Part> parts_;
  std::size_t next_ = 0;
  std::string notes_;  // the notes part to read next, if any
  SharedStrings strings_;
  // The current part; declared in the order they depend on each other.
  ZipMember member_;
  std::unique_ptr<XmlOutputHandler> handler_;
  std::unique_ptr<XmlPartParser> parser_;
};

}  // namespace

std::unique_ptr<DocumentFilter> MakePackageFilter(UniqueFd fd, PackageKind kind) {
  return std::make_unique<PackageFilter>(std::move(fd), kind);
}

}  // namespace vexa::intake
