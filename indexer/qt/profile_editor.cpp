#include "indexer/qt/profile_editor.h"

#include <QAction>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValidator>
#include <exception>
#include <filesystem>

#include "config/folders.h"
#include "indexer/qt/editor_rules.h"
#include "indexer/qt/help_about.h"
#include "indexer/qt/icons.h"
#include "indexer/qt/prompts.h"

namespace vexa {
namespace {

constexpr char kChangedQuestion[] =
    "Indexer profile have been changed. Do you want to save settings?";
constexpr char kNoNameMessage[] =
    "A profile without a name cannot be saved. Enter a Profile Name, or press Cancel to "
    "close without saving.";

// Refuses any text holding one of the characters a profile name must not contain: typed
// characters are dropped, and so is a paste that holds one (a pasted "/" would send the
// profile file into a folder that does not exist).
class ProfileNameValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    for (QChar c : input)
      if (IsRefusedProfileChar(c.unicode())) return Invalid;
    return Acceptable;
  }
};

// Commits a cell's text to the grid at every keystroke, so the grid always holds what the
// user sees and the change detection and "Save" follow the typing.
class CommitOnEditDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
      auto* self = const_cast<CommitOnEditDelegate*>(this);
      connect(line, &QLineEdit::textEdited, self, [self, line] { emit self->commitData(line); });
    }
    return editor;
  }
};

std::string Utf8(const QString& text) { return text.toStdString(); }
QString Text(const std::string& text) { return QString::fromStdString(text); }

QTableWidgetItem* HeaderItem(const char* text, const char* hint) {
  auto* item = new QTableWidgetItem(QString::fromLatin1(text));
  if (hint) item->setToolTip(QString::fromLatin1(hint));
  return item;
}

// A push button that stands for an action: it triggers it and follows its enabling.
void BindButton(QPushButton* button, QAction* action) {
  QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
  QObject::connect(action, &QAction::changed, button,
                   [button, action] { button->setEnabled(action->isEnabled()); });
}

}  // namespace

