// File tree scanner: turns a start path (a folder, a single file or a wildcard pattern)
// into the flat list of files below it whose names pass the include masks, each with its
// last-write time and size. The indexing run scans one profile folder at a time; the
// profile manager lists the profiles folder non-recursively.
//
// Invariants: every entry path begins with the start path as the caller wrote it (after
// trimming), followed by "/" when that was missing, the subfolder names and the file name
// as the listing gives them. Entries come in listing order, each subfolder's files where
// the subfolder appeared in its parent's listing (depth first). Only regular files and
// symbolic links to regular files become entries; links to folders are not entered (so no
// cycle can arise), and FIFOs, sockets and devices are left out (reading them could block
// or never end). Hidden files are listed like any other.
//
// Thread-safety: a TF_tree is used by one thread at a time; distinct scanners may run
// concurrently.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vexa {

// What the scanner knows of one listed file.
struct Tfiler {
  // Last-write time in local time, truncated to an even second, as a day count. Equal
  // file times always give equal values, so they compare exactly with stored dates.
  double Time = 0;
  // Size in bytes as the file system reports it.
  std::int64_t Size = 0;
};

// The day count the scanner records for a last-write time: local time, seconds
// truncated to an even number, nanoseconds dropped. Any time localtime can represent is
// converted the same way (no special value for very old or very new times).
double ScannerTime(std::time_t mtime);

class TF_tree {
 public:
  // Empty masks, recursive, no entries; room for 10000 entries is reserved.
  TF_tree();

  // Masks a file name must match (any one of them, letter case ignored) to be listed; a
  // mask holding "/" or "\" is matched against the full path. Empty: every file passes.
  std::vector<std::string> IncludeMasks;
  // When false, subfolders of the start folder are not entered.
  bool Recursive = true;

  // Appends the files under `startPath` to the entries. Blanks and control characters
  // around the path are ignored. A path holding "*" or "?" in its last component lists
  // the first matching entry of its folder when that is a file. Missing, unreadable or
  // vanishing folders and files contribute nothing; never throws for them (only
  // std::bad_alloc can escape).
  void Scan(std::string_view startPath);

  int EntryCount() const { return static_cast<int>(entries_.size()); }
  // REQUIRES: 0 <= i < EntryCount(). References stay valid until the next Scan.
  const std::string& EntryPath(int i) const { return entries_[static_cast<std::size_t>(i)].first; }
  const Tfiler& Entry(int i) const { return entries_[static_cast<std::size_t>(i)].second; }

 private:
  void ListFolder(const std::string& folder);
  // The entry test: whether a file named `name` in `folder` (with its "/") is listed.
  bool Passes(const std::string& folder, std::string_view name) const;
  void Append(const std::string& folder, std::string_view name, const Tfiler& file);

  std::vector<std::pair<std::string, Tfiler>> entries_;
};

}  // namespace vexa
