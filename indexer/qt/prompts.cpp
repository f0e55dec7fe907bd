#include "indexer/qt/prompts.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace vexa {

bool Prompts::Confirm(QWidget* parent, const QString& text) {
  return QMessageBox::question(parent, QStringLiteral("Confirm"), text,
                               QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

void Prompts::Inform(QWidget* parent, const QString& text) {
  QMessageBox::information(parent, QStringLiteral("Information"), text);
}

void Prompts::Error(QWidget* parent, const QString& text) {
  QMessageBox::critical(parent, QStringLiteral("Error"), text);
}

QString Prompts::ChooseFolder(QWidget* parent) {
  QFileDialog dialog(parent, QStringLiteral("Choose a folder to index"));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  dialog.setOption(QFileDialog::ReadOnly);  // no button to create folders
  dialog.setDirectory(QDir::homePath());
  return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString Prompts::ChooseIndexFile(QWidget* parent, const QString& proposed) {
  QFileDialog dialog(parent, QStringLiteral("Index File"));
  dialog.setFileMode(QFileDialog::AnyFile);  // a new index file does not exist yet
  dialog.setNameFilter(QStringLiteral("Index Files (*.db)"));
  dialog.setDefaultSuffix(QStringLiteral("db"));
  if (!proposed.isEmpty()) dialog.selectFile(proposed);
  return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

Prompts& DefaultPrompts() {
  static Prompts prompts;
  return prompts;
}

}  // namespace vexa