TForm1::TForm1(Prompts& prompts, QWidget* parent) : QDialog(parent), prompts_(prompts) {
  setWindowTitle(QStringLiteral("New Index Profile"));
  setWindowIcon(IndexerIcon());
  resize(720, 480);

  e_prof = new QLineEdit;
  QFont bold = e_prof->font();
  bold.setBold(true);
  e_prof->setFont(bold);
  e_prof->setToolTip(QStringLiteral("A short name of Index Profile (like a file name)"));
  e_prof->setValidator(new ProfileNameValidator(e_prof));
  e_tag = new QLineEdit;
  e_title = new QLineEdit;
  e_title->setToolTip(QStringLiteral("One-line description of documents that have been indexed"));
  e_ind = new QLineEdit;
  e_ind->installEventFilter(this);
  e_indBrowse = new QToolButton;
  e_indBrowse->setIcon(ThemeIcon("document-open", QStyle::SP_DialogOpenButton));
  e_indBrowse->setToolTip(QStringLiteral("The file of indexed data"));
  auto* indexRow = new QHBoxLayout;
  indexRow->setSpacing(4);
  indexRow->addWidget(e_ind, 1);
  indexRow->addWidget(e_indBrowse);

  auto* fields = new QFormLayout;
  fields->addRow(QStringLiteral("Profile &Name:"), e_prof);
  fields->addRow(QStringLiteral("&Tag:"), e_tag);
  fields->addRow(QStringLiteral("Index T&itle:"), e_title);
  auto* indexLabel = new QLabel(QStringLiteral("Index &File:"));
  indexLabel->setBuddy(e_ind);
  fields->addRow(indexLabel, indexRow);

  g = new QTableWidget(0, 4);
  g->setHorizontalHeaderItem(kEn, HeaderItem("", nullptr));
  g->setHorizontalHeaderItem(kPath, HeaderItem("Directory", "Paths to be indexed"));
  g->setHorizontalHeaderItem(kIncl, HeaderItem("Include", "Indexing extensions"));
  g->setHorizontalHeaderItem(kExcl, HeaderItem("Exclude", nullptr));
  g->setColumnHidden(kExcl, true);
  g->setSelectionBehavior(QAbstractItemView::SelectRows);
  g->setSelectionMode(QAbstractItemView::SingleSelection);
  g->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                     QAbstractItemView::AnyKeyPressed);
  g->setItemDelegate(new CommitOnEditDelegate(g));
  g->setWordWrap(true);
  g->verticalHeader()->hide();
  g->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);  // wrapped paths
  g->verticalHeader()->setMinimumSectionSize(g->fontMetrics().height() + 10);
  g->horizontalHeader()->setSectionResizeMode(kEn, QHeaderView::Fixed);
  g->horizontalHeader()->setSectionResizeMode(kPath, QHeaderView::Stretch);
  g->horizontalHeader()->setSectionResizeMode(kIncl, QHeaderView::Interactive);
  g->setColumnWidth(kEn, 28);
  g->setColumnWidth(kIncl, 250);

  addPath = new QPushButton(ThemeIcon("list-add", QStyle::SP_FileDialogNewFolder),
                            QStringLiteral("&Add Path"));
  deletePath = new QPushButton(ThemeIcon("list-remove", QStyle::SP_TrashIcon),
                               QStringLiteral("&Delete Path"));
  auto* gridButtons = new QVBoxLayout;
  gridButtons->addWidget(addPath);
  gridButtons->addWidget(deletePath);
  gridButtons->addStretch();
  auto* gridRow = new QHBoxLayout;
  gridRow->addWidget(g, 1);
  gridRow->addLayout(gridButtons);

  auto* buttons = new QDialogButtonBox;
  help = buttons->addButton(QDialogButtonBox::Help);
  save = buttons->addButton(QDialogButtonBox::Save);
  cancel = buttons->addButton(QDialogButtonBox::Cancel);
  // Enter in a field must not save: no button is the dialog's default.
  for (QPushButton* button : {addPath, deletePath, help, save, cancel}) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addLayout(gridRow, 1);
  layout->addWidget(buttons);

  Action_save = new QAction(QStringLiteral("Save"), this);
  delete_ = new QAction(QStringLiteral("Delete Path"), this);
  BindButton(save, Action_save);
  BindButton(deletePath, delete_);
  connect(Action_save, &QAction::triggered, this, &TForm1::SaveClick);
  connect(delete_, &QAction::triggered, this, &TForm1::DeletePathClick);
  connect(addPath, &QPushButton::clicked, this, &TForm1::AddPathClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(help, &QPushButton::clicked, this, &TForm1::Button5Click);
  connect(e_indBrowse, &QToolButton::clicked, this, &TForm1::BrowseIndexFile);

  for (QLineEdit* field : {e_prof, e_tag, e_title, e_ind})
    connect(field, &QLineEdit::textChanged, this, &TForm1::UpdateActions);
  connect(g, &QTableWidget::itemChanged, this, &TForm1::UpdateActions);
  connect(g, &QTableWidget::itemSelectionChanged, this, &TForm1::UpdateActions);
  connect(g->model(), &QAbstractItemModel::rowsInserted, this, &TForm1::UpdateActions);
  connect(g->model(), &QAbstractItemModel::rowsRemoved, this, &TForm1::UpdateActions);
  UpdateActions();
}

void TForm1::NewProfile() {
  PrepareNew();
  e_prof->setFocus();
  exec();
}

void TForm1::EditProfile(const std::string& name) {
  if (!PrepareEdit(name)) return;
  e_prof->setFocus();
  exec();
}

void TForm1::PrepareNew() {
  profileName_.clear();
  ClearFields();
  snapshot_ = BuildProfile("");
  setWindowTitle(QStringLiteral("New Index Profile"));
  UpdateActions();
}

bool TForm1::PrepareEdit(const std::string& name) {
  setWindowTitle(QStringLiteral("Updating Index Profile"));
  profileName_ = name;
  const std::string path = ProfilePath(name);
  if (!std::filesystem::exists(path)) {
    prompts_.Inform(this, Text("The file " + path + " is not found"));
    return false;
  }
  TIndp profile;
  try {
    profile.LoadProfile(path, "Index");
  } catch (const std::exception& error) {
    prompts_.Error(this, Text(error.what()));
    return false;
  }
  ClearFields();
  e_ind->setText(Text(profile.ifile));
  e_title->setText(Text(profile.title));
  e_prof->setText(Text(name));
  e_tag->setText(Text(profile.tag));
  for (const TIndpItem& item : profile.items) AddRow(item);
  snapshot_ = BuildProfile("");
  UpdateActions();
  return true;
}

TIndp TForm1::ProfileOfFields() const {
  TIndp profile;
  profile.title = Utf8(e_title->text());
  profile.ifile = Utf8(e_ind->text());
  profile.tag = Utf8(e_tag->text());
  const auto cell = [this](int row, int column) {
    const QTableWidgetItem* item = g->item(row, column);
    return item ? Utf8(item->text()) : std::string();
  };
  for (int row = 0; row < g->rowCount(); ++row) {
    const QTableWidgetItem* check = g->item(row, kEn);
    profile.items.Add({cell(row, kPath), cell(row, kIncl), cell(row, kExcl),
                       check && check->checkState() == Qt::Checked});
  }
  return profile;
}

