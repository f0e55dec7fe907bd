// The profile manager's logic without widgets: the rows of its list (one per profile file,
// with the state of the profile's index) and the two deletions, which ask their
// questions through a callback.
//
// Texts are UTF-8. Thread-safety: none needed; the manager calls these on the GUI thread.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vexa {

class TIndp;
class TindexList;

// One row of the list.
struct ProfileRow {
  std::string profile;  // the profile's name (file name without folder and extension)
  std::string content;  // the "Settings" cell, HTML (SettingsCellHtml)
  std::string ifile;    // the profile's index file
  std::string rebuilt;  // "Indexing_finished" of the index, or kIndexNotCreated
  std::string size;     // SizeText of the index file; empty without one
  std::string nfiles;   // the index's DocumentCount in decimal; empty without one
};

inline constexpr char kIndexNotCreated[] = "the Index is not created yet";

// The "Settings" cell: the title in bold, then "<br>" and each folder in order, a folder
// that takes no part in runs in grey ("#777777"). Title and folders are HTML-escaped: a
// folder may be named "<b>" or "R&D".
std::string SettingsCellHtml(const TIndp& profile);

// Appends to `rows` one row per "*.indp" file directly in `folder`, in the order of
// their names (letter case ignored). A profile whose index file exists gets the index's
// state from a short-lived TIndex. Throws the reader's error for a profile file that
// cannot be parsed and the database error for an index file that cannot be opened; the
// rows appended before stay.
void AppendProfileRows(const std::string& folder, std::vector<ProfileRow>& rows);

// The identity of a marked row for the deletions.
struct MarkedProfile {
  std::string profile;  // name
  std::string ifile;    // index file
};

// A yes/no question to the user; true for Yes.
using AskUser = std::function<bool(const std::string& question)>;

// Deletes the marked profiles (DeleteExecute): for each, in order, asks "Do you really
// want to remove the Index Profile NAME ?"; on Yes deletes its file (a file that cannot
// be deleted stays, silently) and then, when its index file exists, asks "Do you want to
// remove the Index File IFILE created via profile NAME ?" and on Yes deletes the index file
// and its entry in the list of indexes; a missing index file only loses its entry. An
// index file goes with the journal files SQLite may have left beside it. The list is
// loaded first and saved at the end. Throws what the list's load and save throw.
void DeleteProfiles(const std::vector<MarkedProfile>& marked, TindexList& list,
                    const AskUser& ask);

// Deletes the index files of the marked profiles (Delete_indexExecute): for each, in
// order, an existing index file is deleted after "Do you really want to remove the Index
// file IFILE ?" (No skips the row); then its entry leaves the list of indexes. A missing
// file asks nothing and only loses its entry. Loads and saves the list as above.
void DeleteIndexFiles(const std::vector<MarkedProfile>& marked, TindexList& list,
                      const AskUser& ask);

}  // namespace vexa
