// TForm1: the profile editor, a modal dialog in which the user creates a profile or
// changes one: its name, the index title, the index file, a tag and the folders to index
// with their include masks.
//
// The profile manager calls NewProfile or EditProfile, which fill the dialog and show it
// modally. The dialog reads and writes profile files only through TIndp (LoadProfile,
// SaveProfile, Signature). Change detection compares BuildProfile() (the signature of
// the profile the fields describe, followed by the profile name) with Snapshot, taken
// when the dialog was filled and after each save. "Save" saves and closes; "Cancel"
// (and Escape) closes without saving or asking; any other way of closing asks whether to
// save the changes. A profile without a name is never saved: the user is told so and the
// dialog stays open.
//
// Every question and file dialog goes through the Prompts given at construction, so
// tests drive the dialog without showing it (Prepare*, the handlers, then the widgets).
// Thread-safety: GUI thread only.
#pragma once

#include <QDialog>
#include <string>

#include "config/profiles.h"

class QAction;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QToolButton;

namespace vexa {

class Prompts;

class TForm1 : public QDialog {
  Q_OBJECT

 public:
  // Grid columns, in order; `excl` is hidden.
  enum Column { kEn = 0, kPath = 1, kIncl = 2, kExcl = 3 };
  // The include masks a new folder row gets.
  static constexpr char kDefaultMasks[] =
      "*.doc *.docx *.xls *.rtf *.txt *.htm *.html *.pdf *.odt *.xlsx *.pptx";

  explicit TForm1(Prompts& prompts, QWidget* parent = nullptr);

  // The manager's operations: fill the dialog for a new profile, or for the profile
  // `name` (its file ProfilePath(name)), and show it modally. EditProfile shows "The file
  // PATH is not found" and does not open when the file is missing, and shows the
  // reader's error when it cannot be read.
  void NewProfile();
  void EditProfile(const std::string& name);

  // The filling part of NewProfile and EditProfile, without showing the dialog. Returns
  // false (after telling the user) when the profile cannot be opened.
  void PrepareNew();
  bool PrepareEdit(const std::string& name);

  // The signature of the profile the fields describe, followed by the profile name. The
  // grid commits every keystroke, so a cell being edited counts with what it shows. With
  // a non-empty `saveName` the profile is also saved to ProfilePath(saveName)
  // (hand-written "maxscan" and "debug" of an existing file survive). Throws what
  // SaveProfile throws.
  std::string BuildProfile(const std::string& saveName);

  // Saves when the fields differ from Snapshot and either `ask` is false or the user
  // answers Yes to the question, then reads the file back. Returns false when the dialog
  // must stay open: the profile has no name, or it did not reach the disk (an error box
  // says why).
  bool SaveIfChanged(bool ask);

  // Handlers, by the names of the components they belong to.
  void SaveClick();
  void Action_saveUpdate();
  void AddPathClick();
  void DeletePathClick();
  void deleteUpdate();
  void e_indExit();
  // The file name the index file dialog is opened on.
  QString e_indBeforeDialog() const;
  void Button5Click();

  const std::string& ProfileName() const { return profileName_; }
  const std::string& Snapshot() const { return snapshot_; }

  // Components.
  QLineEdit* e_prof;
  QLineEdit* e_tag;
  QLineEdit* e_title;
  QLineEdit* e_ind;
  QToolButton* e_indBrowse;
  QTableWidget* g;
  QPushButton* addPath;
  QPushButton* deletePath;
  QPushButton* save;
  QPushButton* cancel;
  QPushButton* help;
  QAction* Action_save;
  QAction* delete_;

 protected:
  // The close box and the system's close command (FormClose): asks about changes.
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Appends a grid row for `item`.
  void AddRow(const TIndpItem& item);
  // Clears every field and row.
  void ClearFields();
  // The profile the fields describe (new profile defaults for everything else).
  TIndp ProfileOfFields() const;
  void BrowseIndexFile();
  // Enabling of the components, run after every change (the actions' update handlers).
  void UpdateActions();

  Prompts& prompts_;
  std::string profileName_;
  std::string snapshot_;
};

}  // namespace vexa
