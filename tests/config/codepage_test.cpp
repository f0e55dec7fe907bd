#include "config/codepage.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace vexa {
namespace {

TEST(CodePage, Utf8RoundTripIn1252) {
  const CodePage& cp = CodePage::Get(1252);
  const std::string bytes = cp.FromUtf8("Grüße € x");
  EXPECT_EQ(bytes,
            "Gr\xFC\xDF"
            "e \x80 x");
  EXPECT_EQ(cp.ToUtf8(bytes), "Grüße € x");
}

TEST(CodePage, MissingAndMalformedCharactersBecomeOneSpaceEach) {
  const CodePage& cp = CodePage::Get(1252);
  // Two CJK characters, a stray continuation byte, a truncated sequence at the end.
  EXPECT_EQ(cp.FromUtf8("a日本b\x80"
                        "c\xE2\x82"),
            "a  b c  ");
}

TEST(CodePage, UpperCasesTheCodePagesOwnLetters) {
  struct Case {
    int page;
    const char* utf8;
    const char* upper;
  } cases[] = {
      {1252, "abc àéœšÿ ß µ", "ABC ÀÉŒŠŸ ß µ"},  // ß and µ have no capital in 1252
      {1251, "привет ёж", "ПРИВЕТ ЁЖ"},
      {1250, "łódź", "ŁÓDŹ"},
  };
  for (const Case& c : cases) {
    const CodePage& cp = CodePage::Get(c.page);
    std::string bytes = cp.FromUtf8(c.utf8);
    cp.UpperCase(bytes);
    EXPECT_EQ(cp.ToUtf8(bytes), c.upper) << c.page;
  }
}

TEST(CodePage, RefusesUnknownAndMultiByteCodePages) {
  EXPECT_THROW(CodePage::Get(99999), std::runtime_error);
  EXPECT_THROW(CodePage::Get(932), std::runtime_error);
  EXPECT_EQ(&CodePage::Get(1252), &CodePage::Get(1252));
}

}  // namespace
}  // namespace vexa
