// A small XML element tree with the one byte layout all our XML files share: the
// configuration file, profile files and the XML result document.
//
// Layout written by SerializeXml: the UTF-8 byte-order mark; the declaration
// <?xml version="1.0" encoding="UTF-8"?>; the document's top-level comments; the root;
// every element and comment on its own line, indented by two blanks per level, each line
// ending in CR LF; an element with a value as start tag, value and end tag on one line,
// one with neither value nor children as a self-closing tag; attributes as a blank,
// name, "=" and the value in double quotes; texts escaped with the five predefined
// entities. Text is UTF-8 throughout.
//
// ParseXml reads any encoding the file declares (libxml2), never touches the network and
// expands no external entity. Whitespace-only text between child elements is dropped.
// Thread-safety: distinct trees may be used from different threads; ParseXml and
// SerializeXml are reentrant.
#pragma once

#include <list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vexa {

// An element or a comment. Children live in a std::list so that references to them stay
// valid while siblings are added or removed.
struct XmlElement {
  enum class Kind { kElement, kComment };

  Kind kind = Kind::kElement;
  std::string name;  // empty for a comment
  std::string text;  // the element's value, or the comment's text
  std::vector<std::pair<std::string, std::string>> attributes;
  std::list<XmlElement> children;

  // The first child element called `name`, or null.
  XmlElement* Find(std::string_view name);
  const XmlElement* Find(std::string_view name) const;
  // Appends a child element and returns it.
  XmlElement& Add(std::string name, std::string text = {});
  // The first child element called `name`, appended when missing.
  XmlElement& Obtain(std::string_view name);
  // Sets an attribute, keeping its position when it exists already.
  void SetAttribute(std::string_view name, std::string value);
};

// A whole document: the comments before and after the root, and the root.
struct XmlDocument {
  std::vector<std::string> comments_before;
  XmlElement root;
  std::vector<std::string> comments_after;
};

// A document that is not well-formed XML. what() names the file, line and parser message.
class XmlError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A new document with the root `root_name` and one comment before it.
XmlDocument NewXmlDocument(std::string root_name, std::string comment);

// Parses the bytes of an XML file. `source` names it in error messages. Throws XmlError.
XmlDocument ParseXml(std::string_view bytes, std::string_view source);

// The file bytes of a document in the layout above. Characters XML cannot hold (control
// characters other than tab, LF and CR) are dropped and malformed UTF-8 bytes become
// U+FFFD, so that whatever the programs store the file stays readable; CR is written as
// "&#13;" so that it survives the parser's line-end normalisation.
std::string SerializeXml(const XmlDocument& document);

}  // namespace vexa
