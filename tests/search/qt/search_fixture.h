// Shared set-up of the search window tests: a temporary home with its own configuration,
// small searchable indexes, the list of indexes, and a shell that records what it was
// asked to open or run.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "search/qt/shell.h"
#include "support/temp_home.h"

namespace vexa::test {

// Documents of a fixture index: (file name, text).
using Documents = std::vector<std::pair<std::string, std::string>>;

// Creates a searchable index at `path` holding `documents`, with "Indexing_finished" set
// to `finished`.
void MakeIndex(const std::string& path, const Documents& documents,
               const std::string& finished = "2024-05-01 10:00:00");

// Writes the configuration's list of indexes: (ifile, title) per entry.
void WriteIndexList(const std::vector<std::pair<std::string, std::string>>& entries);

// `count` documents "/docs/dNN.txt" that all hold the word "apple", d01 the most often.
Documents AppleDocuments(int count);

class RecordingShell : public Shell {
 public:
  void OpenDocument(const std::string& path) override { documents.push_back(path); }
  void OpenAddress(const std::string& address) override { addresses.push_back(address); }
  bool RunAndWait(const std::string& path) override {
    runs.push_back(path);
    if (on_run) on_run();
    return true;
  }

  std::vector<std::string> documents, addresses, runs;
  std::function<void()> on_run;  // what the "indexer" does while it runs
};

// A temporary home with the folders set up; the program folder is home/"prog".
class SearchHome {
 public:
  SearchHome();
  std::string Path(const std::string& relative) const { return (home_ / relative).string(); }

 private:
  TempHome home_;
};

}  // namespace vexa::test
