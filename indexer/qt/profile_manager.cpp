#include "indexer/qt/profile_manager.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QShowEvent>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTextDocument>
#include <QToolBar>
#include <QVBoxLayout>
#include <exception>

#include "config/folders.h"
#include "config/profiles.h"
#include "indexer/command_line.h"
#include "indexer/qt/help_about.h"
#include "indexer/qt/icons.h"
#include "indexer/qt/profile_editor.h"
#include "indexer/qt/prompts.h"
#include "indexer/qt/run_window.h"

namespace vexa {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

// Draws a cell's text as HTML (the "Settings" column): bold title, grey disabled folders.
class HtmlDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem item(option);
    initStyleOption(&item, index);
    QTextDocument document;
    Prepare(document, item);
    item.text.clear();  // the style draws background, focus and selection only
    item.widget->style()->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);

    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = item.palette;
    if (item.state & QStyle::State_Selected)
      context.palette.setColor(QPalette::Text, item.palette.color(QPalette::HighlightedText));
    painter->save();
    painter->translate(item.rect.topLeft());
    painter->setClipRect(item.rect.translated(-item.rect.topLeft()));
    document.documentLayout()->draw(painter, context);
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem item(option);
    initStyleOption(&item, index);
    QTextDocument document;
    Prepare(document, item);
    return document.size().toSize();
  }

 private:
  static void Prepare(QTextDocument& document, const QStyleOptionViewItem& item) {
    document.setDefaultFont(item.font);
    document.setDocumentMargin(3);
    document.setHtml(item.text);
  }
};

// An action of the tool bar with its caption, hint and picture, running `handler`.
QAction* MakeAction(Tf_indexes* window, const char* caption, const char* hint, const char* icon,
                    QStyle::StandardPixmap fallback, void (Tf_indexes::*handler)()) {
  auto* action = new QAction(ThemeIcon(icon, fallback), QString::fromLatin1(caption), window);
  action->setToolTip(QString::fromLatin1(hint));
  action->setStatusTip(QString::fromLatin1(hint));
  QObject::connect(action, &QAction::triggered, window, handler);
  return action;
}

}  // namespace

