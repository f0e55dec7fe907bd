// Index profiles (*.indp files) and the list of indexes in the configuration file.
//
// A profile names an index file, the folders to index with their masks, and run options.
// Its file has the layout of the configuration file (xml_tree.h) with the comment
// "Vexa Search Engine index profile"; below the root, the element named by the caller
// ("Index" everywhere) holds "tag", "title", "ifile", "items" (Item0..ItemN-1 with
// "path", "incl", "excl", "en", then "Count"), "clear_files" and "flags". "maxscan" and
// "debug" are read when present but never written: they are set by editing the file by
// hand, and a save keeps what was written there.
//
// The list of indexes is the list of records "Indexes" of the configuration file
// (fields "ifile", "title", "dt", "tag"), the register of index files that were filled
// at least once; entries are unique by "ifile" without regard to letter case.
//
// Thread-safety: objects are short-lived and used by one thread; the files are read and
// written whole (see config_store.h).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "config/config_store.h"

namespace vexa {

// One path of a profile.
struct TIndpItem {
  std::string path;  // folder, file or pattern to index
  std::string incl;  // include masks separated by blanks (quoted masks may hold blanks)
  std::string excl;  // exclude masks as typed; stored and shown, not applied by runs
  bool en = true;    // the path takes part in runs
};

// The paths of a profile, in order.
class TIndpItems {
 public:
  // Appends an item and returns it.
  TIndpItem& Add(TIndpItem item = {});
  // The item at a 0-based position; throws std::out_of_range beyond the end.
  TIndpItem& Item(std::size_t n) { return items_.at(n); }
  const TIndpItem& Item(std::size_t n) const { return items_.at(n); }
  // Removes the item at a 0-based position; throws std::out_of_range beyond the end.
  void Delete(std::size_t n);
  std::size_t Count() const { return items_.size(); }

  std::vector<TIndpItem>& All() { return items_; }
  const std::vector<TIndpItem>& All() const { return items_; }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<TIndpItem> items_;
};

class TIndp {
 public:
  std::string tag;      // free label, copied into the list of indexes
  std::string title;    // one-line description; the name the index is offered under
  std::string ifile;    // path of the index file
  TIndpItems items;     // the paths to index
  int maxscan = 0;      // most files taken up per run, 0 = no limit (hand-written only)
  int clear_files = 1;  // non-zero: runs first remove entries of vanished files
  int debug = 0;        // non-zero: runs log timing lines (hand-written only)
  std::string flags;    // handed to the index, stored in its settings under "Flags"
  std::vector<std::string> save_exclusions{"maxscan", "debug"};  // fields a save skips

  // Fills the fields whose elements exist below `section` of the file `path` (all of
  // them, "maxscan" and "debug" included); a stored "items" list replaces the items. A
  // missing file changes nothing. Throws XmlError when the file cannot be parsed.
  void LoadProfile(const std::string& path, const std::string& section = "Index");
  // Writes every field not in `save_exclusions` below `section` of the file `path`,
  // updating an existing file in place: elements that are not written keep their values,
  // items beyond the new count are removed. A file that cannot be written stays as it was,
  // without an error. Throws XmlError when an existing file cannot be parsed.
  void SaveProfile(const std::string& path, const std::string& section = "Index") const;

  // title + ifile + tag, then per item path + incl + excl + ("-1" if enabled, else "0"):
  // equal signatures mean the editor changed nothing.
  std::string Signature() const;
};

// The file of the profile called `name`: ProfilesFolder() + "/" + name + ".indp".
std::string ProfilePath(const std::string& name);
// The profile name of a profile file: its file name without the extension.
std::string ProfileName(const std::string& file);

// One entry of the list of indexes.
struct TIndexItem {
  std::string ifile;    // path of the index file, the key of the entry
  std::string title;    // the profile's title at the last completed run
  double dt = 0;        // day count at which the last completed run ended
  std::string tag;      // the profile's tag at the last completed run
  bool Exists = false;  // not stored: the index file existed when the list was loaded
};

class TindexList {
 public:
  // A list kept in the key "Indexes" of `store` (the process's Config() for the programs).
  explicit TindexList(ConfigStore& store);

  std::vector<TIndexItem> items;

  // Reads "Indexes" into `items` (left unchanged when the key is missing) and sets every
  // entry's Exists. Throws std::runtime_error when a "dt" cannot be read, XmlError when
  // the file cannot be parsed.
  void LoadIndexList();
  // Writes `items` to "Indexes".
  void SaveIndexList();

  // The first entry whose ifile equals `ifile` without regard to letter case, or null.
  TIndexItem* FindIndex(const std::string& ifile);
  // Removes that entry, if any (the caller saves).
  void RemoveIndex(const std::string& ifile);

  // The number of entries with Exists set.
  int ExistingCount() const;
  // The n-th (0-based) entry with Exists set, in list order. Throws std::out_of_range
  // ("Index out of bounds in function GetVi") when there are not more than n of them.
  const TIndexItem& ExistingItem(int n) const;

  // The record layout of "Indexes", for code that reads or writes the key directly.
  static const RecordLayout<TIndexItem>& Layout();

 private:
  ConfigStore& store_;
};

}  // namespace vexa
