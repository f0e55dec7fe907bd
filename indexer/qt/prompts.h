// Prompts: every question, message and file dialog the indexer's windows show.
//
// The windows ask through a Prompts object instead of calling QMessageBox and
// QFileDialog themselves, so tests can answer with a scripted subclass and run without
// anybody clicking. DefaultPrompts() shows the ordinary modal Qt dialogs.
// Thread-safety: GUI thread only.
#pragma once

#include <QString>

class QWidget;

namespace vexa {

class Prompts {
 public:
  virtual ~Prompts() = default;

  // A confirmation box with Yes and No over `parent`; true for Yes. Closing the box
  // counts as No.
  virtual bool Confirm(QWidget* parent, const QString& text);
  // An information box with an OK button.
  virtual void Inform(QWidget* parent, const QString& text);
  // An error box (error icon, OK button).
  virtual void Error(QWidget* parent, const QString& text);
  // A folder chooser (folders only, no button to create one); the chosen folder, or an
  // empty string when the user cancelled.
  virtual QString ChooseFolder(QWidget* parent);
  // The index file chooser titled "Index File" with the filter "Index Files (*.db)" and
  // the default extension ".db", opened on `proposed` (a file name, may be empty, or a
  // path). Returns the chosen path, or an empty string when the user cancelled.
  virtual QString ChooseIndexFile(QWidget* parent, const QString& proposed);
};

// The process-wide instance that shows real dialogs.
Prompts& DefaultPrompts();

}  // namespace vexa
