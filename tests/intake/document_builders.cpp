#include "document_builders.h"

#include <zip.h>

#include <cstdint>
#include <cstdio>
#include <stdexcept>

namespace vexa::test {
namespace {

constexpr const char* kXmlDeclaration =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr const char* kRelNs =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr const char* kWordNs = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr const char* kSheetNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr const char* kSlideNs = "http://schemas.openxmlformats.org/presentationml/2006/main";
constexpr const char* kDrawingNs = "http://schemas.openxmlformats.org/drawingml/2006/main";

struct Rel {
  std::string id, type, target;
};

std::string Relationships(const std::vector<Rel>& rels) {
  std::string xml =
      std::string(kXmlDeclaration) +
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  for (const Rel& r : rels) {
    xml += "<Relationship Id=\"" + r.id + "\" Type=\"" + kRelNs + "/" + r.type + "\" Target=\"" +
           r.target + "\"/>";
  }
  return xml + "</Relationships>";
}

std::string PackageRels(const std::string& mainPart) {
  return Relationships({{"rId1", "officeDocument", mainPart}});
}

std::string ContentTypes() {
  return std::string(kXmlDeclaration) +
         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
         "<Default Extension=\"xml\" ContentType=\"application/xml\"/></Types>";
}

std::string PdfEscape(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '(' || c == ')' || c == '\\') out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

void Put32(std::string& bytes, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(v >> (8 * i));
}

void Put16(std::string& bytes, std::size_t at, std::uint16_t v) {
  bytes[at] = static_cast<char>(v);
  bytes[at + 1] = static_cast<char>(v >> 8);
}

}  // namespace

std::string ZipBytes(const ZipMembers& members) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  if (buffer == nullptr) throw std::runtime_error("zip buffer");
  zip_source_keep(buffer);
  zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
  if (archive == nullptr) throw std::runtime_error("zip open");
  for (const auto& [name, content] : members) {
    zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
    if (source == nullptr || zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
      throw std::runtime_error("zip add " + name);
    }
  }
  if (zip_close(archive) != 0) throw std::runtime_error("zip close");
  std::string bytes;
  zip_stat_t st;
  if (zip_source_open(buffer) == 0) {
    if (zip_source_stat(buffer, &st) == 0) {
      bytes.resize(st.size);
      const zip_int64_t n = zip_source_read(buffer, bytes.data(), bytes.size());
      bytes.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
    }
    zip_source_close(buffer);
  }
  zip_source_free(buffer);
  return bytes;
}

std::string WordParagraph(const std::string& text) {
  return "<w:p><w:r><w:t xml:space=\"preserve\">" + text + "</w:t></w:r></w:p>";
}

std::string WordStoryPart(const std::string& root, const std::string& text) {
  return std::string(kXmlDeclaration) + "<w:" + root + " xmlns:w=\"" + kWordNs + "\">" +
         WordParagraph(text) + "</w:" + root + ">";
}

std::string WordDocument(const std::string& bodyXml, const std::vector<RelatedPart>& parts) {
  std::vector<Rel> rels;
  ZipMembers members = {
      {"[Content_Types].xml", ContentTypes()},
      {"_rels/.rels", PackageRels("word/document.xml")},
      {"word/document.xml",
       std::string(kXmlDeclaration) + "<w:document xmlns:w=\"" + kWordNs + "\" xmlns:r=\"" +
           kRelNs +
           "\" xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\">"
           "<w:body>" +
           bodyXml + "</w:body></w:document>"}};
  for (const RelatedPart& p : parts) {
    rels.push_back({"rId" + std::to_string(rels.size() + 1), p.type, p.name});
    members.emplace_back("word/" + p.name, p.xml);
  }
  members.emplace_back("word/_rels/document.xml.rels", Relationships(rels));
  return ZipBytes(members);
}

