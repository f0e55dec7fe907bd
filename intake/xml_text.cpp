#include "intake/xml_text.h"

#include <libxml/xmlreader.h>

#include "intake/text_decoding.h"

namespace vexa::intake {

XmlTextReader::XmlTextReader(XmlStream& stream, std::span<const XmlRule> rules)
    : stream_(stream), rules_(rules) {
  for (const XmlRule& r : rules_) {
    needsText_ = needsText_ || r.role == XmlRole::kText;
    needsScope_ = needsScope_ || r.role == XmlRole::kScope;
  }
}

const XmlRule* XmlTextReader::Find(std::string_view localName) const {
  for (const XmlRule& r : rules_) {
    if (r.localName == localName) return &r;
  }
  return nullptr;
}

XmlTextReader::Step XmlTextReader::Read(std::u32string& out, std::size_t want) {
  const std::size_t start = out.size();
  while (out.size() - start < want) {
    const int rc = stream_.Read();
    if (rc == 0) return Step::kEnd;
    if (rc < 0) return Step::kFailed;
    const int type = stream_.NodeType();
    const int depth = stream_.Depth();
    if (skipDepth_ >= 0) {  // inside a skipped subtree: wait for its end
      if (type == XML_READER_TYPE_END_ELEMENT && depth == skipDepth_) skipDepth_ = -1;
      continue;
    }
    const bool inScope = !needsScope_ || scopeDepth_ >= 0;
    switch (type) {
      case XML_READER_TYPE_ELEMENT: {
        const XmlRule* rule = Find(stream_.LocalName());
        if (rule == nullptr) break;
        const bool empty = stream_.IsEmptyElement();
        switch (rule->role) {
          case XmlRole::kSkip:
            if (!empty) skipDepth_ = depth;
            break;
          case XmlRole::kScope:
            if (!empty && scopeDepth_ < 0) scopeDepth_ = depth;
            break;
          case XmlRole::kText:
            if (!empty && textDepth_ < 0) textDepth_ = depth;
            break;
          case XmlRole::kParagraph:
            if (empty && inScope) out.push_back(U'\n');
            break;
          case XmlRole::kSeparator:
            if (inScope) out.push_back(U' ');
            break;
        }
        break;
      }
      case XML_READER_TYPE_END_ELEMENT:
        if (depth == textDepth_) textDepth_ = -1;
        if (depth == scopeDepth_) scopeDepth_ = -1;
        if (inScope) {
          const XmlRule* rule = Find(stream_.LocalName());
          if (rule != nullptr && rule->role == XmlRole::kParagraph) out.push_back(U'\n');
        }
        break;
      default:
        if (stream_.IsText() && inScope && (!needsText_ || textDepth_ >= 0)) {
          AppendUtf8(stream_.Value(), out);
        }
        break;
    }
  }
  return Step::kMore;
}

}  // namespace vexa::intake
