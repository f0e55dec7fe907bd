// Tf_indexes: the profile manager ("Vexa Indexer"), the indexer's main window in the
// interactive mode.
//
// It lists every profile of ProfilesFolder() with the state of its index (rows from
// AppendProfileRows), shows the selected row's index in the group "Index File", and offers
// six actions: New and Edit open the profile editor; Delete, Refresh, Rebuild and Delete
// Index work on the marked rows. Refresh and Rebuild hide this window while the run
// window runs the marked profiles and shows them until the user closes it. Every action
// ends with RefreshList(), which rebuilds the rows and so clears every mark.
//
// The editor, the run window, the options (optFull, set for the time of a Rebuild) and the
// prompts are given at construction and must outlive the window. Thread-safety: GUI
// thread only.
#pragma once

#include <QMainWindow>

#include "indexer/qt/profile_list.h"

class QAction;
class QLabel;
class QTableWidget;

namespace vexa {

struct CommandLineOptions;
class Prompts;
class TForm1;
class Tindexf;

class Tf_indexes : public QMainWindow {
  Q_OBJECT

 public:
  // Grid columns, in order; the last four are hidden.
  enum Column { kMark = 0, kProfile, kContent, kIfile, kRebuilt, kSize, kNfiles, kColumns };

  Tf_indexes(TForm1& editor, Tindexf& runWindow, CommandLineOptions& options,
             Prompts& prompts, QWidget* parent = nullptr);

  // Fills the grid from the profiles folder, selects RememberedRow when it is a row, else
  // the first row. An unreadable profile or index stops the filling with an error box;
  // the rows before it stay.
  void RefreshList();
  // The profile files of the marked rows, in row order.
  std::vector<std::string> MarkedProfilePaths() const;

  // Handlers, by the names of the actions and components.
  void FormShow();
  void gSelectCell(int row);
  void NewExecute();
  void EditExecute();
  void DeleteExecute();
  void RefreshExecute();
  void RebuildExecute();
  void Delete_indexExecute();
  void EditUpdate();
  void RefreshUpdate();
  void Hell1Click();
  void About1Click();

  int RememberedRow = 0;

  // Components.
  QAction* New;
  QAction* Edit;
  QAction* Delete;
  QAction* Refresh;
  QAction* Rebuild;
  QAction* Delete_index;
  QTableWidget* g;
  QLabel* lfile;
  QLabel* lreb;
  QLabel* lsize;
  QLabel* lnfiles;

 signals:
  // The window was closed (the interactive program ends).
  void closed();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  using Deletion = void (*)(const std::vector<MarkedProfile>&, TindexList&, const AskUser&);
  // Runs one of the deletions on the marked rows with the user's answers, then refreshes;
  // errors of the list of indexes end in an error box.
  void RunDeletion(Deletion deletion);
  void AddRow(const ProfileRow& row);
  std::vector<MarkedProfile> MarkedRows() const;
  QString Cell(int row, Column column) const;
  void UpdateActions();

  TForm1& editor_;
  Tindexf& runWindow_;
  CommandLineOptions& options_;
  Prompts& prompts_;
};

}  // namespace vexa
