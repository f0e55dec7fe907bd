#include "search/qt/search_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

#include "config/folders.h"
#include "indexer/qt/elided_label.h"
#include "indexer/qt/help_about.h"
#include "search/qt/result_view.h"
#include "search/qt/search_icon.h"

namespace vexa {

namespace {

constexpr char kProductName[] = "VexaDoc";
constexpr int kWidth = 900;
constexpr int kHeight = 639;
constexpr int kTopPanelHeight = 90;
const QColor kValueColour(60, 102, 181);

// A value label of the Search Area: named as the form names it and drawn in blue.
template <class Label>
Label* ValueLabel(Label* label, const char* name) {
  label->setObjectName(name);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, kValueColour);
  label->setPalette(palette);
  return label;
}

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

TForm1::TForm1(Shell& shell, QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(QStringLiteral("%1 %2").arg(kProductName, VEXA_VERSION));
  setWindowIcon(SearchIcon());

  qq_ = new QComboBox;
  qq_->setObjectName("qq");
  qq_->setEditable(true);
  qq_->setInsertPolicy(QComboBox::NoInsert);  // the history is kept by the logic
  qq_->setCompleter(nullptr);                 // Enter searches what was typed, not a guess
  QFont bold = qq_->font();
  bold.setBold(true);
  qq_->setFont(bold);
  qq_->setMinimumWidth(260);

  searchb_ = new QPushButton(tr("Search"));
  searchb_->setObjectName("searchb");
  searchb_->setDefault(true);

  srca_ = new QComboBox;
  srca_->setObjectName("srca");
  auto* config = new QPushButton(tr("Config"));
  config->setObjectName("Config");

  eind_ = ValueLabel(new ElidedLabel, "eind");  // a long path keeps both ends
  ereb_ = ValueLabel(new QLabel, "ereb");
  esize_ = ValueLabel(new QLabel, "esize");
  ecount_ = ValueLabel(new QLabel, "ecount");

  // Three lines: the chooser with Config; the index path, which may take the whole
  // width; the figures of the index.
  auto* area = new QGroupBox(tr("Search Area"));
  auto* grid = new QGridLayout(area);
  grid->setContentsMargins(6, 0, 6, 2);
  grid->setVerticalSpacing(1);
  grid->addWidget(srca_, 0, 0, 1, 2);
  grid->addWidget(config, 0, 2);
  grid->addWidget(new QLabel(tr("Index")), 1, 0);
  grid->addWidget(eind_, 1, 1, 1, 2);
  grid->addWidget(new QLabel(tr("Rebuilt")), 2, 0);
  auto* figures = new QHBoxLayout;
  figures->setSpacing(grid->horizontalSpacing());
  figures->addWidget(ereb_);
  for (const auto& [caption, value] : {std::pair{"File size", esize_}, {"Documents", ecount_}}) {
    figures->addSpacing(16);
    figures->addWidget(new QLabel(tr(caption)));
    figures->addWidget(value);
  }
  figures->addStretch();
  grid->addLayout(figures, 2, 1, 1, 2);
  grid->setColumnStretch(1, 1);

  auto* top = new QWidget;
  top->setFixedHeight(kTopPanelHeight);
  auto* row = new QHBoxLayout(top);
  row->setContentsMargins(8, 4, 8, 4);
  row->addWidget(qq_, 0, Qt::AlignVCenter);
  row->addWidget(searchb_, 0, Qt::AlignVCenter);
  row->addSpacing(8);
  row->addWidget(area, 1);

  wb_ = new ResultView;
  wb_->setObjectName("wb");

  auto* central = new QWidget;
  auto* column_layout = new QVBoxLayout(central);
  column_layout->setContentsMargins(0, 0, 0, 0);
  column_layout->setSpacing(0);
  column_layout->addWidget(top);
  column_layout->addWidget(wb_, 1);
  setCentralWidget(central);

  menuBar()->addAction(tr("Help"), this, &TForm1::Help1Click);
  menuBar()->addAction(tr("About"), this, &TForm1::About1Click);

  resize(kWidth, kHeight);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }

  logic_ = std::make_unique<SearchWindowLogic>(*this, shell);
  wb_->setUrl(QUrl(QStringLiteral("about:blank")));

  connect(searchb_, &QPushButton::clicked, this, &TForm1::searchbClick);
  connect(qq_->lineEdit(), &QLineEdit::returnPressed, this, &TForm1::searchbClick);
  connect(srca_, &QComboBox::activated, this, [this](int position) { logic_->srcaChange(position); });
  connect(config, &QPushButton::clicked, this, &TForm1::ConfigClick);
  connect(wb_, &ResultView::ElementClicked, this,
          [this](const ElementAttributes& attributes) { logic_->DocumentClick(attributes); });
  qq_->setFocus();
}

TForm1::~TForm1() = default;

void TForm1::SetIndexTitles(const std::vector<std::string>& titles, int chosen) {
  srca_->clear();
  for (const std::string& title : titles) srca_->addItem(Text(title));
  srca_->setCurrentIndex(chosen);
}

void TForm1::SetIndexFacts(const IndexFacts& facts) {
  eind_->SetFullText(Text(facts.file));
  ereb_->setText(Text(facts.rebuilt));
  esize_->setText(Text(facts.size));
  ecount_->setText(Text(facts.count));
}

void TForm1::SetHistory(const std::vector<std::string>& items, const std::string& text) {
  qq_->clear();
  for (const std::string& item : items) qq_->addItem(Text(item));
  qq_->setEditText(Text(text));
}

std::string TForm1::QueryText() const { return qq_->currentText().toStdString(); }

void TForm1::WritePage(const std::string& html) {
  wb_->WritePage(html, Text(ProgramFolder()));
}

void TForm1::ShowError(const std::string& message) {
  QMessageBox::critical(this, QString::fromLatin1(kProductName), Text(message));
}

void TForm1::ShowMessage(const std::string& message) {
  QMessageBox::information(this, QString::fromLatin1(kProductName), Text(message));
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // Restoring a minimized window is spontaneous; only our own show refills the chooser.
  if (!event->spontaneous()) logic_->FormShow();
}

void TForm1::closeEvent(QCloseEvent* event) {
  logic_->FormClose();
  QMainWindow::closeEvent(event);
}

void TForm1::searchbClick() { logic_->searchbClick(); }

void TForm1::ConfigClick() {
  hide();
  logic_->RunIndexer();
  QApplication::processEvents();
  show();
}

void TForm1::Help1Click() { OpenHelpTopic(kHelpContents); }

void TForm1::About1Click() {
  ShowAboutBox(this, {QString::fromLatin1(kProductName),
                      tr("Searches the documents of your folders by their words and shows "
                         "the best matches first, with the words marked in an excerpt.")});
}

}  // namespace vexa
