#include "config/paths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_home.h"

namespace vexa {
namespace {

TEST(PathParts, SplitFolderNameAndExtension) {
  const struct {
    const char* path;
    const char* folder;
    const char* name;
    const char* stem;
    const char* extension;
  } cases[] = {
      {"report", "", "report", "report", ""},
      {"docs.indp", "", "docs.indp", "docs", ".indp"},
      {"/home/u/p.v1.2", "/home/u/", "p.v1.2", "/home/u/p.v1", ".2"},
      {"C:\\dir.x\\file", "C:\\dir.x\\", "file", "C:\\dir.x\\file", ""},
      {"a/b.d\\c", "a/b.d\\", "c", "a/b.d\\c", ""},
      {"C:name.txt", "C:", "name.txt", "C:name", ".txt"},
      {"/home/.hidden", "/home/", ".hidden", "/home/", ".hidden"},
      {"", "", "", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FilePathPart(c.path), c.folder) << c.path;
    EXPECT_EQ(FileNamePart(c.path), c.name) << c.path;
    EXPECT_EQ(NameWithoutExtension(c.path), c.stem) << c.path;
    EXPECT_EQ(ExtensionPart(c.path), c.extension) << c.path;
  }
}

TEST(PathParts, TrailingSeparators) {
  EXPECT_EQ(ExcludeTrailingSeparator("/a/b/"), "/a/b");
  EXPECT_EQ(ExcludeTrailingSeparator("C:\\a\\"), "C:\\a");
  EXPECT_EQ(ExcludeTrailingSeparator("/a//"), "/a/");  // one only
  EXPECT_EQ(ExcludeTrailingSeparator(""), "");
  EXPECT_EQ(WithTrailingSuffix("/a", "/"), "/a/");
  EXPECT_EQ(WithTrailingSuffix("/a/", "/"), "/a/");
  EXPECT_EQ(WithTrailingSuffix("", "/"), "/");
}

TEST(MatchesMask, Wildcards) {
  const struct {
    const char* name;
    const char* mask;
    bool ignore_case;
    bool match;
  } cases[] = {
      {"report.doc", "*.DOC", true, true},
      {"report.doc", "*.DOC", false, false},
      {"", "*", false, true},
      {"", "**", false, true},
      {"", "", false, true},  // equal texts
      {"", "?", false, false},
      {"a", "", false, false},
      {"ab", "ab*b", false, false},
      {"abb", "ab*b", false, true},
      {"rep", "report*", false, false},
      {"a.b.c", "*.c", false, true},
      {"a.b.c", "*.b", false, false},
      {"abc", "a?c", false, true},
      {"ac", "a?c", false, false},
      {"abcabd", "*ab?", false, true},  // last segment must end the name
      {"x_ab_cd_y", "*ab*cd*", false, true},
      {"x_cd_ab_y", "*ab*cd*", false, false},
      {"abc", "abc*", false, true},
      {"abc", "abc**", false, true},
      {"abcd", "a*?d", false, true},
      {"Grüße.txt", "gr?ße.*", true, true},  // "?" is one character, not one byte
      {"GRÜSSE.TXT", "grüsse.txt", true, true},
      {"GRÜSSE.TXT", "grüsse.txt", false, false},
      {"b\xFF.txt", "b?.txt", false, true},  // a stray byte is one character
      {"*.doc", "*.doc", false, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchesMask(c.name, c.mask, c.ignore_case), c.match)
        << "'" << c.name << "' ~ '" << c.mask << "' case " << !c.ignore_case;
}

TEST(MatchesMaskList, SeparatorMasksSeeTheFolder) {
  const std::vector<std::string> masks{"*.rtf", "*\\temp\\*", "*/old/*.txt"};
  EXPECT_TRUE(MatchesMaskList("/home/u/", "a.RTF", masks, true));
  EXPECT_TRUE(MatchesMaskList("/home/u/temp/", "x.bin", masks, true));
  EXPECT_TRUE(MatchesMaskList("/home/u/temp/deeper/", "x.bin", masks, true));
  EXPECT_FALSE(MatchesMaskList("/home/u/temporary/", "x.bin", masks, true));
  EXPECT_TRUE(MatchesMaskList("/home/u/Old/", "n.TXT", masks, true));
  EXPECT_FALSE(MatchesMaskList("/home/u/Old/", "n.TXT", masks, false));
  EXPECT_FALSE(MatchesMaskList("/home/u/", "temp", masks, true));
  EXPECT_FALSE(MatchesMaskList("/home/u/", "a.rtf", {}, true));
}

TEST(DriveOf, MountRootsAndNetworkFileSystems) {
  const std::vector<Mount> mounts = ParseMounts(
      "/dev/sda1 / ext4 rw 0 0\n"
      "/dev/sdb1 /media/ann/STICK vfat rw 0 0\n"
      "srv:/export /home/ann/net nfs4 rw 0 0\n"
      "//srv/share /srv/my\\040share cifs rw 0 0\n"
      "ann@h: /home/ann/ssh fuse.sshfs rw 0 0\n");
  const struct {
    const char* path;
    const char* root;
    bool reachable;
  } cases[] = {
      {"/media/ann/STICK/docs", "/media/ann/STICK", true},
      {"/media/ann/CARD/docs", "/media/ann/CARD", false},
      {"/run/media/ann/DVD", "/run/media/ann/DVD", false},
      {"/mnt/backup/2024", "/mnt/backup", false},
      {"/home/ann/net/papers", "/home/ann/net", true},
      {"/home/ann/network", "/", true},
      {"/srv/my share/x", "/srv/my share", true},
      {"/home/ann/ssh", "/home/ann/ssh", true},
      {"/home/ann/docs", "/", true},
      {"/media/ann", "/", true},
  };
  for (const auto& c : cases) {
    const Drive drive = DriveOf(c.path, mounts);
    EXPECT_EQ(drive.root, c.root) << c.path;
    EXPECT_EQ(drive.reachable, c.reachable) << c.path;
  }
}

TEST(CheckPath, ExistingPathsAndPatterns) {
  test::TempHome home;
  test::WriteFile(home / "docs/.hidden.txt", "x");
  test::WriteFile(home / "docs/a.doc", "x");
  for (const std::string& path :
       {(home / "docs").string(), (home / "docs/").string(), (home / "docs/a.doc").string(),
        (home / "docs/*.doc").string(), (home / "docs/.hid*").string(), (home / "d?cs").string()}) {
    const PathCheck check = CheckPath(path);
    EXPECT_TRUE(check.exists) << path;
    EXPECT_EQ(check.message, "") << path;
  }
}

TEST(CheckPath, MissingPathMessages) {
  test::TempHome home;
  const std::string missing = (home / "gone").string();
  const struct {
    std::string path;
    std::string message;
  } cases[] = {
      {missing + "/",
       "\"" + missing + "\" - the file or path is not found (No such file or directory)"},
      {missing + "/*.doc",
       "\"" + missing + "/*.doc\" - the file or path is not found (No such file or directory)"},
      {"X:\\docs", "\"X:\\docs\" - drive X: is not found"},
      {"/mnt/vexa-no-such-mount/docs",
       "\"/mnt/vexa-no-such-mount/docs\" - drive /mnt/vexa-no-such-mount is not found"},
  };
  for (const auto& c : cases) {
    const PathCheck check = CheckPath(c.path);
    EXPECT_FALSE(check.exists) << c.path;
    EXPECT_EQ(check.message, c.message);
  }
  test::WriteFile(home / "file", "x");
  EXPECT_EQ(
      CheckPath((home / "file/sub").string()).message,
      "\"" + (home / "file/sub").string() + "\" - the file or path is not found (Not a directory)");
}

TEST(EnsureFolder, CreatesParentsOrFails) {
  test::TempHome home;
  EnsureFolder((home / "a/b/c").string());
  EXPECT_TRUE(std::filesystem::is_directory(home / "a/b/c"));
  EXPECT_NO_THROW(EnsureFolder((home / "a/b/c").string()));
  test::WriteFile(home / "f", "x");
  try {
    EnsureFolder((home / "f/sub").string());
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Can't create directory " + (home / "f/sub").string());
  }
}

}  // namespace
}  // namespace vexa
