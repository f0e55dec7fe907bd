#include "config/config_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_home.h"

namespace vexa {
namespace {

using test::ReadFile;
using test::WriteFile;

const std::string kHead =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<!--Vexa Search Engine config file -->\r\n";

class ConfigStoreTest : public ::testing::Test {
 protected:
  std::string File() const { return (home_ / "xvexadoc.xml").string(); }
  ConfigStore Store() const { return ConfigStore(File(), "Vexa Search Engine config file "); }

  test::TempHome home_;
};

TEST_F(ConfigStoreTest, ListShrinksAndGrowsInOrder) {
  ConfigStore store = Store();
  store.WriteList("Indexed_paths", {"a", "b", "c"});
  store.WriteList("Indexed_paths", {"only"});
  EXPECT_EQ(ReadFile(File()), kHead +
                                  "<Configuration>\r\n"
                                  "  <Indexed_paths>\r\n"
                                  "    <Item0>only</Item0>\r\n"
                                  "    <Count>1</Count>\r\n"
                                  "  </Indexed_paths>\r\n"
                                  "</Configuration>\r\n");
  store.WriteList("Indexed_paths", {"x", "y"});
  std::vector<std::string> list{"stale"};
  EXPECT_TRUE(store.ReadList("Indexed_paths", list));
  EXPECT_EQ(list, (std::vector<std::string>{"x", "y"}));
  const std::string bytes = ReadFile(File());
  EXPECT_LT(bytes.find("<Item1>y</Item1>"), bytes.find("<Count>2</Count>"));
}

TEST_F(ConfigStoreTest, MissingKeysGiveDefaults) {
  WriteFile(File(),
            "<Configuration><Pagelen>abc</Pagelen><L><Item1>b</Item1></L>"
            "<E><Count>3</Count><Item2>c</Item2></E></Configuration>");
  ConfigStore store = Store();
  EXPECT_EQ(store.ReadInteger("Debug", 0), 0);
  EXPECT_EQ(store.ReadInteger("Pagelen", 20), -1);  // present but not a number
  EXPECT_EQ(store.ReadString("xvexadoc/qq_Text", "dflt"), "dflt");
  std::vector<std::string> list{"kept"};
  EXPECT_FALSE(store.ReadList("qq_Items", list));
  EXPECT_EQ(list, std::vector<std::string>{"kept"});
  EXPECT_TRUE(store.ReadList("L", list));  // no "Count": no items
  EXPECT_TRUE(list.empty());
  EXPECT_TRUE(store.ReadList("E", list));  // missing items read as empty texts
  EXPECT_EQ(list, (std::vector<std::string>{"", "", "c"}));
}

TEST_F(ConfigStoreTest, ValuesRoundTripEscaped) {
  ConfigStore store = Store();
  const std::string tricky = "<a & \"b\" 'c'>\r\n\ttab  ";
  store.WriteString("xvexadoc/qq_Text", tricky);
  store.WriteInteger("xvexadoc/srca_ItemIndex", -1);
  EXPECT_EQ(store.ReadString("xvexadoc/qq_Text", ""), tricky);
  EXPECT_EQ(store.ReadInteger("xvexadoc/srca_ItemIndex", 5), -1);
  EXPECT_NE(ReadFile(File()).find("&lt;a &amp; &quot;b&quot; &apos;c&apos;&gt;&#13;\n\ttab  <"),
            std::string::npos);
}

TEST_F(ConfigStoreTest, UnwritableTextStaysReadable) {
  ConfigStore store = Store();
  store.WriteString("v", std::string("a\x01"
                                     "b\xFF"
                                     "c",
                                     5));
  EXPECT_EQ(store.ReadString("v", ""),
            "ab\xEF\xBF\xBD"
            "c");
}

TEST_F(ConfigStoreTest, RewriteKeepsCommentsAndForeignElements) {
  WriteFile(File(),
            "<?xml version=\"1.0\"?>\n<!-- mine -->\n<Configuration>\n"
            "  <!-- note -->\n  <Custom attr=\"1\">x</Custom>\n</Configuration>\n");
  Store().WriteInteger("Pagelen", 30);
  EXPECT_EQ(ReadFile(File()),
            "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
            "<!-- mine -->\r\n"
            "<Configuration>\r\n"
            "  <!-- note -->\r\n"
            "  <Custom attr=\"1\">x</Custom>\r\n"
            "  <Pagelen>30</Pagelen>\r\n"
            "</Configuration>\r\n");
}

TEST_F(ConfigStoreTest, ReadOnlyFileIsNeverWritten) {
  const std::string original = "<Configuration><Pagelen>5</Pagelen></Configuration>";
  WriteFile(File(), original);
  chmod(File().c_str(), 0444);
  Store().WriteInteger("Pagelen", 30);  // skipped silently
  EXPECT_EQ(ReadFile(File()), original);
}

TEST_F(ConfigStoreTest, FailedSaveIsIgnored) {
  ConfigStore store((home_ / "no-such-folder/x.xml").string(), "c");
  EXPECT_NO_THROW(store.WriteInteger("Pagelen", 30));
  EXPECT_EQ(store.ReadInteger("Pagelen", 20), 20);
}

TEST_F(ConfigStoreTest, EveryReadSeesTheFileAsItIsNow) {
  ConfigStore store = Store();
  store.WriteInteger("Debug", 1);
  WriteFile(File(), "<Configuration><Debug>2</Debug></Configuration>");  // another process
  EXPECT_EQ(store.ReadInteger("Debug", 0), 2);
  WriteFile(File(), "");  // an empty file reads as an empty tree
  EXPECT_EQ(store.ReadInteger("Debug", 0), 0);
}

TEST_F(ConfigStoreTest, MalformedFileNamesFileAndLine) {
  WriteFile(File(), "<Configuration>\n<a></b>\n</Configuration>");
  try {
    Store().ReadInteger("Debug", 0);
    FAIL() << "no error";
  } catch (const XmlError& e) {
    EXPECT_NE(std::string(e.what()).find(File() + " (line 2)"), std::string::npos) << e.what();
  }
}

TEST_F(ConfigStoreTest, ExternalEntitiesAreNotExpanded) {
  WriteFile(home_ / "secret.txt", "SECRET");
  WriteFile(File(), "<?xml version=\"1.0\"?>\n<!DOCTYPE c [<!ENTITY x SYSTEM \"" +
                        (home_ / "secret.txt").string() +
                        "\">]>\n<Configuration><v>&x;</v></Configuration>");
  EXPECT_EQ(Store().ReadString("v", "d"), "");
}

struct Entry {
  std::string name;
  int size = 7;
  bool on = false;
  double dt = 0;
};

TEST_F(ConfigStoreTest, RecordsByFieldName) {
  const auto layout = RecordLayout<Entry>()
                          .Text("name", &Entry::name)
                          .Integer("size", &Entry::size)
                          .Boolean("on", &Entry::on)
                          .DateTime("dt", &Entry::dt);
  ConfigStore store = Store();
  const double dt = DayCount(2024, 3, 5, 14, 7, 9);
  store.WriteRecords("Entries", layout, std::vector<Entry>{{"a", 1, true, dt}, {"", 2, false, 0}});
  EXPECT_NE(ReadFile(File()).find("      <name/>\r\n      <size>2</size>\r\n"
                                  "      <on>FALSE</on>\r\n"),
            std::string::npos);

  std::vector<Entry> read;
  ASSERT_TRUE(store.ReadRecords("Entries", layout, read));
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].name, "a");
  EXPECT_TRUE(read[0].on);
  EXPECT_DOUBLE_EQ(read[0].dt, dt);
  EXPECT_EQ(read[1].size, 2);

