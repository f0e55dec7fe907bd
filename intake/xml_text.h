// The text of an XML document part (a word-processing body, a slide, an OpenDocument
// content file) taken by a table of rules on element local names.
//
// Rules: kText elements hold the text (when a table has any, text elsewhere is ignored);
// kScope elements bound where text counts at all (when a table has any); kSkip subtrees
// are never read for text; a kParagraph element ends with a line break; a kSeparator
// element stands for a blank (tab, line break, space marks). Names are compared without
// namespace prefixes, so one table reads both transitional and strict vocabularies.
//
// Thread-safety: a reader is used by one thread.
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

class XmlTextReader {
 public:
  enum class Step { kMore, kEnd, kFailed };

  // Reads `stream` (which must outlive the reader) by `rules` (static tables).
  XmlTextReader(XmlStream& stream, std::span<const XmlRule> rules);

  // Reads nodes until at least `want` characters were appended to `out` or the document
  // ends. kFailed: the XML is malformed or the member damaged at this point.
  Step Read(std::u32string& out, std::size_t want);

 private:
  const XmlRule* Find(std::string_view localName) const;

  XmlStream& stream_;
  std::span<const XmlRule> rules_;
  bool needsText_ = false, needsScope_ = false;
  int textDepth_ = -1, scopeDepth_ = -1, skipDepth_ = -1;  // open element depths, or -1
};

}  // namespace vexa::intake
