#include "config/messages.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "config/folders.h"
#include "support/temp_home.h"

namespace vexa {
namespace {

namespace fs = std::filesystem;
using test::WriteFile;

std::string Catalogue(const std::string& language) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<m><default_Language>" + language +
         "</default_Language><common>"
         "<both><de>Seiten</de><en>Pages</en></both>"
         "<english><en>only en</en></english>"
         "<french><fr>le</fr></french>"
         "<blank><de/><en>not this</en></blank>"
         "</common></m>";
}

// A process with its program folder, data home and current directory in a temporary home.
class CatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(program_);
    fs::create_directories(cwd_);
    InitPathsAt(program_.string());
    old_cwd_ = fs::current_path();
    fs::current_path(cwd_);
  }
  void TearDown() override { fs::current_path(old_cwd_); }

  test::TempHome home_;
  fs::path program_ = home_ / "opt/vexa";
  fs::path cwd_ = home_ / "work";
  fs::path shared_ = home_ / ".local/share/VexaDoc/messages.xml";
  fs::path old_cwd_;
};

TEST_F(CatalogueTest, LanguageFallback) {
  WriteFile(program_ / "messages.xml", Catalogue("de"));
  Tmessages m;
  m.Load();
  EXPECT_EQ(m.CatalogueError, "");
  EXPECT_EQ(m.Language, "de");
  const struct {
    const char* key;
    const char* text;
  } cases[] = {
      {"both", "Seiten"}, {"english", "only en"}, {"french", "french"},
      {"blank", ""},      {"pages", "pages"},     {"common", "common"},
  };
  for (const auto& c : cases) EXPECT_EQ(m.MessageText(c.key), c.text) << c.key;

  WriteFile(program_ / "messages.xml", "<m><common><both><en>Pages</en></both></common></m>");
  m.Load();  // no default_Language: "en"
  EXPECT_EQ(m.Language, "");
  EXPECT_EQ(m.MessageText("both"), "Pages");
}

TEST_F(CatalogueTest, CurrentDirectoryThenProgramThenDataFolder) {
  WriteFile(cwd_ / "messages.xml", Catalogue("cwd"));
  WriteFile(program_ / "messages.xml", Catalogue("program"));
  WriteFile(shared_, Catalogue("shared"));
  for (const char* expected : {"cwd", "program", "shared"}) {
    Tmessages m;
    m.Load();
    EXPECT_EQ(m.Language, expected);
    fs::remove(FindDataFile("messages.xml"));
  }
  EXPECT_EQ(FindDataFile("messages.xml"), "");
}

TEST_F(CatalogueTest, MissingOrBrokenCatalogue) {
  Tmessages m;
  m.Load();
  EXPECT_EQ(m.CatalogueError, "The file messages.xml is not found");
  EXPECT_EQ(m.MessageText("pages"), "pages");

  WriteFile(shared_, "<m><common>");
  EXPECT_THROW(m.Load(), XmlError);

  fs::remove(shared_);
  unsetenv("XDG_DATA_HOME");
  unsetenv("HOME");
  try {
    FindDataFile("messages.xml");
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Error calling SHGetSpecialFolderPath function (", 0),
              0u);
  }
}

// The catalogue shipped with the programs: every key in every language, and the
// "documents_found" texts usable as the summary's format.
TEST(ShippedCatalogue, CompleteAndUsableAsFormat) {
  Tmessages m;
  m.LoadFile(VEXA_SOURCE_DIR "/resources/messages.xml");
  EXPECT_EQ(m.Language, "en");
  for (const char* language : {"en", "de", "ru"}) {
    m.Language = language;
    for (const char* key :
         {"pages", "index_refreshed", "documents_found", "not_found", "because_index_empty"})
      EXPECT_NE(m.MessageText(key), key) << language << " " << key;
    const std::string format = m.MessageText("documents_found");
    std::size_t conversions = 0;
    for (std::size_t at = format.find('%'); at != std::string::npos;
         at = format.find('%', at + 2)) {
      if (format[at + 1] == '%') continue;
      ++conversions;
      const std::size_t letter = format.find_first_not_of("0123456789.-+ #", at + 1);
      ASSERT_NE(letter, std::string::npos) << format;
      EXPECT_NE(std::string("fFeEgG").find(format[letter]), std::string::npos) << format;
    }
    EXPECT_EQ(conversions, 1u) << format;
  }
}

}  // namespace
}  // namespace vexa
