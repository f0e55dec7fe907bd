// libvexasrv.so through its C API, vexaq and the Python module, on fixture indexes: the
// HTML fragments and XML documents are compared with golden files (timings and the
// temporary folder normalised).
//
// The library sets up its folders and loads its catalogue once per process, so the whole
// binary shares one temporary home, entered before the first object is created; its
// current directory holds the test catalogue, which wins over the shipped one.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "config/folders.h"
#include "config/profiles.h"
#include "index/tindex.h"
#include "server/vexasrv.h"
#include "support/temp_home.h"

namespace vexa {
namespace {

namespace fs = std::filesystem;

constexpr char kCatalogue[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Messages>\n"
    "  <default_Language>en</default_Language>\n  <common>\n"
    "    <pages><en>Pages:</en></pages>\n"
    "    <index_refreshed><en>Refreshed:</en></index_refreshed>\n"
    "    <documents_found><en>documents in %.2f s</en></documents_found>\n"
    "    <not_found><en>Nothing found</en></not_found>\n"
    "    <because_index_empty><en>(the index is empty)</en></because_index_empty>\n"
    "  </common>\n</Messages>\n";

test::TempHome* home = nullptr;

class ServerEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    home_ = std::make_unique<test::TempHome>();
    home = home_.get();
    InitPathsAt(home->Path().string());  // for the fixture indexes built here
    test::WriteFile(home->Path() / "messages.xml", kCatalogue);
    fs::current_path(home->Path());
  }
  void TearDown() override {
    fs::current_path(fs::temp_directory_path());
    home_.reset();
  }

 private:
  std::unique_ptr<test::TempHome> home_;
};
[[maybe_unused]] const auto* const environment =
    ::testing::AddGlobalTestEnvironment(new ServerEnvironment);

// An index file below the temporary home, filled by `fill` on first use.
std::string FixtureIndex(const std::string& name, const std::function<void(TIndex&)>& fill) {
  const std::string path = (home->Path() / (name + ".db")).string();
  if (fs::exists(path)) return path;
  TIndex index;
  index.FileName = path;
  index.Open(true);
  index.Database().Begin();
  fill(index);
  index.Database().Commit();
  index.Maintain({});
  index.SetTextSetting("Indexing_finished", "11.12.2026 10:00:00");
  return path;
}

void AddText(TIndex& index, const std::string& name, const std::string& text) {
  index.AddDocument(name, static_cast<std::int32_t>(text.size()), text, 46000.5);
}

std::string Pad(int n) {
  std::string pad;
  for (int i = 0; i < n; ++i) pad += "pad ";
  return pad;
}

// 45 documents holding GAMMA at positions 11, 21, ... 451: scores fall with the number.
std::string Index45() {
  return FixtureIndex("idx45", [](TIndex& index) {
    for (int i = 1; i <= 45; ++i) {
      AddText(index, "/docs/d" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".txt",
              Pad(10 * i - 1) + "gamma");
    }
  });
}

// 400 documents holding DELTA at positions 6 to 405, all with different scores.
std::string Index400() {
  return FixtureIndex("idx400", [](TIndex& index) {
    for (int i = 0; i < 400; ++i) {
      AddText(index, "/docs/n" + std::to_string(1000 + i) + ".txt", Pad(4 + i) + "delta");
    }
  });
}

// One text stored under three names, and one more document.
std::string IndexWithDuplicates() {
  return FixtureIndex("dups", [](TIndex& index) {
    AddText(index, "/home/ann/Docs/R&D <draft>.txt", "budget plan for alpha");
    AddText(index, "/home/ann/Docs/copy \"2\".txt", "budget plan for alpha");
    AddText(index, "/mnt/share/it's.txt", "budget plan for alpha");
    AddText(index, "/home/ann/Docs/other.txt", "alpha beta gamma");
  });
}

// Timings and the temporary folder vary from run to run.
std::string Normalised(std::string text) {
  text = std::regex_replace(text, std::regex(R"(in [0-9]+\.[0-9]{2} s)"), "in #.## s");
  text = std::regex_replace(text, std::regex(R"(time=[0-9]+)"), "time=#");
  text = std::regex_replace(text, std::regex(R"(<Search_time_ticks>[0-9]+<)"), "<Search_time_ticks>#<");
  const std::string folder = home->Path().string();
  for (std::size_t at; (at = text.find(folder)) != std::string::npos;) text.replace(at, folder.size(), "$HOME");
  return text;
}

// Compares with tests/server/golden/<name>; a differing text is written to
// golden-actual/<name> in the build folder for review.
void ExpectGolden(const std::string& name, const std::string& actual) {
  const std::string expected = test::ReadFile(fs::path(VEXA_GOLDEN_DIR) / name);
  const std::string normalised = Normalised(actual);
  if (normalised != expected) {
    const fs::path out = fs::path(VEXA_GOLDEN_ACTUAL_DIR) / name;
    test::WriteFile(out, normalised);
    ADD_FAILURE() << name << " differs from its golden file; this run's text is in " << out;
  }
}

// A C API object, released at the end of the scope.
class Srx {
 public:
  Srx() : srx_(vexasrv_srx_create()) { EXPECT_NE(srx_, nullptr) << vexasrv_last_error(); }
  ~Srx() { vexasrv_srx_destroy(srx_); }
  explicit Srx(const std::string& index) : Srx() { vexasrv_srx_set_index_file(srx_, index.c_str()); }