std::string Workbook(const std::vector<std::pair<std::string, std::string>>& sheets,
                     const std::vector<std::string>& shared) {
  std::string workbook = std::string(kXmlDeclaration) + "<workbook xmlns=\"" + kSheetNs +
                         "\" xmlns:r=\"" + kRelNs + "\"><sheets>";
  std::vector<Rel> rels = {{"rId0", "sharedStrings", "sharedStrings.xml"}};
  ZipMembers members = {{"[Content_Types].xml", ContentTypes()},
                        {"_rels/.rels", PackageRels("xl/workbook.xml")}};
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    const std::string id = "rId" + std::to_string(i + 1);
    workbook += "<sheet name=\"S" + std::to_string(i + 1) + "\" sheetId=\"" +
                std::to_string(i + 1) + "\" r:id=\"" + id + "\"/>";
    rels.push_back({id, "worksheet", "worksheets/" + sheets[i].first});
    members.emplace_back("xl/worksheets/" + sheets[i].first,
                         std::string(kXmlDeclaration) + "<worksheet xmlns=\"" + kSheetNs +
                             "\"><sheetData>" + sheets[i].second + "</sheetData></worksheet>");
  }
  std::string strings = std::string(kXmlDeclaration) + "<sst xmlns=\"" + kSheetNs + "\">";
  for (const std::string& s : shared) strings += "<si><t>" + s + "</t></si>";
  members.emplace_back("xl/workbook.xml", workbook + "</sheets></workbook>");
  members.emplace_back("xl/sharedStrings.xml", strings + "</sst>");
  members.emplace_back("xl/_rels/workbook.xml.rels", Relationships(rels));
  return ZipBytes(members);
}

std::string Presentation(const std::vector<std::pair<std::string, std::string>>& slides) {
  auto shapeText = [](const std::string& root, const std::string& text) {
    return std::string(kXmlDeclaration) + "<p:" + root + " xmlns:p=\"" + kSlideNs +
           "\" xmlns:a=\"" + kDrawingNs + "\"><p:cSld><p:spTree><p:sp><p:txBody><a:p><a:r><a:t>" +
           text + "</a:t></a:r></a:p></p:txBody></p:sp></p:spTree></p:cSld></p:" + root + ">";
  };
  std::string presentation = std::string(kXmlDeclaration) + "<p:presentation xmlns:p=\"" +
                             kSlideNs + "\" xmlns:r=\"" + kRelNs + "\"><p:sldIdLst>";
  std::vector<Rel> rels;
  ZipMembers members = {{"[Content_Types].xml", ContentTypes()},
                        {"_rels/.rels", PackageRels("ppt/presentation.xml")}};
  for (std::size_t i = 0; i < slides.size(); ++i) {
    const std::string number = std::to_string(slides.size() - i);  // reverse part order
    const std::string id = "rId" + std::to_string(i + 7);
    presentation += "<p:sldId id=\"" + std::to_string(256 + i) + "\" r:id=\"" + id + "\"/>";
    rels.push_back({id, "slide", "slides/slide" + number + ".xml"});
    members.emplace_back("ppt/slides/slide" + number + ".xml", shapeText("sld", slides[i].first));
    std::vector<Rel> slideRels;
    if (!slides[i].second.empty()) {
      slideRels.push_back({"rId1", "notesSlide", "../notesSlides/notesSlide" + number + ".xml"});
      members.emplace_back("ppt/notesSlides/notesSlide" + number + ".xml",
                           shapeText("notes", slides[i].second));
    }
    members.emplace_back("ppt/slides/_rels/slide" + number + ".xml.rels", Relationships(slideRels));
  }
  members.emplace_back("ppt/presentation.xml", presentation + "</p:sldIdLst></p:presentation>");
  members.emplace_back("ppt/_rels/presentation.xml.rels", Relationships(rels));
  return ZipBytes(members);
}

std::string OpenDocument(const std::string& bodyXml, const std::string& masterXml, bool encrypted) {
  const std::string ns =
      " xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
      " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
      " xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\""
      " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\""
      " xmlns:number=\"urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0\""
      " xmlns:dc=\"http://purl.org/dc/elements/1.1/\"";
  std::string manifest =
      std::string(kXmlDeclaration) +
      "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
      "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\">";
  if (encrypted) {
    manifest +=
        "<manifest:encryption-data manifest:checksum-type=\"SHA1/1K\" manifest:checksum=\"AAAA\"/>";
  }
  manifest += "</manifest:file-entry></manifest:manifest>";
  return ZipBytes({{"mimetype", "application/vnd.oasis.opendocument.text"},
                   {"content.xml", std::string(kXmlDeclaration) + "<office:document-content" + ns +
                                       "><office:automatic-styles><number:number-style>"
                                       "<number:text>StyleOnly</number:text></number:number-style>"
                                       "</office:automatic-styles><office:body>" +
                                       bodyXml + "</office:body></office:document-content>"},
                   {"styles.xml", std::string(kXmlDeclaration) + "<office:document-styles" + ns +
                                      "><office:master-styles>" + masterXml +
                                      "</office:master-styles></office:document-styles>"},
                   {"META-INF/manifest.xml", manifest}});
}

