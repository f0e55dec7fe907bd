// The search window's behaviour without widgets: history, chooser refill, stored
// properties, Pagelen, searching and clicking through pages, the Config button, and
// errors that must leave the window usable.
#include "search/qt/search_window_logic.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <regex>

#include "config/folders.h"
#include "search_fixture.h"
#include "support/temp_home.h"

namespace vexa {
namespace {

using test::AppleDocuments;
using test::MakeIndex;
using test::RecordingShell;
using test::WriteIndexList;

std::string Joined(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& item : items) out += (out.empty() ? "" : ",") + item;
  return out;
}

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> items;
  std::size_t start = 0;
  while (!text.empty() && start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    items.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  return items;
}

TEST(SearchHistory, KeepsTheTenLatestWithoutCaseDuplicates) {
  struct Case {
    const char* before;
    const char* text;
    const char* after;
  };
  const Case cases[] = {
      {"", "a", "a"},
      {"j,i,h,g,f,e,d,c,b,a", "k", "k,j,i,h,g,f,e,d,c,b"},
      {"Alpha,beta,gamma", "BETA", "BETA,Alpha,gamma"},
      {"x,y", "x", "x,y"},
      {"äpfel,birne", "ÄPFEL", "ÄPFEL,birne"},  // case of non-ASCII letters too
      {"j,i,h,g,f,e,d,c,b,a", "A", "A,j,i,h,g,f,e,d,c,b"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Joined(UpdateHistory(Split(c.before), c.text)), c.after) << c.before << " + " << c.text;
  }
}

TEST(IndexChooser, KeepsOnlyAValidPositionAboveZero) {
  struct Case {
    int noted, usable, chosen;
  };
  const Case cases[] = {{-1, 3, 0}, {0, 3, 0}, {1, 3, 1}, {2, 3, 2}, {3, 3, 0},
                        {2, 2, 0},  {-1, 0, -1}, {1, 0, -1}};
  for (const Case& c : cases) {
    EXPECT_EQ(ChooserPosition(c.noted, c.usable), c.chosen) << c.noted << " of " << c.usable;
  }
}

class FakeView : public SearchWindowView {
 public:
  void SetIndexTitles(const std::vector<std::string>& t, int c) override {
    titles = t;
    chosen = c;
  }
  void SetIndexFacts(const IndexFacts& f) override { facts = f; }
  void SetHistory(const std::vector<std::string>& items, const std::string& text) override {
    history = items;
    query = text;
  }
  std::string QueryText() const override { return query; }
  void WritePage(const std::string& html) override { pages.push_back(html); }
  void ShowError(const std::string& message) override { errors.push_back(message); }
  void ShowMessage(const std::string& message) override { messages.push_back(message); }

