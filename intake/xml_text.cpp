#include "intake/xml_text.h"

#include "intake/text_decoding.h"

namespace vexa::intake {

XmlTextHandler::XmlTextHandler(std::span<const XmlRule> rules) : rules_(rules) {
  for (const XmlRule& r : rules_) {
    needsText_ = needsText_ || r.role == XmlRole::kText;
    needsScope_ = needsScope_ || r.role == XmlRole::kScope;
  }
}

const XmlRule* XmlTextHandler::Find(std::string_view localName) const {
  for (const XmlRule& r : rules_) {
    if (r.localName == localName) return &r;
  }
  return nullptr;
}

void XmlTextHandler::StartElement(std::string_view localName, const XmlAttributes&) {
  ++depth_;
  const XmlRule* rule = Find(localName);
  if (rule == nullptr || skipDepth_ >= 0) return;
  switch (rule->role) {
    case XmlRole::kSkip:
      skipDepth_ = depth_;
      break;
    case XmlRole::kScope:
      if (scopeDepth_ < 0) scopeDepth_ = depth_;
      break;
    case XmlRole::kText:
      if (textDepth_ < 0) textDepth_ = depth_;
      break;
    case XmlRole::kSeparator:
      if (InScope()) out_->push_back(U' ');
      break;
    case XmlRole::kParagraph:
      break;
  }
}

void XmlTextHandler::EndElement(std::string_view localName) {
  if (depth_ == skipDepth_) {
    skipDepth_ = -1;
  } else if (InScope()) {
    const XmlRule* rule = Find(localName);
    if (rule != nullptr && rule->role == XmlRole::kParagraph) out_->push_back(U'\n');
  }
  if (depth_ == textDepth_) textDepth_ = -1;
  if (depth_ == scopeDepth_) scopeDepth_ = -1;
  --depth_;
}

void XmlTextHandler::Characters(std::string_view utf8) {
  if (InScope() && (!needsText_ || textDepth_ >= 0)) AppendUtf8(utf8, *out_);
}

}  // namespace vexa::intake