  // Fields are found by name in any order; missing items and fields keep their defaults;
  // an unknown child of an item survives a rewrite.
  WriteFile(File(),
            "<Configuration><Entries><Item0><on>yes</on><extra>e</extra><name>n</name></Item0>"
            "<Count>2</Count></Entries></Configuration>");
  ASSERT_TRUE(store.ReadRecords("Entries", layout, read));
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].name, "n");
  EXPECT_TRUE(read[0].on);
  EXPECT_EQ(read[0].size, 7);
  EXPECT_EQ(read[1].size, 7);
  store.WriteRecords("Entries", layout, std::vector<Entry>{read[0]});
  EXPECT_NE(ReadFile(File()).find("<extra>e</extra>"), std::string::npos);

  WriteFile(File(),
            "<Configuration><Entries><Item0><dt>soon</dt></Item0><Count>1</Count></Entries>"
            "</Configuration>");
  EXPECT_THROW(store.ReadRecords("Entries", layout, read), std::runtime_error);
}

TEST(ConfigValues, BooleanAndIntegerTexts) {
  const struct {
    const char* text;
    bool value;
  } booleans[] = {{"TRUE", true}, {"yes", true},  {"y", true},    {"False", false},
                  {"NO", false},  {"n", false},   {"0", false},   {"2", true},
                  {"-1", true},   {"junk", true}, {" no ", false}};
  for (const auto& c : booleans) EXPECT_EQ(BooleanOfText(c.text), c.value) << c.text;

  const struct {
    const char* text;
    int value;
  } integers[] = {{"42", 42},
                  {"-7", -7},
                  {"+3", 3},
                  {" 12 ", 12},
                  {"", -1},
                  {"1x", -1},
                  {"0x10", -1},
                  {"99999999999", -1},
                  {"-2147483648", INT32_MIN}};
  for (const auto& c : integers) EXPECT_EQ(IntegerOfText(c.text), c.value) << c.text;
}

TEST(XmlTree, SerializesAttributesAndNesting) {
  XmlDocument doc = NewXmlDocument("Search_Result", "generated");
  doc.root.Add("Error");
  XmlElement& files = doc.root.Add("Files");
  XmlElement& file = files.Add("File", "C:\\a&b.txt");
  file.SetAttribute("Date", "05.03.2024 14:07:09");
  file.SetAttribute("Len", "1\t2\n\"3\"");
  EXPECT_EQ(SerializeXml(doc),
            "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
            "<!--generated-->\r\n"
            "<Search_Result>\r\n"
            "  <Error/>\r\n"
            "  <Files>\r\n"
            "    <File Date=\"05.03.2024 14:07:09\" Len=\"1&#9;2&#10;&quot;3&quot;\">"
            "C:\\a&amp;b.txt</File>\r\n"
            "  </Files>\r\n"
            "</Search_Result>\r\n");
  const XmlDocument back = ParseXml(SerializeXml(doc), "mem");
  EXPECT_EQ(back.root.Find("Files")->Find("File")->attributes, file.attributes);
}

}  // namespace
}  // namespace vexa
