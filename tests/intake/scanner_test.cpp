#include "intake/scanner.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "config/day_count.h"
#include "support/temp_home.h"

namespace vexa {
namespace {

namespace fs = std::filesystem;

// A folder tree in a temporary home; listings are reported relative to its root,
// sorted where the listing order is the file system's own.
class ScannerTest : public ::testing::Test {
 protected:
  test::TempHome home_;
  fs::path root_ = home_ / "tree";

  void Touch(const std::string& rel) { test::WriteFile(root_ / rel, "x"); }

  static std::vector<std::string> Paths(const TF_tree& tree) {
    std::vector<std::string> paths;
    for (int i = 0; i < tree.EntryCount(); ++i) paths.push_back(tree.EntryPath(i));
    return paths;
  }
  std::vector<std::string> Sorted(std::vector<std::string> paths) const {
    const std::string prefix = root_.string() + "/";
    for (auto& p : paths) {
      if (p.compare(0, prefix.size(), prefix) == 0) p.erase(0, prefix.size());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
  }
  std::vector<std::string> List(const std::string& start, std::vector<std::string> masks = {},
                                bool recursive = true) {
    TF_tree tree;
    tree.IncludeMasks = std::move(masks);
    tree.Recursive = recursive;
    tree.Scan(start);
    return Sorted(Paths(tree));
  }
};

using Names = std::vector<std::string>;

TEST_F(ScannerTest, ListsEveryFileDepthFirstUnderTheStartPathAsWritten) {
  for (const char* f : {"a.txt", ".hidden", "sub/b.txt", "sub/deeper/c.txt", "sub/d.txt", "z.txt"})
    Touch(f);
  fs::create_directories(root_ / "empty");

  for (const std::string& start :
       {root_.string(), root_.string() + "/", "  " + root_.string() + "\t\n"}) {
    TF_tree tree;
    tree.Scan(start);
    const auto paths = Paths(tree);
    for (const auto& p : paths) EXPECT_EQ(p.rfind(root_.string() + "/", 0), 0u) << p;
    EXPECT_EQ(Sorted(paths),
              (Names{".hidden", "a.txt", "sub/b.txt", "sub/d.txt", "sub/deeper/c.txt", "z.txt"}));
    // A subfolder's files, and within them its own subfolder's, sit together.
    auto first = std::find_if(paths.begin(), paths.end(),
                              [&](auto& p) { return p.find("/sub/") != p.npos; });
    ASSERT_NE(first, paths.end());
    EXPECT_TRUE(std::all_of(first, first + 3, [](auto& p) { return p.find("/sub/") != p.npos; }));
  }
}

TEST_F(ScannerTest, IncludeMasks) {
  for (const char* f : {"a.DOC", "b.docx", "c.txt", "temp/d.bin", "x/temp/e.bin", "temp.bin"})
    Touch(f);
  struct Case {
    Names masks;
    Names expected;
  } cases[] = {
      {{"*.doc", "*.txt"}, {"a.DOC", "c.txt"}},          // case ignored, whole name matched
      {{"*/temp/*"}, {"temp/d.bin", "x/temp/e.bin"}},    // a folder part: the whole path
      {{"temp*"}, {"temp.bin"}},                         // no folder part: the bare name
      {{"*\\temp\\*"}, {"temp/d.bin", "x/temp/e.bin"}},  // either separator
      {{}, {"a.DOC", "b.docx", "c.txt", "temp.bin", "temp/d.bin", "x/temp/e.bin"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(List(root_.string(), c.masks), c.expected) << ::testing::PrintToString(c.masks);
  }
}

TEST_F(ScannerTest, LinksFifosAndUnreachableFolders) {
  Touch("real/file.txt");
  test::WriteFile(root_ / "target.bin", std::string(1234, 'y'));
  fs::create_symlink(root_ / "target.bin", root_ / "real/link.bin");
  fs::create_directory_symlink(root_, root_ / "real/loop");  // would never end if entered
  fs::create_symlink(root_ / "missing", root_ / "real/dangling");
  ASSERT_EQ(mkfifo((root_ / "real/pipe").c_str(), 0600), 0);

  EXPECT_EQ(List((root_ / "real").string()), (Names{"real/file.txt", "real/link.bin"}));
  TF_tree tree;
  tree.Scan((root_ / "real/link.bin").string());
  ASSERT_EQ(tree.EntryCount(), 1);
  EXPECT_EQ(tree.Entry(0).Size, 1234);  // the target's size

  fs::create_directories(root_ / "only_folders/one");
  Touch("only_folders/one/deep.txt");
  EXPECT_EQ(List((root_ / "only_folders").string(), {}, false), Names{});
  EXPECT_EQ(List((root_ / "no_such").string()), Names{});
  EXPECT_EQ(List(""), Names{});
  EXPECT_EQ(List("   "), Names{});
}

TEST_F(ScannerTest, SingleFilesPatternsAndAppendingScans) {
  Touch("one/a.txt");
  Touch("two/b.txt");
  Touch("two/c.txt");
  TF_tree tree;
  tree.Scan((root_ / "one/a.txt").string());
  tree.Scan((root_ / "two").string());
  EXPECT_EQ(Sorted(Paths(tree)), (Names{"one/a.txt", "two/b.txt", "two/c.txt"}));
  EXPECT_EQ(tree.EntryPath(0), (root_ / "one/a.txt").string());

  // A pattern offers only the first entry it matches.
  EXPECT_EQ(List((root_ / "two/*.TXT").string()).size(), 1u);
  EXPECT_EQ(List((root_ / "two/*.doc").string()), Names{});
  // A file start path still meets the masks.
  EXPECT_EQ(List((root_ / "one/a.txt").string(), {"*.doc"}), Names{});
}

TEST(ScannerTime, LocalTimeTruncatedToEvenSecondsAtAnyDate) {
  struct Case {
    int year, month, day, hour, minute, second, expected_second;
  } cases[] = {
      {2021, 6, 15, 13, 45, 31, 30},
      {2021, 6, 15, 13, 45, 30, 30},
      {1970, 1, 2, 0, 0, 3, 2},   // before 1980: a real date, not today
      {2110, 3, 1, 8, 0, 59, 58},  // after 2107 likewise
  };
  for (const auto& c : cases) {
    std::tm tm{};
    tm.tm_year = c.year - 1900, tm.tm_mon = c.month - 1, tm.tm_mday = c.day;
    tm.tm_hour = c.hour, tm.tm_min = c.minute, tm.tm_sec = c.second, tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    EXPECT_EQ(ScannerTime(t),
              DayCount(c.year, c.month, c.day, c.hour, c.minute, c.expected_second))
        << c.year;
  }
}

TEST_F(ScannerTest, EntriesCarryTheFileTimeAndA64BitSize) {
  Touch("big.bin");
  const std::string big = (root_ / "big.bin").string();
  ASSERT_EQ(truncate(big.c_str(), 5LL << 30), 0);  // sparse: no disk space used
  const timespec times[2] = {{1623764731, 999999999}, {1623764731, 999999999}};
  ASSERT_EQ(utimensat(AT_FDCWD, big.c_str(), times, 0), 0);

  TF_tree tree;
  tree.Scan(big);
  ASSERT_EQ(tree.EntryCount(), 1);
  EXPECT_EQ(tree.Entry(0).Size, 5LL << 30);
  EXPECT_EQ(tree.Entry(0).Time, ScannerTime(1623764731));
}

}  // namespace
}  // namespace vexa