  std::string Html(const char* query, int npage, int isel = 0, const char* url = "/find.php") {
    char* res = nullptr;
    EXPECT_EQ(vexasrv_srx_search(srx_, query, npage, isel, url, &res), VEXASRV_OK)
        << vexasrv_last_error();
    return Take(res);
  }
  std::string Xml(const char* query, int npage) {
    char* res = nullptr;
    EXPECT_EQ(vexasrv_srx_search_x(srx_, query, npage, &res), VEXASRV_OK) << vexasrv_last_error();
    return Take(res);
  }
  vexasrv_srx_t* get() { return srx_; }

 private:
  static std::string Take(char* res) {
    const std::string text = res ? res : "";
    vexasrv_free(res);
    return text;
  }
  vexasrv_srx_t* srx_;
};

void SetDebug(int value) {
  Config().Update([value](ConfigWriter& w) { w.WriteInteger("Debug", value); });
}

TEST(Golden, FortyFiveDocumentsPageOne) {
  Srx srx(Index45());
  ExpectGolden("45-page1.html", srx.Html("gamma", 1, 3));
  ExpectGolden("45-page1.xml", srx.Xml("gamma", 1));
}

TEST(Golden, FourHundredDocumentsPageTwelve) {
  Srx srx(Index400());
  ExpectGolden("400-page12.html", srx.Html("Delta", 12, 7, "https://intranet.example/search"));
  ExpectGolden("400-page12.xml", srx.Xml("Delta", 12));
}

TEST(Golden, DuplicatesAndChainedAliases) {
  test::WriteFile(fs::path(DataFolder()) / "dir_aliases.cfg",
                  "# aliases of the test\n"
                  "/home/ann/Docs\t\\\\fileserver\\docs\n"
                  "\\\\FILESERVER   http://intranet.example\n"
                  "; the share\n"
                  "\"/mnt/share\" \"/shared files\"\n");
  Srx srx(IndexWithDuplicates());
  fs::remove(fs::path(DataFolder()) / "dir_aliases.cfg");
  ExpectGolden("duplicates.html", srx.Html("alpha", 1));
  ExpectGolden("duplicates.xml", srx.Xml("alpha", 1));
  SetDebug(1);
  ExpectGolden("duplicates-debug.html", srx.Html("alpha", 1));
  SetDebug(0);
}

TEST(Golden, EmptyIndex) {
  Srx srx((home->Path() / "never-indexed.db").string());
  ExpectGolden("empty.html", srx.Html("alpha", 1));
  ExpectGolden("empty.xml", srx.Xml("alpha", 1));
  EXPECT_TRUE(fs::exists(home->Path() / "never-indexed.db"));
}

TEST(CApi, PageZeroShowsThePageOneResultsWithNoCurrentPage) {
  Srx srx(Index45());
  const std::string html = srx.Html("gamma", 0);
  EXPECT_NE(html.find("<tr><td>1.</td>"), std::string::npos);
  EXPECT_EQ(html.find("<b>1</b>"), std::string::npos);
  EXPECT_NE(srx.Xml("gamma", 0).find("<Page>0</Page>"), std::string::npos);
}

TEST(CApi, IndexesFilterByTagAndReportMissingFiles) {
  TindexList list(Config());
  list.items = {{Index45(), "Forty-five", 46000, "xabcx"},
                {(home->Path() / "gone.db").string(), "Gone", 46000, "abc"},
                {Index400(), "Four hundred", 46000, "ABC"}};
  list.SaveIndexList();
  Srx srx;
  const auto rows = [&](const char* tag) {
    vexasrv_index_row_t* files = nullptr;
    size_t count = 99;
    EXPECT_EQ(vexasrv_srx_indexes(srx.get(), &files, &count, tag), VEXASRV_OK);
    std::string out = files ? "" : "null";
    for (size_t i = 0; i < count; ++i) {
      out += std::string(files[i][1]) + "|" + files[i][2] + "|" + files[i][3] + ";";
    }
    vexasrv_free(files);
    return out;
  };
  EXPECT_EQ(rows("abc"), "Forty-five||xabcx;Gone|-|abc;");
  EXPECT_EQ(rows(""), "Forty-five||xabcx;Gone|-|abc;Four hundred||ABC;");
  EXPECT_EQ(rows(nullptr), rows(""));
  EXPECT_EQ(rows("zzz"), "null");
  list.items.clear();
  list.SaveIndexList();
  EXPECT_EQ(rows(""), "null");
}

TEST(CApi, FailuresReturnUnexpectedWithTheMessage) {
  Srx srx((home->Path() / "no such folder" / "x.db").string());
  char* res = reinterpret_cast<char*>(1);
  EXPECT_EQ(vexasrv_srx_search(srx.get(), "alpha", 1, 0, "", &res), VEXASRV_E_UNEXPECTED);
  EXPECT_EQ(res, nullptr);
  EXPECT_EQ(std::string(vexasrv_last_error()).rfind("Failed to open database", 0), 0u);
  EXPECT_STREQ(vexasrv_last_error_source(), "vexasrv.srx");
  EXPECT_EQ(vexasrv_srx_set_index_file(srx.get(), ""), VEXASRV_OK);  // keeps the file
  EXPECT_STREQ(vexasrv_last_error(), "");
  EXPECT_EQ(vexasrv_srx_search_x(srx.get(), "alpha", 1, &res), VEXASRV_E_UNEXPECTED);
}

TEST(CApi, ObjectsOnSeveralThreadsSearchIndependently) {
  const std::string index45 = Index45(), index400 = Index400();
  const std::string expected45 = Normalised(Srx(index45).Html("gamma", 2));  // reads Debug
  const std::string expected400 = Normalised(Srx(index400).Xml("delta", 7));
  std::vector<std::string> answers(4);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      Srx srx(t % 2 ? index400 : index45);
      for (int i = 0; i < 10; ++i) {
        const std::string answer = Normalised(t % 2 ? srx.Xml("delta", 7) : srx.Html("gamma", 2));
        if (answer != (t % 2 ? expected400 : expected45)) answers[t] = answer;
      }
    });
  }
  for (std::thread& t : threads) t.join();
  for (const std::string& wrong : answers) EXPECT_EQ(wrong, "");
}