Tf_indexes::Tf_indexes(TForm1& editor, Tindexf& runWindow, CommandLineOptions& options,
                       Prompts& prompts, QWidget* parent)
    : QMainWindow(parent),
      editor_(editor),
      runWindow_(runWindow),
      options_(options),
      prompts_(prompts) {
  setWindowTitle(QStringLiteral("Vexa Indexer"));
  setWindowIcon(IndexerIcon());
  resize(800, 560);

  New = MakeAction(this, "New", "Create new Index Profile ", "document-new",
                   QStyle::SP_FileDialogNewFolder, &Tf_indexes::NewExecute);
  New->setIconText(QStringLiteral("Add"));
  Edit = MakeAction(this, "Edit", "Edit Selected Profile", "document-properties",
                    QStyle::SP_FileDialogDetailedView, &Tf_indexes::EditExecute);
  Delete = MakeAction(this, "Delete", "Delete checked Profile", "list-remove",
                      QStyle::SP_DialogDiscardButton, &Tf_indexes::DeleteExecute);
  Refresh = MakeAction(this, "Refresh", "Refresh Checked Indexes", "view-refresh",
                       QStyle::SP_BrowserReload, &Tf_indexes::RefreshExecute);
  Rebuild = MakeAction(this, "Rebuild", "Rebuild checked indexes from scratch", "system-run",
                       QStyle::SP_MediaPlay, &Tf_indexes::RebuildExecute);
  Delete_index = MakeAction(this, "Delete Index", "Delete cheched Indexes", "user-trash",
                            QStyle::SP_TrashIcon, &Tf_indexes::Delete_indexExecute);

  auto* tools = addToolBar(QStringLiteral("Actions"));
  tools->setMovable(false);
  tools->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  tools->setIconSize(QSize(24, 24));
  tools->addActions({New, Edit, Delete});
  tools->addSeparator();
  tools->addActions({Refresh, Rebuild, Delete_index});

  QAction* help = menuBar()->addAction(QStringLiteral("&Help"));
  help->setShortcut(QKeySequence::HelpContents);
  connect(help, &QAction::triggered, this, &Tf_indexes::Hell1Click);
  connect(menuBar()->addAction(QStringLiteral("&About")), &QAction::triggered, this,
          &Tf_indexes::About1Click);

  g = new QTableWidget(0, kColumns);
  g->setHorizontalHeaderLabels(
      {QString(), QStringLiteral("Profile Name"), QStringLiteral("Settings"), QString(),
       QString(), QString(), QString()});
  for (int column = kIfile; column < kColumns; ++column) g->setColumnHidden(column, true);
  g->setColumnWidth(kMark, 24);
  g->setColumnWidth(kProfile, 120);
  g->setColumnWidth(kContent, 555);
  g->horizontalHeader()->setStretchLastSection(true);
  g->horizontalHeader()->setSectionResizeMode(kMark, QHeaderView::Fixed);
  g->verticalHeader()->hide();
  g->verticalHeader()->setDefaultSectionSize(20);
  g->setSelectionBehavior(QAbstractItemView::SelectRows);
  g->setSelectionMode(QAbstractItemView::SingleSelection);
  g->setEditTriggers(QAbstractItemView::NoEditTriggers);
  g->setItemDelegateForColumn(kContent, new HtmlDelegate(g));
  g->setWordWrap(false);
  connect(g, &QTableWidget::currentCellChanged, this, [this](int row) { gSelectCell(row); });
  connect(g, &QTableWidget::cellDoubleClicked, this, [this] {
    if (Edit->isEnabled()) EditExecute();
  });
  connect(g, &QTableWidget::itemChanged, this, &Tf_indexes::UpdateActions);

  lfile = new QLabel;
  lreb = new QLabel;
  lsize = new QLabel;
  lnfiles = new QLabel;
  for (QLabel* value : {lfile, lreb, lsize, lnfiles})
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* group = new QGroupBox(QStringLiteral("Index File"));
  auto* facts = new QFormLayout(group);
  facts->addRow(lfile);
  facts->addRow(QStringLiteral("Rebuilt:"), lreb);
  facts->addRow(QStringLiteral("File Size:"), lsize);
  facts->addRow(QStringLiteral("Files in Index:"), lnfiles);

  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->addWidget(g, 1);
  layout->addWidget(group);
  setCentralWidget(central);
  statusBar();  // shows the actions' hints
  UpdateActions();
}

void Tf_indexes::RefreshList() {
  std::vector<ProfileRow> rows;
  std::string error;
  try {
    AppendProfileRows(ProfilesFolder(), rows);
  } catch (const std::exception& e) {
    error = e.what();
  }
  const QSignalBlocker quiet(g);
  g->setRowCount(0);
  for (const ProfileRow& row : rows) AddRow(row);
  const int row = RememberedRow >= 0 && RememberedRow < g->rowCount() ? RememberedRow : 0;
  if (g->rowCount() > 0) g->setCurrentCell(row, kProfile);
  gSelectCell(g->rowCount() > 0 ? row : -1);
  UpdateActions();
  if (!error.empty()) prompts_.Error(this, Text(error));
}

void Tf_indexes::AddRow(const ProfileRow& row) {
  const int r = g->rowCount();
  g->insertRow(r);
  auto* mark = new QTableWidgetItem;
  mark->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  mark->setCheckState(Qt::Unchecked);
  g->setItem(r, kMark, mark);
  const std::string* texts[] = {&row.profile, &row.content, &row.ifile,
                                &row.rebuilt, &row.size,    &row.nfiles};
  for (int column = kProfile; column < kColumns; ++column)
    g->setItem(r, column, new QTableWidgetItem(Text(*texts[column - kProfile])));
  g->resizeRowToContents(r);
  g->setRowHeight(r, std::max(g->rowHeight(r), 20) + 8);
}

