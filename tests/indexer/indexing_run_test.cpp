#include "indexer/indexing_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "config/folders.h"
#include "config/profiles.h"
#include "index/tindex.h"
#include "indexer/console_run.h"
#include "indexer/run_files.h"
#include "support/temp_home.h"

namespace vexa {
namespace {

namespace fs = std::filesystem;

// Keeps what a window would show: the log lines, the error boxes, the progress calls.
class RecordingView : public RunView {
 public:
  std::vector<std::string> log, boxes;
  int progress_calls = 0;  // progress texts shown (not cleared)
  std::function<void()> on_input;  // runs inside ProcessPendingInput

  void ClearLog() override { log.clear(); }
  void AppendLogLine(const std::string& line) override { log.push_back(line); }
  void ExtendLastLogLine(const std::string& tail) override { log.back() += tail; }
  void ScrollLogToEnd() override {}
  void ShowIndexFile(const std::string&) override {}
  void ShowFileSize(const std::string&) override {}
  void ShowLastFile(const std::string&) override {}
  void ShowProgressText(const std::string& text) override { progress_calls += !text.empty(); }
  void ShowProgress(int, int) override {}
  void ShowButtonCaption(const std::string&) override {}
  void ProcessPendingInput() override {
    if (on_input) on_input();
  }
  void ShowErrorBox(const std::string& message) override { boxes.push_back(message); }
  void ShowWindow() override {}
  void HideWindow() override {}
  void ShowModal() override {}
  void CloseWindow() override {}
};

class IndexingRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitPathsAt((home_ / "bin").string());
    root_ = home_ / "it's docs";
    for (const char* f : {"a/a1.txt", "a/a2.txt", "a/a3.txt", "b/b1.txt", "b/b2.txt", "c/c1.txt"})
      Write(f, std::string("text of ") + f);
    profile_.title = "Test docs";
    profile_.tag = "t";
    profile_.ifile = (home_ / "index.db").string();
    for (const char* folder : {"a", "b", "c"})
      profile_.items.Add({(root_ / folder).string(), "*.txt", "", true});
    SaveProfile();
  }

  void Write(const std::string& rel, const std::string& text) { test::WriteFile(root_ / rel, text); }
  void SaveProfile() { profile_.SaveProfile(ProfilePath("test")); }
  IndexingRun::Outcome Run() { return run_.RunProfile(ProfilePath("test")); }
  std::string Log() const {
    std::string text;
    for (const auto& line : run_.RunLog()) text += line + "\n";
    return text;
  }
  bool LogHas(const std::string& line) const {
    const auto& log = run_.RunLog();
    return std::find(log.begin(), log.end(), line) != log.end();
  }
  std::string Setting(const char* key) {
    TIndex index;
    index.FileName = profile_.ifile;
    index.Open(false);
    return index.GetTextSetting(key, "(none)");
  }
  std::string Query(const std::string& sql) {
    TIndex index;
    index.FileName = profile_.ifile;
    index.Open(false);
    SqlTable rows = index.Database().Query(sql);
    std::string out;
    for (; !rows.Eof(); rows.Next()) out += (out.empty() ? "" : ";") + rows.Text(0);
    return out;
  }
  std::string LogFile() { return LogsFolder() + "/test.log"; }

  test::TempHome home_;
  fs::path root_;
  TIndp profile_;
  RecordingView view_;
  CommandLineOptions options_;
  IndexingRun run_{view_, options_};
};

