#include "config/config_store.h"
#include "extraction.h"
#include "intake/user_filters.h"

namespace vexa::test {
namespace {

using namespace std::chrono_literals;

class HelperFilterTest : public ExtractionTest {};

TEST_F(HelperFilterTest, AProgramsOutputIsTheTextAndItsFailuresAreClassified) {
  struct Case {
    std::string command;
    std::int32_t code;
    std::string present;
  };
  const std::vector<Case> cases = {
      {"cat %f", 0, "text of the file"},
      {"cat", 0, "text of the file"},  // the path is appended
      {"sh -c 'cat \"$1\"; echo warning >&2' sh %f", 0, "text of the file"},
      {"sh -c 'echo The file is encrypted >&2; exit 1'", FILTER_E_PASSWORD, ""},
      {"sh -c 'echo Password required >&2; exit 0'", FILTER_E_PASSWORD, ""},
      {"sh -c 'echo not a document >&2; exit 0'", FILTER_E_UNKNOWNFORMAT, ""},
      {"sh -c 'exit 2'", FILTER_E_UNKNOWNFORMAT, ""},
      {"sh -c 'exit 0'", 0, ""},
      {"sh -c 'kill -9 $$'", kFilterHelperFailed, ""},
      {"vexa-no-such-program %f", FILTER_E_UNKNOWNFORMAT, ""},
      {"sh -c 'sleep 30'", kFilterHelperTimeout, ""},
      {"sh -c 'exec >&-; sleep 30'", kFilterHelperTimeout, ""},  // closes its output, runs on
      {"sh -c 'echo partial; sleep 30'", 0, "partial"},          // stopped after giving text
      {"'unclosed quote %f", FILTER_E_UNKNOWNFORMAT, ""},
  };
  for (const Case& c : cases) {
    const Extraction r =
        Extract("doc.foo", "text of the file", 1 << 20, {{"*.foo", c.command}}, 500ms);
    EXPECT_EQ(r.code, c.code) << c.command << ": " << FilterErrorText(r.code);
    EXPECT_EQ(MissingInOrder(r.text, {c.present}), "") << c.command << " gave: " << r.text;
  }
}

TEST_F(HelperFilterTest, EndlessOutputStopsAtTheLimitAndThePathIsOneArgument) {
  // yes repeats its arguments forever: the reader's limit ends it.
  const Extraction endless = Extract("a.foo", "", 200000, {{"*.foo", "yes word"}});
  EXPECT_EQ(endless.code, 0);
  EXPECT_GE(endless.chars, 200000u);
  EXPECT_LT(endless.chars, 200000u + TFile_filter::kPieceChars);

  // No shell sees the path: blanks, quotes, a newline and a leading dash stay in it.
  const std::string odd = "-odd name 'q' \"dq\" $(x) ;\n\xFF.foo";
  const Extraction r = Extract(odd, "odd content", 1 << 20, {{"*.foo", "cat %f"}});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.text, "odd content");
}

TEST_F(HelperFilterTest, UserFiltersComeFirstByMaskIgnoringCase) {
  const std::vector<UserFilter> filters = {{"*.FOO; *.txt", "sh -c 'echo from filter'"},
                                           {"*.bar", "sh -c 'echo second'"}};
  struct Case {
    std::string name;
    std::string expected;
  };
  for (const Case& c : std::vector<Case>{{"a.foo", "from filter\n"},
                                         {"b.TXT", "from filter\n"},
                                         {"c.bar", "second\n"},
                                         {"d.csv", "own text"}}) {
    EXPECT_EQ(Extract(c.name, "own text", 1 << 20, filters).text, c.expected) << c.name;
  }
  // A user filter still needs a readable file.
  EXPECT_EQ(ExtractPath((home_ / "missing.foo").string(), 100, filters).code, FILTER_E_ACCESS);
}

TEST(CommandArguments, SplitsLikeAShellWordSplitterWithThePathPlaceholder) {
  const std::string path = "/tmp/a b.txt";
  struct Case {
    std::string command;
    std::vector<std::string> args;
  };
  const std::vector<Case> cases = {
      {"prog %f", {"prog", path}},
      {"prog", {"prog", path}},
      {"  prog   -x  ", {"prog", "-x", path}},
      {"prog --in=%f --out", {"prog", "--in=" + path, "--out"}},
      {"'my prog' \"a b\" c\\ d \"q\\\"q\"", {"my prog", "a b", "c d", "q\"q", path}},
      {"prog '%f' 100%%", {"prog", path, "100%"}},
      {"prog 'unclosed", {}},
      {"   ", {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(intake::CommandArguments(c.command, path), c.args) << c.command;
  EXPECT_EQ(intake::CommandArguments("prog %f", "-rf"),
            (std::vector<std::string>{"prog", "./-rf"}));
}

TEST(ReadUserFilters, ReadsTheFiltersListAndLeavesOutIncompleteRecords) {
  TempHome home;
  WriteFile(home / "config.xml",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Configuration><Filters>"
            "<Item0><mask>*.epub</mask><command>epub2txt %f</command></Item0>"
            "<Item1><mask>*.x</mask></Item1>"
            "<Item2><mask>*.djvu;*.djv</mask><command>djvutxt %f</command></Item2>"
            "<Count>3</Count></Filters></Configuration>");
  const ConfigStore store((home / "config.xml").string(), "comment");
  const std::vector<UserFilter> filters = ReadUserFilters(store);
  ASSERT_EQ(filters.size(), 2u);
  EXPECT_EQ(filters[0].mask, "*.epub");
  EXPECT_EQ(filters[0].command, "epub2txt %f");
  EXPECT_EQ(filters[1].mask, "*.djvu;*.djv");
}

}  // namespace
}  // namespace vexa::test
