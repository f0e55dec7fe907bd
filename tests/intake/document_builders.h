// Small documents of every format the text filters read, built from scratch for the
// tests and the extraction benchmark: zip packages written with libzip, a compound file
// laid out by hand, PDF written object by object. Each builder returns the file's bytes.
//
// Thread-safety: pure functions.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vexa::test {

using ZipMembers = std::vector<std::pair<std::string, std::string>>;  // name, content

// A zip archive holding `members` in order, deflated.
std::string ZipBytes(const ZipMembers& members);

// A part a package's main part refers to: relationship type (last segment of the type
// URI, "header", "footnotes", ...), part name below "word/", and its whole XML.
struct RelatedPart {
  std::string type;
  std::string name;
  std::string xml;
};

// Inner XML of a w:p paragraph holding one run with `text` (XML-escaped by the caller).
std::string WordParagraph(const std::string& text);
// A word-processing package: `bodyXml` is the content of w:body; `parts` become related
// parts of the main document, listed in this order in its relationships.
std::string WordDocument(const std::string& bodyXml, const std::vector<RelatedPart>& parts = {});
// The XML of a header, footer or similar part holding one paragraph of `text`; `root`
// is the element name without prefix ("hdr", "ftr", "footnotes", "comments").
std::string WordStoryPart(const std::string& root, const std::string& text);

// A spreadsheet: each sheet is (part name below "xl/worksheets/", content of sheetData),
// listed in the workbook in this order; `shared` is the shared string table.
std::string Workbook(const std::vector<std::pair<std::string, std::string>>& sheets,
                     const std::vector<std::string>& shared);

// A presentation: each slide is (slide text, notes text or empty), listed in this order;
// part names are numbered in reverse, so part order differs from slide order.
std::string Presentation(const std::vector<std::pair<std::string, std::string>>& slides);

// An OpenDocument package: `bodyXml` is the content of office:body, `masterXml` that of
// office:master-styles in styles.xml. `encrypted` marks content.xml as encrypted in the
// manifest.
std::string OpenDocument(const std::string& bodyXml, const std::string& masterXml,
                         bool encrypted = false);

// A PDF with one page per text, each page's text written as lines of at most 80
// characters in Helvetica. `encrypted` adds a standard security handler whose user
// password is not empty.
std::string PdfDocument(const std::vector<std::string>& pageTexts, bool encrypted = false);

// A compound file (version 3, 512-byte sectors) whose directory lists the root and one
// empty stream per name.
std::string CompoundFile(const std::vector<std::string>& streamNames);

}  // namespace vexa::test