  std::vector<std::string> titles, history, pages, errors, messages;
  int chosen = -2;
  IndexFacts facts{"unset", "unset", "unset", "unset"};
  std::string query;
};

// File links of a page as "ii/nf:name".
std::vector<std::string> FileLinks(const std::string& page) {
  static const std::regex link(R"re(<a ii="(\d+)" nf="(\d+)" class="bb" href="\*">([^<]*)</a>)re");
  std::vector<std::string> out;
  for (std::sregex_iterator it(page.begin(), page.end(), link), end; it != end; ++it) {
    out.push_back((*it)[1].str() + "/" + (*it)[2].str() + ":" + (*it)[3].str());
  }
  return out;
}

// The numbers of the page links of a page's first page list, the current one in [].
std::string PageLinks(const std::string& page) {
  static const std::regex link(R"re(<a (class="pg")? ?page="(\d+)" href="[^"]*">)re");
  const std::string list = page.substr(0, page.find("</td>", page.find("<td nowrap>")));
  std::string out;
  for (std::sregex_iterator it(list.begin(), list.end(), link), end; it != end; ++it) {
    const std::string n = (*it)[2].str();
    out += (out.empty() ? "" : " ") + ((*it)[1].matched ? "[" + n + "]" : n);
  }
  return out;
}

class SearchWindowTest : public testing::Test {
 protected:
  std::string Path(const std::string& relative) { return home_.Path(relative); }

  // A window's logic after FormShow, as at program start.
  std::unique_ptr<SearchWindowLogic> Start(FakeView& view) {
    auto logic = std::make_unique<SearchWindowLogic>(view, shell_);
    logic->FormShow();
    return logic;
  }

  test::SearchHome home_;
  RecordingShell shell_;
  FakeView view_;
};

TEST_F(SearchWindowTest, OffersTheExistingIndexesAndOpensTheChosenOne) {
  MakeIndex(Path("one.db"), {{"/d/a.txt", "alpha"}}, "2024-01-02 03:04:05");
  MakeIndex(Path("three.db"), {{"/d/b.txt", "beta"}, {"/d/c.txt", "beta"}, {"/d/e.txt", "beta"}},
            "2024-06-07 08:09:10");
  WriteIndexList({{Path("one.db"), "One"}, {Path("two.db"), "Two"}, {Path("three.db"), "Three"}});

  auto logic = Start(view_);
  EXPECT_EQ(Joined(view_.titles), "One,Three");
  EXPECT_EQ(view_.chosen, 0);
  EXPECT_EQ(view_.facts.file, Path("one.db"));

  logic->srcaChange(1);
  const auto size = std::filesystem::file_size(Path("three.db"));
  EXPECT_EQ(view_.facts, (IndexFacts{Path("three.db"), "2024-06-07 08:09:10",
                                     std::to_string(size / 1024) + " Kb", "3"}));
  EXPECT_FALSE(std::filesystem::exists(Path("two.db")));
  EXPECT_TRUE(view_.errors.empty());
}

TEST_F(SearchWindowTest, WithoutAnIndexSearchIsUnavailable) {
  auto logic = Start(view_);
  EXPECT_TRUE(view_.titles.empty());
  EXPECT_EQ(view_.chosen, -1);
  EXPECT_EQ(view_.facts, IndexFacts{});
  view_.query = "anything";
  logic->searchbClick();
  EXPECT_EQ(Joined(view_.messages),
            "Search is unavailable, because no search Indexes have been created");
  EXPECT_TRUE(view_.pages.empty());
  EXPECT_TRUE(view_.history.empty());
}

TEST_F(SearchWindowTest, PagesOfPagelenResultsAndClicksOnThem) {
  Config().WriteInteger("Pagelen", 5);
  MakeIndex(Path("apples.db"), AppleDocuments(12));
  WriteIndexList({{Path("apples.db"), "Apples"}});
  auto logic = Start(view_);

  view_.query = "";
  logic->searchbClick();  // an empty query does nothing
  EXPECT_TRUE(view_.pages.empty());

  view_.query = "Apple";
  logic->searchbClick();
  ASSERT_EQ(view_.pages.size(), 1u);
  EXPECT_NE(view_.pages[0].find("12 documents found"), std::string::npos);
  EXPECT_EQ(PageLinks(view_.pages[0]), "[1] 2 3");
  const std::vector<std::string> first = FileLinks(view_.pages[0]);
  ASSERT_EQ(first.size(), 5u);
  EXPECT_EQ(first[4].substr(0, 4), "4/0:");
  EXPECT_EQ(Joined(view_.history), "Apple");

  EXPECT_EQ(view_.pages[0].find("class=\"red\""), std::string::npos);
  Config().WriteInteger("Debug", 1);  // read afresh for every page
  logic->DocumentClick({{"page", "3"}});
  ASSERT_EQ(view_.pages.size(), 2u);
  EXPECT_EQ(PageLinks(view_.pages[1]), "1 2 [3]");
  EXPECT_NE(view_.pages[1].find("class=\"red\""), std::string::npos);
  const std::vector<std::string> last = FileLinks(view_.pages[1]);
  ASSERT_EQ(last.size(), 2u);  // results 11 and 12
  ASSERT_EQ(last[1].substr(0, 4), "1/0:");
  const std::string second = last[1].substr(4);

  logic->DocumentClick({{"ii", "1"}, {"nf", "0"}, {"class", "bb"}});
  logic->DocumentClick({{"www", "https://elsewhere.example/"}});
  logic->DocumentClick({{"ii", "7"}, {"nf", "0"}});  // no such result on the page
  EXPECT_EQ(Joined(shell_.documents), second);
  ASSERT_EQ(shell_.addresses.size(), 1u);
  EXPECT_EQ(view_.pages.size(), 2u);
  EXPECT_EQ(Joined(view_.history), "Apple");  // page changes leave the history alone
}

TEST_F(SearchWindowTest, PagelenBelowOneFallsBackToTwenty) {
  for (const char* value : {"0", "-3", "many"}) {
    Config().Update([&](ConfigWriter& w) { w.WriteString("Pagelen", value); });
    EXPECT_EQ(ConfiguredPageLen(), 20) << value;
  }
  Config().WriteInteger("Pagelen", 7);
  EXPECT_EQ(ConfiguredPageLen(), 7);
}

TEST_F(SearchWindowTest, StoredPropertiesSurviveARestart) {
  MakeIndex(Path("a.db"), {{"/d/a.txt", "alpha"}});
  MakeIndex(Path("b.db"), {{"/d/b.txt", "beta"}});
  WriteIndexList({{Path("a.db"), "A"}, {Path("b.db"), "B"}});
  {
    auto logic = Start(view_);
    for (const char* query : {"one", "two", "ONE"}) {
      view_.query = query;
      logic->searchbClick();
    }
    logic->srcaChange(1);
    view_.query = "typed, not searched";
    logic->FormClose();
  }
  std::vector<std::string> stored;
  Config().ReadList("xvexadoc/qq_Items", stored);
  EXPECT_EQ(Joined(stored), "ONE,two");
  EXPECT_EQ(Config().ReadInteger("xvexadoc/srca_ItemIndex", -9), 1);

  FakeView again;
  auto logic = Start(again);
  EXPECT_EQ(Joined(again.history), "ONE,two");
  EXPECT_EQ(again.query, "typed, not searched");
  EXPECT_EQ(again.chosen, 1);
  EXPECT_EQ(again.facts.file, Path("b.db"));
}

TEST_F(SearchWindowTest, ConfigRunsTheIndexerAndRefillsTheChooser) {
  for (const char* name : {"a.db", "b.db", "c.db"}) MakeIndex(Path(name), {{"/d/x.txt", "x"}});
  WriteIndexList({{Path("a.db"), "A"}, {Path("b.db"), "B"}, {Path("c.db"), "C"}});
  auto logic = Start(view_);
  logic->srcaChange(2);

  // The indexer is looked for beside the program, else in its own sub-folder.
  shell_.on_run = [&] { WriteIndexList({{Path("a.db"), "A"}, {Path("c.db"), "C"}, {Path("b.db"), "B"}}); };
  logic->RunIndexer();
  logic->FormShow();
  EXPECT_EQ(Joined(view_.titles), "A,C,B");
  EXPECT_EQ(view_.chosen, 2);  // still a valid position: kept, though it now names B
  EXPECT_EQ(view_.facts.file, Path("b.db"));

  test::WriteFile(Path("prog/xvexai"), "");
  shell_.on_run = [&] { WriteIndexList({{Path("a.db"), "A"}, {Path("c.db"), "C"}}); };
  logic->RunIndexer();
  logic->FormShow();
  EXPECT_EQ(Joined(view_.titles), "A,C");
  EXPECT_EQ(view_.chosen, 0);
  EXPECT_EQ(view_.facts.file, Path("a.db"));

  EXPECT_EQ(Joined(shell_.runs), Path("prog/XVexaI/xvexai") + "," + Path("prog/xvexai"));
}

TEST_F(SearchWindowTest, ErrorsAreShownAndTheWindowStaysUsable) {
  test::WriteFile(Path("broken.db"), std::string(4096, 'x'));
  MakeIndex(Path("apples.db"), AppleDocuments(3));
  WriteIndexList({{Path("broken.db"), "Broken"}, {Path("apples.db"), "Apples"}});
  auto logic = Start(view_);
  ASSERT_EQ(view_.errors.size(), 1u);
  EXPECT_NE(view_.errors[0].find("not a database"), std::string::npos) << view_.errors[0];
  EXPECT_EQ(view_.facts, IndexFacts{});

  logic->srcaChange(1);
  view_.query = "apple";
  logic->searchbClick();
  ASSERT_EQ(view_.pages.size(), 1u);

  // Another process holds the file locked: the search fails at once.
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(Path("apples.db").c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  logic->DocumentClick({{"page", "1"}});
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);

  ASSERT_EQ(view_.errors.size(), 2u);
  EXPECT_NE(view_.errors[1].find("locked"), std::string::npos) << view_.errors[1];
  EXPECT_EQ(view_.pages.size(), 1u);  // the page before stays
  logic->DocumentClick({{"ii", "0"}, {"nf", "0"}});
  EXPECT_TRUE(shell_.documents.empty());  // its results are gone

  logic->searchbClick();
  EXPECT_EQ(view_.pages.size(), 2u);
  logic->DocumentClick({{"ii", "0"}, {"nf", "0"}});
  EXPECT_EQ(shell_.documents.size(), 1u);
}

}  // namespace
}  // namespace vexa
