#include "intake/text_filter.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <string_view>

#include "intake/document_file.h"
#include "intake/document_filter.h"
#include "intake/filters.h"
#include "intake/user_filters.h"
#include "intake/zip_package.h"

namespace vexa {
namespace {

using intake::DocumentFilter;
using intake::PackageKind;
using intake::UniqueFd;

enum class Format {
  kPlainText,
  kHtml,
  kRtf,
  kPackage,
  kPdf,
  kLegacyWord,
  kLegacySpreadsheet,
  kLegacyPresentation
};

struct Extension {
  std::string_view name;  // lower case, without the point
  Format format;
  PackageKind package = PackageKind::kWordprocessing;  // for Format::kPackage
};

// Sorted by name, for binary search.
constexpr auto kExtensions = std::to_array<Extension>({
    {"asc", Format::kPlainText},
    {"bat", Format::kPlainText},
    {"c", Format::kPlainText},
    {"cc", Format::kPlainText},
    {"cfg", Format::kPlainText},
    {"cmd", Format::kPlainText},
    {"conf", Format::kPlainText},
    {"cpp", Format::kPlainText},
    {"cs", Format::kPlainText},
    {"css", Format::kPlainText},
    {"csv", Format::kPlainText},
    {"cxx", Format::kPlainText},
    {"doc", Format::kLegacyWord},
    {"docm", Format::kPackage, PackageKind::kWordprocessing},
    {"docx", Format::kPackage, PackageKind::kWordprocessing},
    {"dot", Format::kLegacyWord},
    {"dotm", Format::kPackage, PackageKind::kWordprocessing},
    {"dotx", Format::kPackage, PackageKind::kWordprocessing},
    {"h", Format::kPlainText},
    {"hh", Format::kPlainText},
    {"hpp", Format::kPlainText},
    {"htm", Format::kHtml},
    {"html", Format::kHtml},
    {"ini", Format::kPlainText},
    {"java", Format::kPlainText},
    {"js", Format::kPlainText},
    {"json", Format::kPlainText},
    {"log", Format::kPlainText},
    {"markdown", Format::kPlainText},
    {"md", Format::kPlainText},
    {"nfo", Format::kPlainText},
    {"odg", Format::kPackage, PackageKind::kOpenDocument},
    {"odp", Format::kPackage, PackageKind::kOpenDocument},
    {"ods", Format::kPackage, PackageKind::kOpenDocument},
    {"odt", Format::kPackage, PackageKind::kOpenDocument},
    {"otg", Format::kPackage, PackageKind::kOpenDocument},
    {"otp", Format::kPackage, PackageKind::kOpenDocument},
    {"ots", Format::kPackage, PackageKind::kOpenDocument},
    {"ott", Format::kPackage, PackageKind::kOpenDocument},
    {"pdf", Format::kPdf},
    {"pl", Format::kPlainText},
    {"pot", Format::kLegacyPresentation},
    {"potm", Format::kPackage, PackageKind::kPresentation},
    {"potx", Format::kPackage, PackageKind::kPresentation},
    {"pps", Format::kLegacyPresentation},
    {"ppsm", Format::kPackage, PackageKind::kPresentation},
    {"ppsx", Format::kPackage, PackageKind::kPresentation},
    {"ppt", Format::kLegacyPresentation},
    {"pptm", Format::kPackage, PackageKind::kPresentation},
    {"pptx", Format::kPackage, PackageKind::kPresentation},
    {"ps1", Format::kPlainText},
    {"py", Format::kPlainText},
    {"rb", Format::kPlainText},
    {"rst", Format::kPlainText},
    {"rtf", Format::kRtf},
    {"sh", Format::kPlainText},
    {"shtml", Format::kHtml},
    {"sql", Format::kPlainText},
    {"srt", Format::kPlainText},
    {"tex", Format::kPlainText},
    {"text", Format::kPlainText},
    {"tsv", Format::kPlainText},
    {"txt", Format::kPlainText},
    {"xhtml", Format::kHtml},
    {"xls", Format::kLegacySpreadsheet},
    {"xlsm", Format::kPackage, PackageKind::kSpreadsheet},
    {"xlsx", Format::kPackage, PackageKind::kSpreadsheet},
    {"xlt", Format::kLegacySpreadsheet},
    {"xltm", Format::kPackage, PackageKind::kSpreadsheet},
    {"xltx", Format::kPackage, PackageKind::kSpreadsheet},
    {"xml", Format::kPlainText},
    {"yaml", Format::kPlainText},
    {"yml", Format::kPlainText},
});
static_assert(std::is_sorted(kExtensions.begin(), kExtensions.end(),
                             [](const Extension& a, const Extension& b) {
                               return a.name < b.name;
                             }));

// The format the file name's extension stands for, if any.
const Extension* FindExtension(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return nullptr;
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  });
  const auto it =
      std::lower_bound(kExtensions.begin(), kExtensions.end(), ext,
                       [](const Extension& e, const std::string& n) { return e.name < n; });
  return it != kExtensions.end() && it->name == ext ? &*it : nullptr;
}

