#include "config/folders.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_home.h"

namespace vexa {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

class FoldersTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(program_); }
  std::string Data() const { return (home_ / ".local/share/VexaDoc").string(); }

  test::TempHome home_;
  fs::path program_ = home_ / "opt/vexa";
};

TEST_F(FoldersTest, FirstStartCreatesFoldersAndConfiguration) {
  fs::create_directories(home_ / "Documents");
  InitPathsAt(program_.string() + "/");
  EXPECT_EQ(ProgramFolder(), program_.string());
  EXPECT_EQ(CommonDataFolder(), (home_ / ".local/share").string());
  EXPECT_EQ(DataFolder(), Data());
  EXPECT_EQ(ProfilesFolder(), Data() + "/Profiles");
  EXPECT_EQ(LogsFolder(), Data() + "/Logs");
  EXPECT_TRUE(fs::is_directory(ProfilesFolder()));
  EXPECT_TRUE(fs::is_directory(LogsFolder()));
  EXPECT_EQ(Config().FileName(), Data() + "/xvexadoc.xml");
  EXPECT_EQ(ReadFile(Config().FileName()),
            "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
            "<!--Vexa Search Engine config file -->\r\n"
            "<Configuration>\r\n"
            "  <Indexed_paths>\r\n"
            "    <Item0>" +
                (home_ / "Documents").string() +
                "</Item0>\r\n"
                "    <Count>1</Count>\r\n"
                "  </Indexed_paths>\r\n"
                "</Configuration>\r\n");
  EXPECT_EQ(NewIndexCodePage(), 1252);

  // A second start keeps the list the user has.
  Config().WriteList("Indexed_paths", {"/data/a", "/data/b"});
  Config().WriteInteger("Codepage", 1251);
  InitPathsAt(program_.string());
  std::vector<std::string> paths;
  Config().ReadList("Indexed_paths", paths);
  EXPECT_EQ(paths, (std::vector<std::string>{"/data/a", "/data/b"}));
  EXPECT_EQ(NewIndexCodePage(), 1251);
}

TEST_F(FoldersTest, ConfigurationBesideTheProgramIsUsed) {
  WriteFile(program_ / "xvexadoc.xml", "<Configuration/>");
  InitPathsAt(program_.string());
  EXPECT_EQ(DataFolder(), program_.string());
  EXPECT_EQ(Config().FileName(), (program_ / "xvexadoc.xml").string());
  std::vector<std::string> entries;
  for (const auto& e : fs::directory_iterator(Data())) entries.push_back(e.path().filename());
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{"Logs", "Profiles"}));
  EXPECT_NE(ReadFile(program_ / "xvexadoc.xml").find("<Indexed_paths>"), std::string::npos);
}

TEST_F(FoldersTest, UnparseableConfigurationEndsStartUp) {
  WriteFile(fs::path(Data()) / "xvexadoc.xml", "<Configuration>");
  EXPECT_THROW(InitPathsAt(program_.string()), XmlError);
}

TEST_F(FoldersTest, FolderThatCannotBeCreated) {
  WriteFile(home_ / ".local/share", "a file where the data home should be");
  EXPECT_THROW(
      {
        try {
          InitPathsAt(program_.string());
        } catch (const std::runtime_error& e) {
          EXPECT_STREQ(e.what(), ("Can't create directory " + Data()).c_str());
          throw;
        }
      },
      std::runtime_error);
}

TEST_F(FoldersTest, DocumentsFolderChoice) {
  const fs::path user_dirs = home_ / ".config/user-dirs.dirs";
  EXPECT_EQ(DocumentsFolder(), home_.Path().string());  // nothing there: home itself

  fs::create_directories(home_ / "Documents");
  EXPECT_EQ(DocumentsFolder(), (home_ / "Documents").string());

  WriteFile(user_dirs, "# comment\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
  EXPECT_EQ(DocumentsFolder(), (home_ / "Documents").string());  // named folder missing
  fs::create_directories(home_ / "Dokumente");
  EXPECT_EQ(DocumentsFolder(), (home_ / "Dokumente").string());

  fs::create_directories(home_ / "My \"Docs\"");
  WriteFile(user_dirs, "XDG_DOCUMENTS_DIR=\"" + home_.Path().string() + "/My \\\"Docs\\\"\"\n");
  EXPECT_EQ(DocumentsFolder(), (home_ / "My \"Docs\"").string());
}

}  // namespace
}  // namespace vexa