TEST_F(IndexingRunTest, FullThenIncrementalRunsKeepTheIndexInStep) {
  ASSERT_EQ(Run(), IndexingRun::Outcome::kCompleted) << Log();
  EXPECT_EQ(Log(),
            "Executing profile test\n"
            "Full Reindexing, index file is  " + profile_.ifile + "\n"
            "Clearing index from unexisted files ... - Done\n"
            "... " + (root_ / "a").string() + "\n"
            "... " + (root_ / "b").string() + "\n"
            "... " + (root_ / "c").string() + "\n"
            "Preparing Index ... - Done\n"
            "\n"
            "Indexing finished\n"
            "6 files were scanned, 6 files were added to index\n"
            "\n");
  EXPECT_EQ(Setting("Index_broken"), "0");
  EXPECT_NE(Setting("Indexing_finished"), "");

  // Nothing changed: nothing is extracted or added.
  view_.progress_calls = 0;
  ASSERT_EQ(Run(), IndexingRun::Outcome::kCompleted);
  EXPECT_TRUE(LogHas("Incremental Reindexing, index file is  " + profile_.ifile));
  EXPECT_TRUE(LogHas("6 files were scanned, 0 files were added to index"));
  EXPECT_EQ(view_.progress_calls, 0);
  EXPECT_EQ(Setting("Added_files"), "0");

  // One file changed, one deleted, one copied, one folder disabled.
  Write("a/a1.txt", "a longer text for the first file");
  fs::remove(root_ / "a/a2.txt");
  fs::copy_file(root_ / "a/a3.txt", root_ / "a/a3 copy.txt");
  profile_.items.Item(2).en = false;
  SaveProfile();
  ASSERT_EQ(Run(), IndexingRun::Outcome::kCompleted);
  EXPECT_TRUE(LogHas("5 files were scanned, 2 files were added to index")) << Log();
  EXPECT_TRUE(LogHas("1 files were replaced in index"));
  EXPECT_TRUE(LogHas("1 files were deleted in index"));
  EXPECT_EQ(Query("select FName from FILES_S"), (root_ / "a/a3 copy.txt").string());
  EXPECT_EQ(Query("select count(*) from FILES where FName like '%c1.txt'"), "1");  // kept
  EXPECT_EQ(Query("select count(*) from FILES"), "5");

  // The list of indexes has the index once; the log file holds three runs, newest first.
  TindexList list(Config());
  list.LoadIndexList();
  ASSERT_EQ(list.items.size(), 1u);
  EXPECT_EQ(list.items[0].title + "|" + list.items[0].tag, "Test docs|t");
  const auto lines = ReadLogLines(LogFile());
  std::vector<std::string> heads;
  for (const auto& line : lines)
    if (line.starts_with("Full") || line.starts_with("Incremental")) heads.push_back(line.substr(0, 4));
  EXPECT_EQ(heads, (std::vector<std::string>{"Incr", "Incr", "Full"}));
  EXPECT_TRUE(lines[0].starts_with("------------------ Indexing started "));
}

TEST_F(IndexingRunTest, CancelInTheSecondFolderSkipsTheRestAndMarksTheIndexBroken) {
  // The first chance to click comes after the first document of the second folder.
  view_.on_input = [&] {
    if (view_.log.back() == "... " + (root_ / "b").string()) run_.Cancel();
  };
  ASSERT_EQ(Run(), IndexingRun::Outcome::kCancelled);
  EXPECT_FALSE(LogHas("... " + (root_ / "c").string()));
  EXPECT_FALSE(LogHas("Preparing Index ... - Done"));
  EXPECT_TRUE(LogHas("Indexing was aborted due to user request"));
  EXPECT_EQ(Setting("Index_broken"), "1");
  EXPECT_EQ(Query("select count(*) from FILES"), "3");  // a's pass; b's first batch rolled back
  TindexList list(Config());
  list.LoadIndexList();
  EXPECT_TRUE(list.items.empty());
  EXPECT_TRUE(fs::exists(LogFile()));
}

TEST_F(IndexingRunTest, ErrorsEndTheProfileOnlyAndAreReported) {
  for (const bool unv : {false, true}) {
    options_.optUnv = unv;
    view_.boxes.clear();
    profile_.ifile = (home_ / "no such folder/index.db").string();
    SaveProfile();
    EXPECT_EQ(Run(), IndexingRun::Outcome::kFailed);
    ASSERT_FALSE(run_.RunLog().empty());
    EXPECT_TRUE(run_.RunLog().back().starts_with("Reindexing error - Failed to open database"))
        << Log();
    EXPECT_EQ(view_.boxes.size(), unv ? 0u : 1u);
    EXPECT_TRUE(run_.LogWritten());
  }
  // A missing profile: one line, no log file; the batch reports failure.
  profile_.ifile = (home_ / "index.db").string();
  SaveProfile();
  options_.profiles = {ProfilePath("nosuch"), ProfilePath("test")};
  fs::remove(LogFile());
  EXPECT_FALSE(run_.RunCommandLineProfiles());
  EXPECT_EQ(view_.log[view_.log.size() - run_.RunLog().size() - 1],
            "File \"" + ProfilePath("nosuch") + "\" is not found");
  EXPECT_FALSE(fs::exists(LogsFolder() + "/nosuch.log"));
}

TEST_F(IndexingRunTest, SkippedFilesAreReportedWithEscapedNames) {
  Write("b/<b>&amp;.txt", "");
  Write("b/bad.docx", "not a zip");
  profile_.items.Item(1).incl = "";
  SaveProfile();
  ASSERT_EQ(Run(), IndexingRun::Outcome::kCompleted);
  const auto lines = ReadLogLines(LogsFolder() + "/test_skipped.html");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0],
            "<html><head><link rel=\"stylesheet\" href=\"file://" + ProgramFolder() +
                "/CSS/style.css\"></head><body><h2>The list of skipped files</h2><hr>"
                "<table class=\"w\">");
  std::vector<std::string> rows(lines.begin() + 1, lines.end() - 1);
  std::sort(rows.begin(), rows.end(), [](auto& x, auto& y) { return x.substr(15) < y.substr(15); });
  const std::string folder = home_.Path().string() + "/it&#39;s docs/b/";
  EXPECT_EQ(rows[0].substr(15),
            "<td>" + folder + "&lt;b&gt;&amp;amp;.txt</td><td>error code 0</td></tr>");
  EXPECT_EQ(rows[1].substr(15), "<td>" + folder +
                                    "bad.docx</td><td>The document format is not recognized</td></tr>");
  EXPECT_NE(rows[0].substr(0, 15), rows[1].substr(0, 15));  // numbered 1. and 2.
  EXPECT_EQ(lines[3], "</table></body></html>");

  // A later run without skipped files leaves the report as it was.
  fs::remove(root_ / "b/<b>&amp;.txt");
  fs::remove(root_ / "b/bad.docx");
  ASSERT_EQ(Run(), IndexingRun::Outcome::kCompleted);
  EXPECT_EQ(ReadLogLines(LogsFolder() + "/test_skipped.html"), lines);
}