// ---- vexaq and the Python module -------------------------------------------------------

struct Outcome {
  int status;
  std::string out;
};

// Runs a shell command line, capturing its standard output.
Outcome Shell(const std::string& command) {
  Outcome run{-1, {}};
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  std::array<char, 4096> buffer;
  for (std::size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) run.out.append(buffer.data(), n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string Quoted(const std::string& text) { return "'" + std::regex_replace(text, std::regex("'"), "'\\''") + "'"; }

TEST(Vexaq, PrintsWhatTheLibraryReturns) {
  const std::string vexaq = Quoted(VEXAQ_PATH);
  const std::string index = Quoted(Index45());
  Srx srx(Index45());
  EXPECT_EQ(Normalised(Shell(vexaq + " -i " + index + " -p 3 --xml gamma").out),
            Normalised(srx.Xml("gamma", 3)));
  EXPECT_EQ(Normalised(Shell(vexaq + " -i " + index + " -p 2 --html --url /q --isel 4 gamma").out),
            Normalised(srx.Html("gamma", 2, 4, "/q")));

  const Outcome listing = Shell(vexaq + " -i " + index + " -p 3 GAMMA");
  EXPECT_EQ(listing.status, 0);
  EXPECT_EQ(listing.out.substr(0, listing.out.find('(')), "45 documents found ");
  EXPECT_NE(listing.out.find(" 41. ["), std::string::npos) << listing.out;
  EXPECT_NE(listing.out.find("/docs/d41.txt\n     PAD PAD"), std::string::npos) << listing.out;
}

TEST(Vexaq, UsesTheFirstExistingIndexAndReportsErrors) {
  TindexList list(Config());
  list.items = {{(home->Path() / "gone.db").string(), "Gone", 46000, "t1"},
                {Index45(), "Forty-five", 46000, "t2"}};
  list.SaveIndexList();
  const std::string vexaq = Quoted(VEXAQ_PATH);
  EXPECT_EQ(Shell(vexaq + " gamma 2>/dev/null").out.substr(0, 19), "45 documents found ");
  EXPECT_EQ(Shell(vexaq + " --indexes t2").out, Index45() + "\tForty-five\t\tt2\n");
  list.items.clear();
  list.SaveIndexList();

  EXPECT_EQ(Shell(vexaq + " gamma 2>/dev/null").status, 1);  // no index at all
  EXPECT_EQ(Shell(vexaq + " -i /nonexistent/folder/x.db gamma 2>/dev/null").status, 1);
  for (const char* usage : {"", "-i", "-p x gamma", "--xml --html gamma", "--url u gamma",
                            "--indexes a b", "--bogus gamma"}) {
    EXPECT_EQ(Shell(vexaq + " " + usage + " 2>/dev/null").status, 2) << usage;
  }
}

TEST(Vexaq, MissingCatalogueIsTheAnswerOfEverySearch) {
  // A copy of vexaq in a folder without a catalogue, run from there: none of the three
  // places holds messages.xml.
  const fs::path bare = home->Path() / "bare";
  fs::create_directories(bare);
  fs::copy_file(VEXAQ_PATH, bare / "vexaq", fs::copy_options::overwrite_existing);
  const std::string command = "cd " + Quoted(bare.string()) + " && ./vexaq -i " + Quoted(Index45());
  const Outcome html = Shell(command + " --html gamma");
  EXPECT_EQ(html.status, 0);
  ExpectGolden("no-catalogue.html", html.out);
  ExpectGolden("no-catalogue.xml", Shell(command + " --xml gamma").out);
}

TEST(Python, ModuleSearchesAnIndex) {
  const Outcome run = Shell("/usr/bin/python3 " + Quoted(VEXA_PYTHON_TEST) + " " +
                        Quoted(VEXASRV_DIR) + " " + Quoted(Index45()) + " 2>&1");
  EXPECT_EQ(run.status, 0) << run.out;
}

}  // namespace
}  // namespace vexa
