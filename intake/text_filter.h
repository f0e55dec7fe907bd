// Document text extraction: the plain text of one file, in the index's code page.
//
// TFile_filter picks a filter by the file's extension (the user's own "Filters" first,
// then the built-in ones, see FORMATS.md), checks the file's first bytes where that is
// cheap, and reads the document's chunks in order. Each text chunk is taken in pieces of
// at most kPieceChars characters, each character converted to one byte of the code page
// (a character the code page lacks becomes a space), and everything is appended with
// nothing in between. The limit is tested only between pieces, so the text may exceed
// maxChars by up to kPieceChars - 1 characters; the rest of the document is never read.
//
// Result codes are signed 32-bit values: 0 for success, negative for failure. The three
// codes the run's report names are the platform's filter codes below; the kFilter* codes
// are this system's own. Nothing else is ever returned.
//
// Thread-safety: ExtractText keeps no state between calls; one TFile_filter may be used
// by one thread at a time, and separate objects in separate threads independently.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vexa {

class CodePage;

// The file cannot be opened or read (missing, a folder, no permission, not a regular file).
inline constexpr std::int32_t FILTER_E_ACCESS = static_cast<std::int32_t>(0x80041703);
// The document is encrypted or protected by a password.
inline constexpr std::int32_t FILTER_E_PASSWORD = static_cast<std::int32_t>(0x8004170B);
// No filter reads this type, or the file is not what its extension claims (or is too
// damaged to be opened at all).
inline constexpr std::int32_t FILTER_E_UNKNOWNFORMAT = static_cast<std::int32_t>(0x8004170C);

// This system's own codes (the customer bit 0x20000000 keeps them apart from the
// platform's). They are reported only when no text at all was obtained.
// A helper program could not be started or was killed by a signal.
inline constexpr std::int32_t kFilterHelperFailed = static_cast<std::int32_t>(0xA0041701);
// A helper program gave no text within its time limit and was stopped.
inline constexpr std::int32_t kFilterHelperTimeout = static_cast<std::int32_t>(0xA0041702);
// An unexpected failure of the extraction itself (for example, memory exhausted).
inline constexpr std::int32_t kFilterInternalError = static_cast<std::int32_t>(0xA0041703);

// A filter the user added in the configuration: files whose name matches `mask` (one or
// more wildcard masks separated by ";", matched without regard to case) are read by running
// `command`. The command line is split into arguments like a shell would split words
// (blanks separate, '…' and "…" quote, a backslash escapes), but no shell runs it; "%f" in
// it stands for the file's path ("%%" for a percent sign), and the path is added as the
// last argument when "%f" is missing. The program writes the text to its standard output.
struct UserFilter {
  std::string mask;
  std::string command;
};

class TFile_filter {
 public:
  // Characters per piece of text taken from a chunk.
  static constexpr std::size_t kPieceChars = 8192;
  // How long a helper program may run before it is stopped.
  static constexpr std::chrono::milliseconds kHelperTimeLimit{30000};

  // codePage must outlive the object. userFilters are tried before the built-in filters,
  // in order. helperTimeLimit bounds each helper program's run.
  explicit TFile_filter(const CodePage& codePage, std::vector<UserFilter> userFilters = {},
                        std::chrono::milliseconds helperTimeLimit = kHelperTimeLimit);

  // Sets `text` to the text of the file `fileName` (a path, UTF-8 or any bytes) in the
  // code page, reading until at least maxChars characters are gathered or the document
  // ends. Returns 0 when the document could be opened, whatever text it gave (possibly
  // none, or only the part read before a fault inside the document). Returns a negative
  // code with `text` empty when it could not be opened. Never throws.
  std::int32_t ExtractText(const std::string& fileName, std::string& text,
                           std::size_t maxChars) const;

 private:
  const CodePage& codePage_;
  std::vector<UserFilter> userFilters_;
  std::chrono::milliseconds helperTimeLimit_;
};

// The reason the run's report gives for a result code: "Access denied", "Protected by
// password", "The document format is not recognized", or for any other code, 0 included,
// "error code " and the code in upper-case hexadecimal without leading zeros.
std::string FilterErrorText(std::int32_t code);

}  // namespace vexa
