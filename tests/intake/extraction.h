// Test fixture for text extraction: writes a document into a temporary folder, extracts
// it with TFile_filter in code page 1252, and reports the code with the text in UTF-8.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "config/codepage.h"
#include "intake/text_filter.h"
#include "support/temp_home.h"

namespace vexa::test {

struct Extraction {
  std::int32_t code = 0;
  std::string text;       // UTF-8
  std::size_t chars = 0;  // length of the code page text
};

// The first of `words` (UTF-8) not found in `text` after the previous one, or "" when
// all are there in this order.
inline std::string MissingInOrder(const std::string& text, const std::vector<std::string>& words) {
  std::size_t at = 0;
  for (const std::string& w : words) {
    const std::size_t found = text.find(w, at);
    if (found == std::string::npos) return w;
    at = found + w.size();
  }
  return "";
}

// The first of `words` found in `text`, or "".
inline std::string FirstPresent(const std::string& text, const std::vector<std::string>& words) {
  for (const std::string& w : words) {
    if (text.find(w) != std::string::npos) return w;
  }
  return "";
}

class ExtractionTest : public ::testing::Test {
 protected:
  const CodePage& codePage_ = CodePage::Get(1252);
  TempHome home_;

  // Writes `bytes` as the file `name` (relative to the temporary folder) and extracts it.
  Extraction Extract(const std::string& name, const std::string& bytes,
                     std::size_t maxChars = 1 << 20, std::vector<UserFilter> filters = {},
                     std::chrono::milliseconds timeLimit = TFile_filter::kHelperTimeLimit) {
    WriteFile(home_ / name, bytes);
    return ExtractPath((home_ / name).string(), maxChars, std::move(filters), timeLimit);
  }

  Extraction ExtractPath(const std::string& path, std::size_t maxChars = 1 << 20,
                         std::vector<UserFilter> filters = {},
                         std::chrono::milliseconds timeLimit = TFile_filter::kHelperTimeLimit) {
    const TFile_filter filter(codePage_, std::move(filters), timeLimit);
    std::string text = "stale";
    Extraction result;
    result.code = filter.ExtractText(path, text, maxChars);
    result.chars = text.size();
    result.text = codePage_.ToUtf8(text);
    if (result.code != 0) {
      EXPECT_EQ(text, "") << "a failure leaves no text";
    }
    return result;
  }
};

}  // namespace vexa::test