std::string TForm1::BuildProfile(const std::string& saveName) {
  // The grid's delegate commits every keystroke, so no edit is pending here.
  const TIndp profile = ProfileOfFields();
  if (!saveName.empty()) profile.SaveProfile(ProfilePath(saveName), "Index");
  return profile.Signature() + Utf8(e_prof->text());
}

bool TForm1::SaveIfChanged(bool ask) {
  const std::string current = BuildProfile("");
  if (current == snapshot_) return true;
  if (ask && !prompts_.Confirm(this, QString::fromLatin1(kChangedQuestion))) return true;
  const std::string name = Utf8(e_prof->text());
  if (name.empty()) {
    prompts_.Inform(this, QString::fromLatin1(kNoNameMessage));
    return false;
  }
  try {
    BuildProfile(name);
    // SaveProfile keeps quiet when the file cannot be written; read it back to be sure
    // the user's work is on disk before the dialog closes.
    TIndp written;
    written.LoadProfile(ProfilePath(name), "Index");
    if (written.Signature() + name != current) {
      prompts_.Error(this, Text("The profile could not be written to " + ProfilePath(name)));
      return false;
    }
  } catch (const std::exception& error) {
    prompts_.Error(this, Text(error.what()));
    return false;
  }
  snapshot_ = current;
  UpdateActions();
  return true;
}

void TForm1::SaveClick() {
  if (SaveIfChanged(false)) accept();
}

void TForm1::Action_saveUpdate() {
  Action_save->setEnabled(SaveAllowed(Utf8(e_prof->text()), Utf8(e_ind->text()),
                                      Utf8(e_title->text()), g->rowCount(),
                                      BuildProfile("") != snapshot_));
}

void TForm1::AddPathClick() {
  const QString folder = prompts_.ChooseFolder(this);
  if (folder.isEmpty()) return;
  AddRow({Utf8(folder), kDefaultMasks, "", true});
  g->selectRow(g->rowCount() - 1);
}

void TForm1::DeletePathClick() {
  const int row = g->currentRow();
  if (row >= 0) g->removeRow(row);
}

void TForm1::deleteUpdate() {
  delete_->setEnabled(g->rowCount() > 0 && !g->selectedItems().isEmpty());
  const bool named = !e_prof->text().isEmpty();
  e_ind->setEnabled(named);
  e_indBrowse->setEnabled(named);
}

void TForm1::e_indExit() { e_ind->setText(Text(WithIndexExtension(Utf8(e_ind->text())))); }

QString TForm1::e_indBeforeDialog() const {
  return Text(ProposedIndexFile(Utf8(e_ind->text()), Utf8(e_prof->text())));
}

void TForm1::Button5Click() { OpenHelpTopic(kHelpProfileEditor); }

void TForm1::BrowseIndexFile() {
  QString proposed = e_indBeforeDialog();
  // A bare name opens the dialog in the data folder, beside the configuration file.
  if (!proposed.contains(QLatin1Char('/')))
    proposed = Text(DataFolder()) + QLatin1Char('/') + proposed;
  const QString chosen = prompts_.ChooseIndexFile(this, proposed);
  if (!chosen.isEmpty()) e_ind->setText(chosen);
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (!SaveIfChanged(true)) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == e_ind && event->type() == QEvent::FocusOut) e_indExit();
  return QDialog::eventFilter(watched, event);
}

void TForm1::AddRow(const TIndpItem& item) {
  const int row = g->rowCount();
  g->insertRow(row);
  auto* check = new QTableWidgetItem;
  check->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  check->setCheckState(item.en ? Qt::Checked : Qt::Unchecked);
  g->setItem(row, kEn, check);
  g->setItem(row, kPath, new QTableWidgetItem(Text(item.path)));
  g->setItem(row, kIncl, new QTableWidgetItem(Text(item.incl)));
  g->setItem(row, kExcl, new QTableWidgetItem(Text(item.excl)));
}

void TForm1::ClearFields() {
  g->setRowCount(0);
  for (QLineEdit* field : {e_ind, e_title, e_prof, e_tag}) field->clear();
}

void TForm1::UpdateActions() {
  Action_saveUpdate();
  deleteUpdate();
}

}  // namespace vexa
