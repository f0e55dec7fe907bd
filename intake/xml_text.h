// The text of an XML document part (a word-processing body, a slide, an OpenDocument
// content file) taken by a table of rules on element local names.
//
// Rules: kText elements hold the text (when a table has any, text elsewhere is ignored);
// kScope elements bound where text counts at all (when a table has any); kSkip subtrees
// are never read for text; a kParagraph element ends with a line break; a kSeparator
// element stands for a blank (tab, line break, space marks). Names are compared without
// namespace prefixes, so one table reads both transitional and strict vocabularies.
//
// Thread-safety: a handler is used by one thread.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "intake/zip_package.h"

namespace vexa::intake {

enum class XmlRole { kText, kScope, kSkip, kParagraph, kSeparator };

struct XmlRule {
  std::string_view localName;
  XmlRole role;
};

// A handler that appends text to an output chosen between parse steps.
class XmlOutputHandler : public XmlHandler {
 public:
  // Where the text goes from now on (must outlive the calls that follow).
  void SetOutput(std::u32string& out) { out_ = &out; }

 protected:
  std::u32string* out_ = nullptr;
};

class XmlTextHandler final : public XmlOutputHandler {
 public:
  // `rules` is a static table.
  explicit XmlTextHandler(std::span<const XmlRule> rules);

  void StartElement(std::string_view localName, const XmlAttributes& attributes) override;
  void EndElement(std::string_view localName) override;
  void Characters(std::string_view utf8) override;

 private:
  const XmlRule* Find(std::string_view localName) const;
  bool InScope() const { return skipDepth_ < 0 && (!needsScope_ || scopeDepth_ >= 0); }

  std::span<const XmlRule> rules_;
  bool needsText_ = false, needsScope_ = false;
  int depth_ = 0;
  int textDepth_ = -1, scopeDepth_ = -1, skipDepth_ = -1;  // depths of open elements, or -1
};

}  // namespace vexa::intake