QString Tf_indexes::Cell(int row, Column column) const {
  const QTableWidgetItem* item = g->item(row, column);
  return item ? item->text() : QString();
}

std::vector<MarkedProfile> Tf_indexes::MarkedRows() const {
  std::vector<MarkedProfile> marked;
  for (int row = 0; row < g->rowCount(); ++row)
    if (g->item(row, kMark)->checkState() == Qt::Checked)
      marked.push_back({Cell(row, kProfile).toStdString(), Cell(row, kIfile).toStdString()});
  return marked;
}

std::vector<std::string> Tf_indexes::MarkedProfilePaths() const {
  std::vector<std::string> paths;
  for (const MarkedProfile& row : MarkedRows()) paths.push_back(ProfilePath(row.profile));
  return paths;
}

void Tf_indexes::FormShow() {
  for (QLabel* value : {lfile, lreb, lsize, lnfiles}) value->clear();
  RefreshList();
  if (g->rowCount() > 0) g->setCurrentCell(0, kProfile);
}

void Tf_indexes::gSelectCell(int row) {
  const bool valid = row >= 0 && row < g->rowCount();
  lfile->setText(valid ? Cell(row, kIfile) : QString());
  lreb->setText(valid ? Cell(row, kRebuilt) : QString());
  lsize->setText(valid ? Cell(row, kSize) : QString());
  lnfiles->setText(valid ? Cell(row, kNfiles) : QString());
  if (valid) RememberedRow = row;
  UpdateActions();
}

void Tf_indexes::NewExecute() {
  editor_.NewProfile();
  RefreshList();
}

void Tf_indexes::EditExecute() {
  const int row = g->currentRow();
  if (row < 0) return;
  editor_.EditProfile(Cell(row, kProfile).toStdString());
  RefreshList();
}

void Tf_indexes::DeleteExecute() { RunDeletion(&DeleteProfiles); }

void Tf_indexes::RunDeletion(Deletion deletion) {
  try {
    TindexList list(Config());
    deletion(MarkedRows(), list, [this](const std::string& question) {
      return prompts_.Confirm(this, Text(question));
    });
  } catch (const std::exception& e) {
    prompts_.Error(this, Text(e.what()));
  }
  RefreshList();
}

void Tf_indexes::RefreshExecute() {
  const std::vector<std::string> paths = MarkedProfilePaths();
  const int remembered = RememberedRow;
  hide();
  runWindow_.Run().RunProfiles(paths, true);
  show();
  RememberedRow = remembered;
  RefreshList();
}

void Tf_indexes::RebuildExecute() {
  if (!prompts_.Confirm(
          this, QStringLiteral("Do you really want to rebuild selected indexes from scratch?")))
    return;
  options_.optFull = true;
  RefreshExecute();
  options_.optFull = false;
}

void Tf_indexes::Delete_indexExecute() { RunDeletion(&DeleteIndexFiles); }

void Tf_indexes::EditUpdate() { Edit->setEnabled(g->rowCount() > 0 && g->currentRow() >= 0); }

void Tf_indexes::RefreshUpdate() {
  const bool marked = !MarkedRows().empty();
  for (QAction* action : {Delete, Refresh, Rebuild, Delete_index}) action->setEnabled(marked);
}

void Tf_indexes::UpdateActions() {
  EditUpdate();
  RefreshUpdate();
}

void Tf_indexes::Hell1Click() { OpenHelpTopic(kHelpProfileManager); }

void Tf_indexes::About1Click() {
  ShowAboutBox(this, {QStringLiteral("VexaDoc Indexer"),
                      QStringLiteral("Builds and updates the search indexes of VexaDoc: "
                                     "profiles name the folders to read, runs keep each "
                                     "index up to date.")});
}

void Tf_indexes::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void Tf_indexes::closeEvent(QCloseEvent* event) {
  QMainWindow::closeEvent(event);
  if (event->isAccepted()) emit closed();
}

}  // namespace vexa
