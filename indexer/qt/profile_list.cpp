#include "indexer/qt/profile_list.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "config/paths.h"
#include "config/profiles.h"
#include "config/text.h"
#include "index/tindex.h"
#include "index/search_text.h"
#include "intake/scanner.h"

namespace vexa {
namespace {

bool FileExists(const std::string& path, std::int64_t* size = nullptr) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return false;
  if (size) *size = st.st_size;
  return true;
}

// Profile file paths of `folder`, ordered by name without regard to letter case (the
// folder listing of Linux has no useful order).
std::vector<std::string> ProfileFiles(const std::string& folder) {
  TF_tree tree;
  tree.IncludeMasks = {"*.indp"};
  tree.Recursive = false;
  tree.Scan(folder);
  std::vector<std::string> files;
  for (int i = 0; i < tree.EntryCount(); ++i) files.push_back(tree.EntryPath(i));
  const auto folded = [](const std::string& text) {
    std::string result = text;
    for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
  };
  std::sort(files.begin(), files.end(), [&](const std::string& a, const std::string& b) {
    const std::string fa = folded(a), fb = folded(b);
    return fa != fb ? fa < fb : a < b;
  });
  return files;
}

// Deletes an index file with the journal files SQLite may have left beside it (a stale
// journal would otherwise be applied to a new index created under the same name).
void RemoveIndexFile(const std::string& path) {
  std::remove(path.c_str());
  for (const char* suffix : {"-journal", "-wal", "-shm"}) std::remove((path + suffix).c_str());
}

}  // namespace

std::string SettingsCellHtml(const TIndp& profile) {
  std::string html = "<b>" + HtmlEscape(profile.title) + "</b>";
  for (const TIndpItem& item : profile.items) {
    html += "<br>";
    if (item.en) {
      html += HtmlEscape(item.path);
    } else {
      html += "<font color=\"#777777\">" + HtmlEscape(item.path) + "</font>";
    }
  }
  return html;
}

void AppendProfileRows(const std::string& folder, std::vector<ProfileRow>& rows) {
  for (const std::string& file : ProfileFiles(folder)) {
    TIndp profile;
    profile.LoadProfile(file, "Index");
    ProfileRow row{ProfileName(file), SettingsCellHtml(profile), profile.ifile,
                   kIndexNotCreated, "", ""};
    std::int64_t size = 0;
    if (FileExists(profile.ifile, &size)) {
      TIndex index;
      index.FileName = profile.ifile;
      index.Open(false);
      row.rebuilt = index.GetTextSetting("Indexing_finished", "");
      row.size = SizeText(size);
      row.nfiles = std::to_string(index.DocumentCount());
    }
    rows.push_back(std::move(row));
  }
}

void DeleteProfiles(const std::vector<MarkedProfile>& marked, TindexList& list,
                    const AskUser& ask) {
  list.LoadIndexList();
  for (const MarkedProfile& row : marked) {
    if (!ask("Do you really want to remove the Index Profile " + row.profile + " ?")) continue;
    std::remove(ProfilePath(row.profile).c_str());
    if (FileExists(row.ifile)) {
      if (ask("Do you want to remove the Index File " + row.ifile + " created via profile " +
              row.profile + " ?")) {
        RemoveIndexFile(row.ifile);
        list.RemoveIndex(row.ifile);
      }
    } else {
      list.RemoveIndex(row.ifile);
    }
  }
  list.SaveIndexList();
}

void DeleteIndexFiles(const std::vector<MarkedProfile>& marked, TindexList& list,
                      const AskUser& ask) {
  list.LoadIndexList();
  for (const MarkedProfile& row : marked) {
    if (FileExists(row.ifile)) {
      if (!ask("Do you really want to remove the Index file " + row.ifile + " ?")) continue;
      RemoveIndexFile(row.ifile);
    }
    list.RemoveIndex(row.ifile);
  }
  list.SaveIndexList();
}

}  // namespace vexa