// The helper program of a legacy Office format, run on `path`.
std::vector<std::string> LegacyHelper(Format format, const std::string& path) {
  const std::string file = intake::PathArgument(path);
  switch (format) {
    case Format::kLegacyWord:
      return {"antiword", "-m", "UTF-8.txt", "-w", "0", file};
    case Format::kLegacySpreadsheet:
      return {"xls2csv", "-q", "0", "-d", "utf-8", file};
    default:
      return {"catppt", "-d", "utf-8", file};
  }
}

}  // namespace

TFile_filter::TFile_filter(const CodePage& codePage, std::vector<UserFilter> userFilters,
                           std::chrono::milliseconds helperTimeLimit)
    : codePage_(codePage),
      userFilters_(std::move(userFilters)),
      helperTimeLimit_(helperTimeLimit) {}

std::int32_t TFile_filter::ExtractText(const std::string& fileName, std::string& text,
                                       std::size_t maxChars) const {
  text.clear();
  const intake::QuietXmlErrors quiet;
  std::unique_ptr<DocumentFilter> filter;
  try {
    const UserFilter* user = intake::FindUserFilter(userFilters_, fileName);
    const Extension* ext = user == nullptr ? FindExtension(fileName) : nullptr;
    if (user == nullptr && ext == nullptr) return FILTER_E_UNKNOWNFORMAT;
    UniqueFd fd;
    if (const std::int32_t rc = intake::OpenDocumentFile(fileName, fd); rc != 0) return rc;
    if (user != nullptr) {
      filter = intake::MakeHelperFilter(intake::CommandArguments(user->command, fileName),
                                        codePage_, helperTimeLimit_);
    } else {
      switch (ext->format) {
        case Format::kPlainText:
          filter = intake::MakePlainTextFilter(std::move(fd), codePage_);
          break;
        case Format::kHtml:
          filter = intake::MakeHtmlFilter(std::move(fd), codePage_);
          break;
        case Format::kRtf:
          filter = intake::MakeRtfFilter(std::move(fd));
          break;
        case Format::kPackage:
          filter = intake::MakePackageFilter(std::move(fd), ext->package);
          break;
        case Format::kPdf:
          filter = intake::MakePdfFilter(std::move(fd), fileName);
          break;
        default: {
          // Word and Excel often save RTF under a legacy extension.
          const std::string head = intake::ReadHead(fd.Get(), 8);
          if (head.starts_with("{\\rtf")) {
            filter = intake::MakeRtfFilter(std::move(fd));
          } else if (intake::IsCompoundFile(head)) {
            filter = intake::MakeHelperFilter(LegacyHelper(ext->format, fileName), codePage_,
                                              helperTimeLimit_);
          } else {
            return FILTER_E_UNKNOWNFORMAT;
          }
        }
      }
    }
    if (const std::int32_t rc = filter->Init(); rc != 0) return rc;
  } catch (...) {
    return kFilterInternalError;
  }
  try {
    intake::ReadFilterText(*filter, codePage_, text, maxChars);
  } catch (...) {
    // A fault inside the document: what was read so far stands.
  }
  return 0;
}

std::string FilterErrorText(std::int32_t code) {
  switch (code) {
    case FILTER_E_ACCESS:
      return "Access denied";
    case FILTER_E_PASSWORD:
      return "Protected by password";
    case FILTER_E_UNKNOWNFORMAT:
      return "The document format is not recognized";
    default: {
      char buffer[32];
      std::snprintf(buffer, sizeof buffer, "error code %X", static_cast<std::uint32_t>(code));
      return buffer;
    }
  }
}

}  // namespace vexa
