// TIndex: the folder pass of an indexing run (scan, extract, add in batches of 50) and the
// purge of entries whose files are gone. Linked only into the indexer (vexa_folder_pass),
// since it pulls in the document filters.
#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "config/day_count.h"
#include "config/folders.h"
#include "config/paths.h"
#include "config/text.h"
#include "index/text_prefetch.h"
#include "index/tindex.h"
#include "intake/scanner.h"
#include "intake/text_filter.h"
#include "intake/user_filters.h"

namespace vexa {

namespace {

constexpr std::size_t kMaxTextChars = 200000;
constexpr int kBatch = 50;

bool FileExists(const std::string& name) {
  struct stat st {};
  return stat(name.c_str(), &st) == 0;
}

// The folder whose indexed files a pass over `path` may meet again: the path itself when
// it names a folder, else (a single file or a pattern) the folder part of it.
std::string FolderOfPass(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return path;
  return FilePathPart(path);
}

}  // namespace

void TIndex::IndexFolder(const std::string& folder) {
  TF_tree tree;
  tree.IncludeMasks = IncludeMasks;
  tree.Scan(folder);
  const int total = tree.EntryCount();
  if (total == 0) return;

  int added = GetIntSetting("Added_files", 0);
  const bool indexed_before = HasDocumentsUnder(FolderOfPass(folder));
  int n = 0;

  // Texts are read ahead on a second thread, for the files this pass can reach (MaxScan)
  // and will want: all of them in a folder indexed for the first time, else those whose
  // stored entry is missing or stale. That look-up is done once per file, ahead: between
  // it and the file's turn only other names are added or removed, which leaves its
  // answer unchanged.
  std::vector<std::string> paths(static_cast<std::size_t>(total));
  for (int i = 0; i < total; ++i) paths[static_cast<std::size_t>(i)] = tree.EntryPath(i);
  const std::size_t reachable =
      MaxScan > 0 ? static_cast<std::size_t>(std::clamp(MaxScan - Scanned, 0, total))
                  : static_cast<std::size_t>(total);
  TextPrefetch texts(paths, reachable, Codepage(), ReadUserFilters(Config()), kMaxTextChars);
  std::vector<char> current(reachable, 0);  // stored entry up to date
  std::size_t looked_up = 0;
  if (!indexed_before) texts.AllowAll();

  db_.Begin();
  Cancelled = false;
  for (int i = 0; i < total; ++i) {
    if (Cancelled) {
      db_.Rollback();
      sqlite3_interrupt(db_.Handle());
      throw RunAbort();
    }
    ++Scanned;
    if (MaxScan > 0 && Scanned > MaxScan) break;

    const std::size_t k = static_cast<std::size_t>(i);
    const std::string& name = paths[k];
    const Tfiler& file = tree.Entry(i);
    const auto size = static_cast<std::int32_t>(static_cast<std::uint32_t>(file.Size));
    if (indexed_before) {
      for (; looked_up < std::min(k + TextPrefetch::kAhead + 1, reachable); ++looked_up) {
        const Tfiler& ahead = tree.Entry(static_cast<int>(looked_up));
        const FindResult found = FindDocument(
            paths[looked_up], static_cast<std::int32_t>(static_cast<std::uint32_t>(ahead.Size)),
            ahead.Time);
        current[looked_up] = found.found && found.changes == 0;
        texts.Allow(looked_up, !current[looked_up]);
      }
      // NeedsIndexing of an up-to-date entry only looks it up again.
      if (current[k] || !NeedsIndexing(name, size, file.Time)) continue;
    }

    TextPrefetch::Result result = texts.Take(k);
    if (result.threw) continue;  // a filter that fails this way has nothing to report
    if (result.code == 0 && !result.text.empty()) {
      AddDocument(name, size, result.text, file.Time);
      ++n;
      ++added;
      if (OnProgress) OnProgress(name, size, file.Time, n, total);
      if (n % kBatch == 0) {
        SetIntSetting("Added_files", added);
        db_.Commit();
        db_.Begin();
      }
    } else if (OnSkip) {
      OnSkip(name, result.code);
    }
  }
  SetIntSetting("Added_files", added);
  db_.Commit();
}

bool TIndex::HasDocumentsUnder(std::string_view folder) {
  std::string pattern;
  for (const char c : WithTrailingSuffix(folder, "/") + "%") {
    pattern += c;
    if (c == '\'') pattern += c;
  }
  return !db_.Query("select IDf from FILES where fname like '" + pattern +
                    "' union all select IDf from FILES_S where fname like '" + pattern +
                    "' limit 1")
              .Eof();
}

void TIndex::PurgeMissing() {
  const double start = Now();
  db_.Begin();
  std::vector<std::string> names;
  {
    SqlStatement rows = db_.Prepare("select Fname from Files union all select Fname from Files_s");
    while (rows.NextRow()) names.emplace_back(rows.ColumnText(0));
  }
  int removed = GetIntSetting("Deleted_files", 0);
  const std::vector<Mount> mounts = CurrentMounts();
  std::string last_drive;
  bool last_reachable = false;
  bool any_missing = false;
  for (const std::string& name : names) {
    if (FileExists(name)) continue;
    const Drive drive = DriveOf(name, mounts);
    if (!any_missing || drive.root != last_drive) {
      last_drive = drive.root;
      last_reachable = drive.reachable;
      any_missing = true;
    }
    if (last_reachable) {
      RemoveDocument(name);
      ++removed;
    }
  }
  SetIntSetting("Deleted_files", removed);
  db_.Commit();
  PurgeTime = DurationText(start, Now());
}

}  // namespace vexa
