// The profile manager's rows and deletions, without its window.
#include "indexer/qt/profile_list.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include "config/folders.h"
#include "config/profiles.h"
#include "config/text.h"
#include "index/tindex.h"
#include "support/temp_home.h"

namespace vexa {
namespace {

namespace fs = std::filesystem;

class ProfileListTest : public ::testing::Test {
 protected:
  ProfileListTest() { InitPaths(); }

  std::string IndexPath(const std::string& name) const { return (home_ / name).string(); }

  // A profile `name` with one enabled folder, filling IndexPath(name + ".db").
  std::string AddProfile(const std::string& name, const std::string& title) {
    TIndp profile;
    profile.title = title;
    profile.ifile = IndexPath(name + ".db");
    profile.items.Add({"/docs/" + name, "*.txt", "", true});
    profile.SaveProfile(ProfilePath(name));
    return profile.ifile;
  }
  // An index file holding the settings a run leaves.
  static void MakeIndex(const std::string& path, const std::string& finished) {
    TIndex index;
    index.FileName = path;
    index.Open(true);
    index.SetTextSetting("Indexing_finished", finished);
  }
  static void Register(TindexList& list, const std::vector<std::string>& files) {
    list.items.clear();
    for (const std::string& file : files) list.items.push_back({file, "T", 45000, "", false});
    list.SaveIndexList();
  }
  static std::vector<std::string> Registered(TindexList& list) {
    list.LoadIndexList();
    std::vector<std::string> files;
    for (const TIndexItem& item : list.items) files.push_back(item.ifile);
    return files;
  }

  test::TempHome home_;
};

// Answers the deletions' questions from a script and records them.
struct ScriptedAsk {
  std::deque<bool> answers;
  std::vector<std::string> asked;
  AskUser Callback() {
    return [this](const std::string& question) {
      asked.push_back(question);
      if (answers.empty()) return false;
      const bool answer = answers.front();
      answers.pop_front();
      return answer;
    };
  }
};

TEST_F(ProfileListTest, SettingsCellEscapesTitleAndFoldersAndGreysDisabledOnes) {
  TIndp profile;
  profile.title = "R&D <drafts>";
  profile.items.Add({"/data/<b>", "", "", true});
  profile.items.Add({"/mnt/old & new", "", "", false});
  EXPECT_EQ(SettingsCellHtml(profile),
            "<b>R&amp;D &lt;drafts&gt;</b><br>/data/&lt;b&gt;"
            "<br><font color=\"#777777\">/mnt/old &amp; new</font>");
}

TEST_F(ProfileListTest, RowsShowEachIndexStateInNameOrder) {
  const std::string built = AddProfile("beta", "Built");
  AddProfile("Alpha", "Never run");
  const std::string failed = AddProfile("gamma", "Failed");
  MakeIndex(built, "11.12.2026 10:00:00");
  MakeIndex(failed, "");  // a run that failed after writing its start settings
  test::WriteFile(ProfilesFolder() + "/notes.txt", "not a profile");

  std::vector<ProfileRow> rows;
  AppendProfileRows(ProfilesFolder(), rows);
  std::vector<std::string> shown;
  for (const ProfileRow& row : rows)
    shown.push_back(row.profile + "|" + row.content + "|" + fs::path(row.ifile).filename().string() +
                    "|" + row.rebuilt + "|" + row.size + "|" + row.nfiles);
  const std::string size = SizeText(static_cast<std::int64_t>(fs::file_size(built)));
  EXPECT_EQ(shown, (std::vector<std::string>{
                       "Alpha|<b>Never run</b><br>/docs/Alpha|Alpha.db|the Index is not created yet||",
                       "beta|<b>Built</b><br>/docs/beta|beta.db|11.12.2026 10:00:00|" + size + "|0",
                       "gamma|<b>Failed</b><br>/docs/gamma|gamma.db||" + size + "|0",
                   }));
}

TEST_F(ProfileListTest, AnUnreadableProfileStopsTheListAfterTheRowsBeforeIt) {
  AddProfile("a", "First");
  test::WriteFile(ProfilePath("b"), "<Configuration><Index>");
  AddProfile("c", "Third");
  std::vector<ProfileRow> rows;
  EXPECT_ANY_THROW(AppendProfileRows(ProfilesFolder(), rows));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].profile, "a");
}

TEST_F(ProfileListTest, DeleteProfilesAsksAboutEachProfileAndItsIndex) {
  const std::string keptIndex = AddProfile("p1", "One");
  const std::string missingIndex = AddProfile("p2", "Two");
  const std::string declined = AddProfile("p3", "Three");
  const std::string removedIndex = AddProfile("p4", "Four");
  MakeIndex(keptIndex, "");
  MakeIndex(removedIndex, "");
  test::WriteFile(removedIndex + "-journal", "stale");
  TindexList list(Config());
  Register(list, {keptIndex, missingIndex, declined, removedIndex});

  ScriptedAsk ask{{true, false, true, false, true, true}, {}};
  DeleteProfiles({{"p1", keptIndex}, {"p2", missingIndex}, {"p3", declined}, {"p4", removedIndex}},
                 list, ask.Callback());

  EXPECT_EQ(ask.asked, (std::vector<std::string>{
                       "Do you really want to remove the Index Profile p1 ?",
                       "Do you want to remove the Index File " + keptIndex + " created via profile p1 ?",
                       "Do you really want to remove the Index Profile p2 ?",
                       "Do you really want to remove the Index Profile p3 ?",
                       "Do you really want to remove the Index Profile p4 ?",
                       "Do you want to remove the Index File " + removedIndex + " created via profile p4 ?",
                   }));
  EXPECT_FALSE(fs::exists(ProfilePath("p1")));
  EXPECT_TRUE(fs::exists(keptIndex));  // No to the index: file and entry stay
  EXPECT_TRUE(fs::exists(ProfilePath("p3")));
  EXPECT_FALSE(fs::exists(removedIndex));
  EXPECT_FALSE(fs::exists(removedIndex + "-journal"));
  EXPECT_EQ(Registered(list), (std::vector<std::string>{keptIndex, declined}));
}

TEST_F(ProfileListTest, DeleteIndexAsksOnlyAboutFilesThatExist) {
  const std::string missing = IndexPath("missing.db");
  const std::string kept = IndexPath("kept.db");
  const std::string removed = IndexPath("removed.db");
  MakeIndex(kept, "");
  MakeIndex(removed, "");
  TindexList list(Config());
  Register(list, {missing, kept, removed});

  ScriptedAsk ask{{false, true}, {}};
  DeleteIndexFiles({{"a", missing}, {"b", kept}, {"c", removed}}, list, ask.Callback());

  EXPECT_EQ(ask.asked, (std::vector<std::string>{
                       "Do you really want to remove the Index file " + kept + " ?",
                       "Do you really want to remove the Index file " + removed + " ?",
                   }));
  EXPECT_TRUE(fs::exists(kept));
  EXPECT_FALSE(fs::exists(removed));
  EXPECT_EQ(Registered(list), (std::vector<std::string>{kept}));
}

}  // namespace
}  // namespace vexa