std::string PdfDocument(const std::vector<std::string>& pageTexts, bool encrypted) {
  // Objects: 1 catalog, 2 page tree, 3 font, 4 encryption, then a page and its contents
  // per text.
  std::vector<std::string> objects(4);
  std::string kids;
  for (std::size_t i = 0; i < pageTexts.size(); ++i) {
    const std::size_t page = 5 + 2 * i;
    kids += std::to_string(page) + " 0 R ";
    std::string content = "BT /F1 10 Tf 12 TL 40 760 Td";
    const std::string& text = pageTexts[i];
    for (std::size_t at = 0; at < text.size(); at += 80) {
      content += " (" + PdfEscape(text.substr(at, 80)) + ") Tj T*";
    }
    content += " ET";
    objects.push_back(
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 3 0 R >> "
        ">> /Contents " +
        std::to_string(page + 1) + " 0 R >>");
    objects.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content +
                      "\nendstream");
  }
  objects[0] = "<< /Type /Catalog /Pages 2 0 R >>";
  objects[1] =
      "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pageTexts.size()) + " >>";
  objects[2] = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";
  const std::string hash32(64, 'A');  // 32 bytes that match no password
  objects[3] = "<< /Filter /Standard /V 1 /R 2 /O <" + hash32 + "> /U <" + hash32 + "> /P -4 >>";

  std::string pdf = "%PDF-1.4\n";
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const std::size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (const std::size_t offset : offsets) {
    char line[24];
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
    pdf += line;
  }
  pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R";
  if (encrypted)
    pdf +=
        " /Encrypt 4 0 R /ID "
        "[<0123456789ABCDEF0123456789ABCDEF><0123456789ABCDEF0123456789ABCDEF>]";
  pdf += " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  return pdf;
}

std::string CompoundFile(const std::vector<std::string>& streamNames) {
  // Sector 0: the allocation table; sector 1: the directory (4 entries).
  if (streamNames.size() > 3) throw std::runtime_error("one directory sector holds 4 entries");
  std::string bytes(512 * 3, '\0');
  bytes.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  Put16(bytes, 0x18, 0x3E);    // minor version
  Put16(bytes, 0x1A, 3);       // major version
  Put16(bytes, 0x1C, 0xFFFE);  // byte order
  Put16(bytes, 0x1E, 9);       // 512-byte sectors
  Put16(bytes, 0x20, 6);       // 64-byte mini sectors
  Put32(bytes, 0x2C, 1);       // allocation table sectors
  Put32(bytes, 0x30, 1);       // first directory sector
  Put32(bytes, 0x38, 4096);    // mini stream cutoff
  Put32(bytes, 0x3C, 0xFFFFFFFE);
  Put32(bytes, 0x44, 0xFFFFFFFE);
  Put32(bytes, 0x4C, 0);  // the allocation table is sector 0
  for (std::size_t i = 1; i < 109; ++i) Put32(bytes, 0x4C + 4 * i, 0xFFFFFFFF);
  const std::size_t fat = 512, dir = 1024;
  for (std::size_t i = 0; i < 128; ++i) Put32(bytes, fat + 4 * i, 0xFFFFFFFF);
  Put32(bytes, fat, 0xFFFFFFFD);      // sector 0 holds the table
  Put32(bytes, fat + 4, 0xFFFFFFFE);  // sector 1, the directory, ends its chain
  std::vector<std::string> names = {"Root Entry"};
  names.insert(names.end(), streamNames.begin(), streamNames.end());
  for (std::size_t e = 0; e < names.size(); ++e) {
    const std::size_t at = dir + 128 * e;
    for (std::size_t k = 0; k < names[e].size(); ++k)
      Put16(bytes, at + 2 * k, static_cast<unsigned char>(names[e][k]));
    Put16(bytes, at + 0x40, static_cast<std::uint16_t>((names[e].size() + 1) * 2));
    bytes[at + 0x42] = e == 0 ? 5 : 2;  // root storage, or stream
    Put32(bytes, at + 0x44, 0xFFFFFFFF);
    Put32(bytes, at + 0x48, 0xFFFFFFFF);
    Put32(bytes, at + 0x4C, e == 0 && names.size() > 1 ? 1 : 0xFFFFFFFF);
    if (e > 0)
      Put32(bytes, at + 0x48,
            e + 1 < names.size() ? static_cast<std::uint32_t>(e + 1) : 0xFFFFFFFF);
    Put32(bytes, at + 0x74, 0xFFFFFFFE);  // no data
  }
  return bytes;
}

}  // namespace vexa::test
