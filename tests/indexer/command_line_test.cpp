#include "indexer/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_home.h"

namespace vexa {
namespace {

namespace fs = std::filesystem;

std::string Flags(const CommandLineOptions& o) {
  std::string s;
  for (auto [on, letter] : {std::pair{o.optRun, 'r'},
                            {o.optFull, 'f'},
                            {o.optWait, 'w'},
                            {o.optUnv, 'u'},
                            {o.optMin, 'm'},
                            {o.optNew, 'n'},
                            {o.optHelp, 'h'},
                            {o.optVersion, 'v'}})
    if (on) s += letter;
  return s;
}

TEST(ParseCommandLine, Options) {
  const struct {
    std::vector<std::string> arguments;
    const char* flags;
  } cases[] = {
      {{}, ""},
      {{"-run", "-full", "-wait", "-unv", "-min", "-new"}, "rfwumn"},
      {{"-FULL"}, "f"},
      {{"-Run", "-fUlL"}, "rf"},
      {{"--full", "-fullx", "-f", "-", "/full"}, ""},  // "/full" is a profile name
      {{"--help"}, "h"},
      {{"--VERSION"}, "v"},
      {{"-help", "-version"}, ""},
  };
  for (const auto& c : cases) {
    const CommandLineOptions o = ParseCommandLine(c.arguments, "/P");
    EXPECT_EQ(Flags(o), c.flags) << ::testing::PrintToString(c.arguments);
  }
}

class ProfileArguments : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = fs::current_path();
    fs::current_path(home_.Path());
    test::WriteFile(home_ / "here.indp", "");
  }
  void TearDown() override { fs::current_path(old_); }

  test::TempHome home_;
  fs::path old_;
};

TEST_F(ProfileArguments, ResolveAgainstCurrentAndProfilesFolder) {
  const struct {
    std::string argument;
    std::string resolved;
  } cases[] = {
      {"docs", "/P/docs.indp"},  // no such file here
      {"here", "here.indp"},     // the current directory has it
      {"here.indp", "here.indp"},
      {"\"My Docs\"", "/P/My Docs.indp"},             // quotes removed, spaces kept
      {"\"/data/my dir/p\"", "/data/my dir/p.indp"},  // folder part: stays, even if missing
      {"sub/none", "sub/none.indp"},
      {"C:none", "C:none.indp"},
      {"p.v2", "/P/p.v2"},  // any extension counts, nothing appended
      {"dir.x/p", "dir.x/p.indp"},
  };
  for (const auto& c : cases) {
    const CommandLineOptions o = ParseCommandLine({c.argument}, "/P");
    ASSERT_EQ(o.profiles.size(), 1u) << c.argument;
    EXPECT_EQ(o.profiles[0], c.resolved) << c.argument;
  }
}

TEST_F(ProfileArguments, OrderDuplicatesAndEmptyArguments) {
  const CommandLineOptions o = ParseCommandLine({"b", "", "-run", "\"\"", "a", "b", "-x"}, "/P");
  EXPECT_EQ(o.profiles, (std::vector<std::string>{"/P/b.indp", "/P/a.indp", "/P/b.indp"}));
  EXPECT_TRUE(o.optRun);
}

}  // namespace
}  // namespace vexa
