#include "config/xml_tree.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <memory>
#include <mutex>

#include "config/utf8.h"

namespace vexa {

XmlElement* XmlElement::Find(std::string_view wanted) {
  for (XmlElement& child : children)
    if (child.kind == Kind::kElement && child.name == wanted) return &child;
  return nullptr;
}

const XmlElement* XmlElement::Find(std::string_view wanted) const {
  return const_cast<XmlElement*>(this)->Find(wanted);
}

XmlElement& XmlElement::Add(std::string child_name, std::string child_text) {
  XmlElement& child = children.emplace_back();
  child.name = std::move(child_name);
  child.text = std::move(child_text);
  return child;
}

XmlElement& XmlElement::Obtain(std::string_view wanted) {
  if (XmlElement* found = Find(wanted)) return *found;
  return Add(std::string(wanted));
}

void XmlElement::SetAttribute(std::string_view attribute, std::string value) {
  for (auto& [key, old] : attributes)
    if (key == attribute) {
      old = std::move(value);
      return;
    }
  attributes.emplace_back(std::string(attribute), std::move(value));
}

XmlDocument NewXmlDocument(std::string root_name, std::string comment) {
  XmlDocument document;
  document.comments_before.push_back(std::move(comment));
  document.root.name = std::move(root_name);
  return document;
}

// ---------------------------------------------------------------------------------------
// Parsing

namespace {

struct DocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
struct ParserFree {
  void operator()(xmlParserCtxt* ctxt) const { xmlFreeParserCtxt(ctxt); }
};
struct XmlCharFree {
  void operator()(xmlChar* text) const { xmlFree(text); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;
using ParserPtr = std::unique_ptr<xmlParserCtxt, ParserFree>;
using XmlCharPtr = std::unique_ptr<xmlChar, XmlCharFree>;

std::string ToString(const xmlChar* text) {
  return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

std::string QualifiedName(const xmlNode* node) {
  std::string name = ToString(node->name);
  if (node->ns && node->ns->prefix) name = ToString(node->ns->prefix) + ":" + name;
  return name;
}

bool IsBlank(std::string_view text) {
  return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

void ConvertElement(const xmlNode* node, XmlElement& out) {
  out.name = QualifiedName(node);
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    const XmlCharPtr value(xmlNodeListGetString(node->doc, a->children, 1));
    out.attributes.emplace_back(ToString(a->name), ToString(value.get()));
  }
  bool has_elements = false;
  for (const xmlNode* child = node->children; child; child = child->next) {
    switch (child->type) {
      case XML_ELEMENT_NODE:
        has_elements = true;
        ConvertElement(child, out.Add({}));
        break;
      case XML_TEXT_NODE:
      case XML_CDATA_SECTION_NODE:
        out.text += ToString(child->content);
        break;
      case XML_COMMENT_NODE:
        out.children.push_back({XmlElement::Kind::kComment, {}, ToString(child->content), {}, {}});
        break;
      default:  // entity references, processing instructions: not part of our files
        break;
    }
  }
  if (has_elements && IsBlank(out.text)) out.text.clear();
}

void InitLibxml() {
  // libxml2 wants its global state set up once before it is used from several threads.
  static std::once_flag once;
  std::call_once(once, [] { xmlInitParser(); });
}

}  // namespace

XmlDocument ParseXml(std::string_view bytes, std::string_view source) {
  InitLibxml();
  if (bytes.size() > static_cast<std::size_t>(INT32_MAX))
    throw XmlError(std::string(source) + ": file too large");
  const ParserPtr parser(xmlNewParserCtxt());
  if (!parser) throw XmlError(std::string(source) + ": out of memory");
  // No network, no external entities (their substitution is off by default), and the
  // parser's own printing to stderr silenced: its error is reported through XmlError.
  const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
  const DocPtr doc(xmlCtxtReadMemory(parser.get(), bytes.data(), static_cast<int>(bytes.size()),
                                     nullptr, nullptr, options));
  const xmlNode* root = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
  if (!root) {
    const xmlError* error = xmlCtxtGetLastError(parser.get());
    std::string message = error && error->message ? error->message : "no root element";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
      message.pop_back();
    const int line = error ? error->line : 0;
    throw XmlError(std::string(source) + " (line " + std::to_string(line) + "): " + message);
  }
  XmlDocument document;
  bool before = true;
  for (const xmlNode* node = doc->children; node; node = node->next) {
    if (node == root)
      before = false;
    else if (node->type == XML_COMMENT_NODE)
      (before ? document.comments_before : document.comments_after)
          .push_back(ToString(node->content));
  }
  ConvertElement(root, document.root);
  return document;
}

// ---------------------------------------------------------------------------------------
// Writing

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kReplacement[] = "\xEF\xBF\xBD";

// Appends `text` escaped for an element value (or, with `attribute`, an attribute value,
// where tab and LF must be character references to survive normalisation).
void AppendEscaped(std::string& out, std::string_view text, bool attribute) {
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp;
    const std::size_t length = DecodeUtf8(text.substr(i), cp);
    if (length == 0) {
      out += kReplacement;
      ++i;
      continue;
    }
    switch (cp) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      case '\r':
        out += "&#13;";
        break;
      case '\n':
        out += attribute ? "&#10;" : "\n";
        break;
      case '\t':
        out += attribute ? "&#9;" : "\t";
        break;
      default:
        if (cp < 0x20) break;  // not representable in XML 1.0
        if (cp == 0xFFFE || cp == 0xFFFF)
          out += kReplacement;
        else
          out.append(text.substr(i, length));
    }
    i += length;
  }
}

void AppendComment(std::string& out, const std::string& indent, std::string_view text) {
  out += indent;
  out += "<!--";
  out += text;
  out += "-->";
  out += kLineEnd;
}

void AppendElement(std::string& out, const XmlElement& element, int depth) {
  const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
  if (element.kind == XmlElement::Kind::kComment) {
    AppendComment(out, indent, element.text);
    return;
  }
  out += indent;
  out += '<';
  out += element.name;
  for (const auto& [name, value] : element.attributes) {
    out += ' ';
    out += name;
    out += "=\"";
    AppendEscaped(out, value, true);
    out += '"';
  }
  if (element.children.empty() && element.text.empty()) {
    out += "/>";
    out += kLineEnd;
    return;
  }
  out += '>';
  AppendEscaped(out, element.text, false);
  if (!element.children.empty()) {
    out += kLineEnd;
    for (const XmlElement& child : element.children) AppendElement(out, child, depth + 1);
    out += indent;
  }
  out += "</";
  out += element.name;
  out += '>';
  out += kLineEnd;
}

}  // namespace

std::string SerializeXml(const XmlDocument& document) {
  std::string out = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
  out += kLineEnd;
  for (const std::string& comment : document.comments_before) AppendComment(out, "", comment);
  AppendElement(out, document.root, 0);
  for (const std::string& comment : document.comments_after) AppendComment(out, "", comment);
  return out;
}

}  // namespace vexa
