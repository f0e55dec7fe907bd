// The built-in filters and the helper-program filter, one factory each.
//
// Every factory takes the document already opened (see OpenDocumentFile); the filter's
// Init then checks that the content is what the filter reads and returns
// FILTER_E_UNKNOWNFORMAT when it is not, FILTER_E_PASSWORD for a protected document.
// Formats and their rules are listed in FORMATS.md.
//
// Thread-safety: each filter object is used by one thread.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "intake/document_file.h"
#include "intake/document_filter.h"

namespace vexa {
class CodePage;
}

namespace vexa::intake {

// Plain text: BOM, UTF-8 or the code page (TextDecoder). A file without a byte-order
// mark whose first block holds a NUL byte is binary and not read.
std::unique_ptr<DocumentFilter> MakePlainTextFilter(UniqueFd fd, const CodePage& codePage);

// HTML: title and body text through libxml2's HTML parser, fed block by block.
std::unique_ptr<DocumentFilter> MakeHtmlFilter(UniqueFd fd, const CodePage& codePage);

// RTF (RtfParser). The file must begin with "{\rtf".
std::unique_ptr<DocumentFilter> MakeRtfFilter(UniqueFd fd);

enum class PackageKind { kWordprocessing, kSpreadsheet, kPresentation, kOpenDocument };
// Office Open XML and OpenDocument packages.
std::unique_ptr<DocumentFilter> MakePackageFilter(UniqueFd fd, PackageKind kind);

// PDF through poppler: one chunk per page. `path` is the document's path (poppler opens
// the file itself); `fd` is the same file, used for the header check.
std::unique_ptr<DocumentFilter> MakePdfFilter(UniqueFd fd, std::string path);

// A helper program run with `argv` (argv[0] looked up in PATH) whose standard output is
// the document's text, read as plain text is. A missing program gives
// FILTER_E_UNKNOWNFORMAT; a program that ends without output and mentions encryption or
// a password on its error output gives FILTER_E_PASSWORD; one that ends without output
// and with an error gives FILTER_E_UNKNOWNFORMAT. The program is stopped after
// `timeLimit`, and when the reader no longer wants its output.
std::unique_ptr<DocumentFilter> MakeHelperFilter(std::vector<std::string> argv,
                                                 const CodePage& codePage,
                                                 std::chrono::milliseconds timeLimit);

}  // namespace vexa::intake
