// The search program's main window: the query box with its history, the Search button,
// the "Search Area" group with the index chooser, the Config button and the facts of the
// chosen index, and the HTML view of the result pages; menu "Help" and "About".
//
// A thin shell over SearchWindowLogic: the handlers carry the names of the controls and
// forward to the logic, which calls back through SearchWindowView. The window is
// 900 x 639, centred, titled "VexaDoc" and the version.
//
// Thread-safety: a widget; GUI thread only.
#pragma once

#include <QMainWindow>
#include <memory>

#include "search/qt/search_window_logic.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace vexa {

class ElidedLabel;
class ResultView;
class Shell;

class TForm1 : public QMainWindow, public SearchWindowView {
  Q_OBJECT

 public:
  // FormCreate. `shell` must outlive the window; InitPaths must have run.
  explicit TForm1(Shell& shell, QWidget* parent = nullptr);
  ~TForm1() override;

  SearchWindowLogic& Logic() { return *logic_; }
  ResultView& View() { return *wb_; }

  // SearchWindowView
  void SetIndexTitles(const std::vector<std::string>& titles, int chosen) override;
  void SetIndexFacts(const IndexFacts& facts) override;
  void SetHistory(const std::vector<std::string>& items, const std::string& text) override;
  std::string QueryText() const override;
  void WritePage(const std::string& html) override;
  void ShowError(const std::string& message) override;
  void ShowMessage(const std::string& message) override;

 protected:
  void showEvent(QShowEvent* event) override;   // FormShow
  void closeEvent(QCloseEvent* event) override;

 private:
  void searchbClick();
  void ConfigClick();
  void Help1Click();
  void About1Click();

  QComboBox* qq_;
  QPushButton* searchb_;
  QComboBox* srca_;
  ElidedLabel* eind_;
  QLabel* ereb_;
  QLabel* esize_;
  QLabel* ecount_;
  ResultView* wb_;
  std::unique_ptr<SearchWindowLogic> logic_;
};

}  // namespace vexa
