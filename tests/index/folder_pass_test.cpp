#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "index/tindex.h"
#include "index_fixture.h"
#include "intake/text_filter.h"

namespace vexa {
namespace {

namespace fs = std::filesystem;
using test::IndexTest;

class FolderPassTest : public IndexTest {
 protected:
  void SetUp() override {
    IndexTest::SetUp();
    index_.OnProgress = [this](const std::string& name, std::int32_t, double, int done,
                               int total) {
      added_.push_back(fs::path(name).filename().string());
      last_progress_ = std::to_string(done) + "/" + std::to_string(total);
      if (done == cancel_at_) index_.Cancelled = true;
    };
    index_.OnSkip = [this](const std::string& name, std::int32_t code) {
      skipped_.push_back(fs::path(name).filename().string() + ": " + FilterErrorText(code));
    };
  }

  static std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
  }

  // `count` text files f000.txt... with distinct texts in `folder` below the home.
  std::string MakeFolder(const std::string& folder, int count) {
    for (int i = 0; i < count; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "f%03d.txt", i);
      test::WriteFile(home_ / folder / name, "document number " + std::string(1 + i % 7, 'q') +
                                                 " " + std::to_string(i * 7919));
    }
    return (home_ / folder).string();
  }
  std::string Count(const char* table) { return Rows(std::string("select count(*) from ") + table); }

  std::vector<std::string> added_, skipped_;  // file names, in the order reported
  std::string last_progress_;
  int cancel_at_ = -1;
};

TEST_F(FolderPassTest, CancelAfter70Of120KeepsTheFirstTwoBatches) {
  const std::string folder = MakeFolder("docs", 120);
  cancel_at_ = 70;
  EXPECT_THROW(index_.IndexFolder(folder), RunAbort);
  EXPECT_EQ(added_.size(), 70u);
  EXPECT_EQ(last_progress_, "70/120");
  EXPECT_EQ(Count("FILES"), "50");
  EXPECT_EQ(index_.GetIntSetting("Added_files", -1), 50);
  EXPECT_FALSE(index_.Database().InTransaction());

  // The next pass clears the flag, looks the 50 up and adds the other 70.
  cancel_at_ = -1;
  added_.clear();
  index_.IndexFolder(folder);
  EXPECT_EQ(added_.size(), 70u);
  EXPECT_EQ(Count("FILES"), "120");
  EXPECT_EQ(index_.GetIntSetting("Added_files", -1), 120);

  // Texts read ahead on the second thread land with their own files.
  SqlTable rows = index_.Database().Query("select FName, BODY from FILES");
  for (; !rows.Eof(); rows.Next()) {
    const std::string name = fs::path(rows.Text(0)).stem().string();  // "f042"
    const auto blob = rows.Blob(1);
    std::string body(4096, '\0');
    uLongf size = body.size();
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(body.data()), &size, blob.data(), blob.size()),
              Z_OK);
    body.resize(size);
    EXPECT_TRUE(body.ends_with(" " + std::to_string(std::stoi(name.substr(1)) * 7919))) << body;
  }
}

TEST_F(FolderPassTest, IncrementalPassReingestsOnlyChangedFilesAndReportsSkips) {
  const std::string folder = MakeFolder("it's here", 4);  // an apostrophe in the path
  test::WriteFile(home_ / "it's here/empty.txt", "");
  test::WriteFile(home_ / "it's here/broken.docx", "not a zip");
  index_.IndexFolder(folder);
  EXPECT_EQ(Count("FILES"), "4");
  EXPECT_TRUE(index_.HasDocumentsUnder(folder));
  EXPECT_TRUE(index_.HasDocumentsUnder(folder + "/"));
  EXPECT_FALSE(index_.HasDocumentsUnder(folder + "x"));

  // Unchanged files are neither extracted nor reported; a changed one is replaced, a
  // copy becomes a duplicate; the files without text are reported again.
  test::WriteFile(home_ / "it's here/f001.txt", "a new text for number one");
  fs::copy_file(home_ / "it's here/f002.txt", home_ / "it's here/copy.txt");
  added_.clear();
  skipped_.clear();
  index_.Added = index_.Replaced = index_.Deleted = 0;
  index_.IndexFolder(folder);
  EXPECT_EQ(Sorted(added_), (std::vector<std::string>{"copy.txt", "f001.txt"}));
  EXPECT_EQ(Sorted(skipped_),
            (std::vector<std::string>{"broken.docx: The document format is not recognized",
                                      "empty.txt: error code 0"}));
  EXPECT_EQ(index_.Replaced, 1);
  EXPECT_EQ(index_.Deleted, 0);
  EXPECT_EQ(Count("FILES_S"), "1");
  EXPECT_EQ(index_.GetIntSetting("Added_files", -1), 6);
}

TEST_F(FolderPassTest, MaxScanEndsThisAndEveryLaterPassOfTheRun) {
  const std::string folder = MakeFolder("many", 15);
  index_.MaxScan = 10;
  index_.IndexFolder(folder);
  EXPECT_EQ(index_.Scanned, 11);
  EXPECT_EQ(Count("FILES"), "10");
  index_.IndexFolder(MakeFolder("more", 3));
  EXPECT_EQ(index_.Scanned, 12);
  EXPECT_EQ(Count("FILES"), "10");
  EXPECT_EQ(index_.GetIntSetting("Added_files", -1), 10);
}

TEST_F(FolderPassTest, PassesThatListNothingTouchNothing) {
  fs::create_directories(home_ / "void");
  MakeFolder("masked", 2);
  index_.IndexFolder((home_ / "void").string());
  index_.IncludeMasks = {"*.doc"};
  index_.IndexFolder((home_ / "masked").string());
  index_.IndexFolder((home_ / "missing").string());
  EXPECT_EQ(Rows("select count(*) from SCB where PAR='Added_files'"), "0");
}

TEST_F(FolderPassTest, ASingleFileProfilePathIsLookedUpOnLaterRuns) {
  MakeFolder("one", 1);
  const std::string file = (home_ / "one/f000.txt").string();
  index_.IndexFolder(file);
  index_.IndexFolder(file);
  index_.IndexFolder((home_ / "one/*.txt").string());
  EXPECT_EQ(Count("FILES") + "+" + Count("FILES_S"), "1+0");
}

TEST_F(FolderPassTest, PurgeRemovesMissingFilesOnReachableDrivesOnly) {
  MakeFolder("p", 2);
  index_.IndexFolder((home_ / "p").string());
  test::WriteFile(home_ / "p/dup.txt", "document number q 0");  // a duplicate of f000
  index_.IndexFolder((home_ / "p").string());
  auto& db = index_.Database();
  db.Begin();
  index_.AddDocument("/mnt/vexa-test-unmounted-disk/a.txt", 1, "far away", 45000);
  db.Commit();
  index_.SetIntSetting("Deleted_files", 5);

  fs::remove(home_ / "p/f000.txt");  // holds the FILES row of the pair
  fs::remove(home_ / "p/f001.txt");
  index_.Deleted = 0;
  index_.PurgeMissing();
  EXPECT_EQ(Rows("select FName from FILES order by IDf"),
            (home_ / "p/dup.txt").string() + ";/mnt/vexa-test-unmounted-disk/a.txt");
  EXPECT_EQ(Count("FILES_S"), "0");
  EXPECT_EQ(index_.Deleted, 2);
  EXPECT_EQ(index_.GetIntSetting("Deleted_files", -1), 7);
  EXPECT_FALSE(index_.PurgeTime.empty());
}

}  // namespace
}  // namespace vexa
