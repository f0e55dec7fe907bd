// Profiles with real folders for the window tests that run them: a temporary home, the
// folders set up in it, and a helper that writes a profile over a folder of small text
// files.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "config/folders.h"
#include "config/profiles.h"
#include "support/temp_home.h"

namespace vexa::test {

class RunFixture : public ::testing::Test {
 protected:
  RunFixture() { InitPaths(); }

  // Writes `files` text files into a folder of its own and the profile `name` over it;
  // its index file is "<home>/<name>.db". Returns the profile file's path.
  std::string MakeProfile(const std::string& name, int files) {
    const std::string folder = (home_ / ("docs-" + name)).string();
    for (int i = 0; i < files; ++i)
      WriteFile(folder + "/file" + std::to_string(i) + ".txt",
                "document number " + std::to_string(i) + " about " + name + " things\n");
    TIndp profile;
    profile.title = "Documents " + name;
    profile.ifile = IndexFile(name);
    profile.items.Add({folder, "*.txt", "", true});
    profile.SaveProfile(ProfilePath(name));
    return ProfilePath(name);
  }
  std::string IndexFile(const std::string& name) const { return (home_ / (name + ".db")).string(); }

  TempHome home_;
};

}  // namespace vexa::test
