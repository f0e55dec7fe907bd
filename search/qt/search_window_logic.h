// What the search window does, without its widgets: the start-up, the refill of the index
// chooser, choosing an index, searching with the query history, acting on clicks in the
// result page, running the indexer, and the stored properties.
//
// SearchWindowLogic owns the window's one TIndex for its whole life and reaches the
// widgets only through SearchWindowView, so tests drive it with a fake view and no
// display. Every handler catches the errors of opening and searching an index and shows
// them in the view's error box; the window stays usable. The stored properties (query
// history, query text, chosen index position) live in the configuration under
// "xvexadoc/qq_Items", "xvexadoc/qq_Text" and "xvexadoc/srca_ItemIndex": restored on the
// first FormShow, written by FormClose.
//
// Thread-safety: none; the GUI thread only. InitPaths must have run (Config(),
// ProgramFolder()).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "search/click_rules.h"

namespace vexa {

class Shell;
class TIndex;

// Entries kept in the query history.
inline constexpr int kHistoryLength = 10;

// The history after a search for `text`: an entry equal to it without regard to case is
// removed, `text` goes on top, and entries beyond kHistoryLength are dropped.
std::vector<std::string> UpdateHistory(std::vector<std::string> history,
                                       const std::string& text);

// The chooser position after a refill with `usable` entries, when `noted` was chosen
// before: `noted` stays when it is above 0 and below `usable`; otherwise 0, or -1 (nothing
// chosen) when there is no entry.
int ChooserPosition(int noted, int usable);

// The indexer program: program_folder + "/xvexai" when that file exists, else
// program_folder + "/XVexaI/xvexai".
std::string IndexerPath(const std::string& program_folder);

// The results per page: the configuration's "Pagelen", 20 when absent or below 1.
int ConfiguredPageLen();

// The texts of the four value labels; all empty when no index is open.
struct IndexFacts {
  std::string file;      // eind: the index file path
  std::string rebuilt;   // ereb: the "Indexing_finished" setting
  std::string size;      // esize: SizeText of the file's size
  std::string count;     // ecount: DocumentCount in decimal

  friend bool operator==(const IndexFacts&, const IndexFacts&) = default;
};

// What the logic needs of the window.
class SearchWindowView {
 public:
  virtual ~SearchWindowView() = default;
  // Fills the index chooser with `titles` and chooses `chosen` (-1: none).
  virtual void SetIndexTitles(const std::vector<std::string>& titles, int chosen) = 0;
  virtual void SetIndexFacts(const IndexFacts& facts) = 0;
  // Fills the query box's drop-down list and sets its text.
  virtual void SetHistory(const std::vector<std::string>& items, const std::string& text) = 0;
  // The query box's text as it stands.
  virtual std::string QueryText() const = 0;
  // Replaces the page in the HTML view; relative addresses resolve in ProgramFolder().
  virtual void WritePage(const std::string& html) = 0;
  // The standard error box (application title, stop icon).
  virtual void ShowError(const std::string& message) = 0;
  // A plain message box.
  virtual void ShowMessage(const std::string& message) = 0;
};

class SearchWindowLogic {
 public:
  // Window creation: a TIndex for "index.db" (not opened) with PageLen from
  // ConfiguredPageLen(). `view` and `shell` must outlive the object.
  SearchWindowLogic(SearchWindowView& view, Shell& shell);
  ~SearchWindowLogic();

  // The window is shown (at start and again after the indexer ran): restores the stored
  // properties the first time, reloads the index list, refills the chooser keeping a
  // position above 0 that is still valid, and chooses that index.
  void FormShow();
  // An index was chosen (position in the chooser, -1 for none): empties the value labels,
  // opens the index (a missing file is created empty) and shows its facts.
  void srcaChange(int position);
  // The Search button: needs a chosen index and a non-empty query; updates the history
  // and shows page 1.
  void searchbClick();
  // A click in the result page, with the clicked element's attributes: opens a file of
  // the last search, shows another page, or opens the web site.
  void DocumentClick(const ElementAttributes& attributes);
  // The Config button's work between hiding and showing the window: runs the indexer and
  // waits for it to end.
  void RunIndexer();
  // The window closes: writes the stored properties.
  void FormClose();

  // Position chosen in the chooser (-1: none).
  int Chosen() const { return chosen_; }
  const std::vector<std::string>& History() const { return history_; }
  const TIndex& Index() const { return *index_; }

 private:
  void RestoreProperties();
  void RenderPage(int page);

  SearchWindowView& view_;
  Shell& shell_;
  std::unique_ptr<TIndex> index_;
  std::vector<std::string> ifiles_;  // index file of each chooser entry
  std::vector<std::string> history_;
  int chosen_ = -1;
  bool restored_ = false;
};

}  // namespace vexa
