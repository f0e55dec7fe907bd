#include "config/profiles.h"

#include <gtest/gtest.h>

#include "support/temp_home.h"

namespace vexa {
namespace {

using test::ReadFile;
using test::WriteFile;

const std::string kProfileHead =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<!--Vexa Search Engine index profile-->\r\n"
    "<Configuration>\r\n"
    "  <Index>\r\n";

class ProfileTest : public ::testing::Test {
 protected:
  std::string File() const { return (home_ / "p.indp").string(); }

  test::TempHome home_;
};

TEST_F(ProfileTest, SavedLayoutAndRoundTrip) {
  TIndp p;
  p.title = "T";
  p.ifile = "/idx/index.db";
  p.items.Add({"/docs", "*.doc \"my file*.txt\"", "", true});
  p.items.Add({"/old", "", "*.tmp", false});
  p.maxscan = 10;  // never saved
  p.debug = 1;
  p.SaveProfile(File());
  EXPECT_EQ(ReadFile(File()), kProfileHead +
                                  "    <tag/>\r\n"
                                  "    <title>T</title>\r\n"
                                  "    <ifile>/idx/index.db</ifile>\r\n"
                                  "    <items>\r\n"
                                  "      <Item0>\r\n"
                                  "        <path>/docs</path>\r\n"
                                  "        <incl>*.doc &quot;my file*.txt&quot;</incl>\r\n"
                                  "        <excl/>\r\n"
                                  "        <en>TRUE</en>\r\n"
                                  "      </Item0>\r\n"
                                  "      <Item1>\r\n"
                                  "        <path>/old</path>\r\n"
                                  "        <incl/>\r\n"
                                  "        <excl>*.tmp</excl>\r\n"
                                  "        <en>FALSE</en>\r\n"
                                  "      </Item1>\r\n"
                                  "      <Count>2</Count>\r\n"
                                  "    </items>\r\n"
                                  "    <clear_files>1</clear_files>\r\n"
                                  "    <flags/>\r\n"
                                  "  </Index>\r\n"
                                  "</Configuration>\r\n");
  TIndp back;
  back.LoadProfile(File());
  EXPECT_EQ(back.Signature(), p.Signature());
  EXPECT_EQ(back.Signature(), "T/idx/index.db/docs*.doc \"my file*.txt\"-1/old*.tmp0");
  EXPECT_EQ(back.maxscan, 0);
  EXPECT_EQ(back.debug, 0);
}

TEST_F(ProfileTest, HandWrittenMaxscanAndDebugSurviveASave) {
  WriteFile(File(),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Configuration><Index>"
            "<title>Old</title><maxscan>500</maxscan><debug>1</debug><note>mine</note>"
            "<items><Item0><path>/a</path><en>NO</en></Item0><Item1><path>/b</path>"
            "<en>0</en></Item1><Item2><path>/c</path><en>y</en></Item2><Count>3</Count>"
            "</items></Index></Configuration>");
  TIndp p;
  p.LoadProfile(File());
  EXPECT_EQ(p.maxscan, 500);
  EXPECT_EQ(p.debug, 1);
  EXPECT_EQ(p.clear_files, 1);  // absent: stays as created
  ASSERT_EQ(p.items.Count(), 3u);
  EXPECT_FALSE(p.items.Item(0).en);
  EXPECT_FALSE(p.items.Item(1).en);
  EXPECT_TRUE(p.items.Item(2).en);

  p.title = "New";
  p.maxscan = 7;  // the editor cannot change these
  p.items.Delete(2);
  p.items.Delete(1);
  p.SaveProfile(File());

  TIndp back;
  back.LoadProfile(File());
  EXPECT_EQ(back.title, "New");
  EXPECT_EQ(back.maxscan, 500);
  EXPECT_EQ(back.debug, 1);
  ASSERT_EQ(back.items.Count(), 1u);
  const std::string bytes = ReadFile(File());
  EXPECT_NE(bytes.find("<note>mine</note>"), std::string::npos);
  EXPECT_EQ(bytes.find("<Item1>"), std::string::npos);
  EXPECT_EQ(bytes.find("<Item2>"), std::string::npos);
  EXPECT_NE(bytes.find("<Count>1</Count>"), std::string::npos);
}

TEST_F(ProfileTest, MissingFileLeavesFieldsAlone) {
  TIndp p;
  p.title = "kept";
  p.LoadProfile((home_ / "none.indp").string());
  EXPECT_EQ(p.title, "kept");
  WriteFile(File(), "<Configuration><Index><title>x</Index></Configuration>");
  EXPECT_THROW(p.LoadProfile(File()), XmlError);
}

class IndexListTest : public ::testing::Test {
 protected:
  IndexListTest() : store_((home_ / "xvexadoc.xml").string(), "c"), list_(store_) {}

  TIndexItem Entry(const std::string& name, bool create) {
    const std::string file = (home_ / name).string();
    if (create) WriteFile(file, "db");
    return {file, "title " + name, DayCount(2024, 3, 5, 14, 7, 9), "tag"};
  }

  test::TempHome home_;
  ConfigStore store_;
  TindexList list_;
};

TEST_F(IndexListTest, ExistingEntriesInListOrder) {
  list_.items = {Entry("A.db", false), Entry("B.db", true), Entry("C.db", true)};
  list_.SaveIndexList();
  TindexList loaded(store_);
  loaded.LoadIndexList();
  ASSERT_EQ(loaded.items.size(), 3u);
  EXPECT_EQ(loaded.items[1].title, "title B.db");
  EXPECT_DOUBLE_EQ(loaded.items[1].dt, DayCount(2024, 3, 5, 14, 7, 9));
  EXPECT_EQ(loaded.ExistingCount(), 2);
  EXPECT_EQ(loaded.ExistingItem(0).ifile, (home_ / "B.db").string());
  EXPECT_EQ(loaded.ExistingItem(1).ifile, (home_ / "C.db").string());
  try {
    loaded.ExistingItem(2);
    FAIL() << "no error";
  } catch (const std::out_of_range& e) {
    EXPECT_STREQ(e.what(), "Index out of bounds in function GetVi");
  }
}

TEST_F(IndexListTest, RemoveIndexIgnoresLetterCase) {
  list_.items = {Entry("Über.db", false), Entry("b.db", false)};
  list_.RemoveIndex((home_ / "üBER.DB").string());
  list_.RemoveIndex("/not/listed.db");
  list_.SaveIndexList();
  TindexList loaded(store_);
  loaded.LoadIndexList();
  ASSERT_EQ(loaded.items.size(), 1u);
  EXPECT_EQ(loaded.items[0].ifile, (home_ / "b.db").string());
}

TEST_F(IndexListTest, UnreadableDateFailsTheLoad) {
  WriteFile(store_.FileName(),
            "<Configuration><Indexes><Item0><ifile>/x.db</ifile><dt>not a date</dt></Item0>"
            "<Count>1</Count></Indexes></Configuration>");
  EXPECT_THROW(list_.LoadIndexList(), std::runtime_error);
}

}  // namespace
}  // namespace vexa
