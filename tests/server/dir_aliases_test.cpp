// The alias file and PathToUrl: parsing rules, chaining, letter case and separators.
#include "server/dir_aliases.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

std::string Pairs(const DirAliases& aliases) {
  std::string out;
  for (const DirAlias& a : aliases) out += "(" + a.prefix + "|" + a.replacement + ")";
  return out;
}

TEST(DirAliases, ParsesOnePairPerLine) {
  struct Case {
    const char* text;
    const char* pairs;
  };
  for (const Case& c : std::vector<Case>{
           {"C:\\Docs /docs\n", "(C:\\Docs|/docs)"},
           {"C:\\Docs\t/docs\r\n", "(C:\\Docs|/docs)"},  // a tab separates like blanks
           {"  C:\\Docs  \t  /docs   extra fields\n", "(C:\\Docs|/docs)"},
           {"/only-prefix\n", "(/only-prefix|)"},
           {"# comment\n; comment\n   \n\t\n  #indented /x\n", ""},
           {"\"/home/ann/My Docs\" \"/my docs\"\n", "(/home/ann/My Docs|/my docs)"},
           {"\"\" /x\n", ""},  // an empty prefix adds nothing
           {"/a /b\n/b /c", "(/a|/b)(/b|/c)"},
       }) {
    EXPECT_EQ(Pairs(ParseAliases(c.text)), c.pairs) << c.text;
  }
}

TEST(DirAliases, PathToUrlReplacesPrefixesInTurn) {
  const DirAliases chain = {{"C:\\A", "D:\\B"}, {"D:\\B", "/b"}};
  const DirAliases docs = {{"C:\\Docs", "/docs"}, {"/home/jürgen/Ärger", "/ä"}};
  struct Case {
    const DirAliases* aliases;
    const char* path;
    const char* url;
  };
  for (const Case& c : std::vector<Case>{
           {&chain, "C:\\A\\x.txt", "/b/x.txt"},
           {&chain, "c:\\a\\x.txt", "/b/x.txt"},
           {&docs, "C:\\Docs\\a\\b.txt", "/docs/a/b.txt"},
           {&docs, "C:\\Other\\c.txt", "C:/Other/c.txt"},
           {&docs, "c:\\docsx\\d.txt", "/docsx/d.txt"},  // a plain prefix, not a folder
           {&docs, "/home/JÜRGEN/ärger/e.txt", "/ä/e.txt"},
           {&docs, "/home/jürgen/Ärg", "/home/jürgen/Ärg"},
       }) {
    EXPECT_EQ(PathToUrl(c.path, *c.aliases), c.url) << c.path;
  }
}

}  // namespace
}  // namespace vexa