TEST_F(IndexingRunTest, MaintenanceRebuildsOnlyAboveTwoPercentOfChanges) {
  profile_.items.All().resize(1);
  for (int i = 0; i < 100; ++i) Write("a/n" + std::to_string(i) + ".txt", "unique " + std::to_string(i * 31));
  for (const char* f : {"a/a1.txt", "a/a2.txt", "a/a3.txt"}) fs::remove(root_ / f);
  SaveProfile();
  ASSERT_EQ(Run(), IndexingRun::Outcome::kCompleted);
  const std::string first = Setting("Create Indexes Docs");

  // Two of 100 changed: exactly 2 percent, no rebuild (the posting indexes stay).
  Write("a/n1.txt", "changed text one");
  Write("a/n2.txt", "changed text two");
  ASSERT_EQ(Run(), IndexingRun::Outcome::kCompleted);
  EXPECT_EQ(Setting("Added_files"), "2");
  EXPECT_EQ(Setting("Create Indexes Docs"), first);
  // One more: 3 percent since the last rebuild, so the postings are rebuilt.
  Write("a/n3.txt", "changed text three");
  ASSERT_EQ(Run(), IndexingRun::Outcome::kCompleted);
  EXPECT_EQ(Setting("Added_files"), "0");
}

TEST(RunLogRules, ContinuationJoinsOnlyALineEndingInDots) {
  RecordingView view;
  CommandLineOptions options;
  IndexingRun run(view, options);
  for (const char* message : {"- lost", "Clearing ...", "- Done", "- again", "plain", "- lost", ""})
    run.AddLogLine(message);
  EXPECT_EQ(view.log, (std::vector<std::string>{"Clearing ... - Done", "plain", ""}));
  EXPECT_EQ(run.RunLog(), view.log);
}

TEST(RunLogRules, ComposedLogKeepsTheNewRunAndTrimsTheOldest) {
  std::vector<std::string> previous;
  for (int i = 0; i < 2500; ++i) previous.push_back("old " + std::to_string(i));
  const std::vector<std::string> run(27, "line");  // 30 lines with the frame
  auto lines = ComposeLogFile("start", run, "end", "00:01", previous);
  ASSERT_EQ(lines.size(), 2000u);
  EXPECT_EQ(lines[0], "------------------ Indexing started start");
  EXPECT_EQ(lines[28], "------------------ Indexing ended   end    duration 00:01");
  EXPECT_EQ(lines[29], "");
  EXPECT_EQ(lines[30], "old 0");
  EXPECT_EQ(lines.back(), "old 1969");

  // A run longer than the limit drops every previous line but keeps its own.
  EXPECT_EQ(ComposeLogFile("s", std::vector<std::string>(2100, "x"), "e", "d", previous).size(),
            2103u);
  previous.resize(2000);  // not above the limit: kept whole
  EXPECT_EQ(ComposeLogFile("s", run, "e", "d", previous).size(), 2030u);
  // Line breaks inside a message become lines of the file.
  EXPECT_EQ(ComposeLogFile("s", {"a\rb"}, "e", "d", {})[2], "b");
}

TEST(ConsoleRun, PrintsLinesAsTheyComeWithContinuationsOnTheSameLine) {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&buffer, &size);
  {
    ConsoleView view(out, out, false);
    view.AppendLogLine("Clearing index from unexisted files ...");
    view.ExtendLastLogLine(" - Done");
    view.AppendLogLine("Preparing Index ...");
    view.AppendLogLine("Reindexing error - Error executing SQL.\rError [5]: locked.");
    view.ShowErrorBox("boxed");
  }
  std::fclose(out);
  EXPECT_EQ(std::string(buffer, size),
            "Clearing index from unexisted files ... - Done\n"
            "Preparing Index ...\n"
            "Reindexing error - Error executing SQL.\nError [5]: locked.\n"
            "xvexai: boxed\n");
  std::free(buffer);
}

}  // namespace
}  // namespace vexa
