#include "search/qt/search_window_logic.h"

#include <QString>
#include <exception>
#include <filesystem>
#include <system_error>

#include "config/folders.h"
#include "config/profiles.h"
#include "config/text.h"
#include "index/tindex.h"
#include "search/qt/shell.h"
#include "search/result_page.h"

namespace vexa {

namespace {

constexpr char kHistoryKey[] = "xvexadoc/qq_Items";
constexpr char kQueryKey[] = "xvexadoc/qq_Text";
constexpr char kChosenKey[] = "xvexadoc/srca_ItemIndex";
constexpr int kDefaultPageLen = 20;

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
  return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

}  // namespace

std::vector<std::string> UpdateHistory(std::vector<std::string> history,
                                       const std::string& text) {
  std::erase_if(history, [&](const std::string& entry) { return SameTextIgnoringCase(entry, text); });
  history.insert(history.begin(), text);
  if (history.size() > kHistoryLength) history.resize(kHistoryLength);
  return history;
}

int ChooserPosition(int noted, int usable) {
  if (noted > 0 && noted < usable) return noted;
  return usable > 0 ? 0 : -1;
}

std::string IndexerPath(const std::string& program_folder) {
  const std::string beside = program_folder + "/xvexai";
  std::error_code error;
  if (std::filesystem::is_regular_file(beside, error)) return beside;
  return program_folder + "/XVexaI/xvexai";
}

int ConfiguredPageLen() {
  // Below 1 the page list would divide by zero; a non-number reads as -1.
  const int page_len = Config().ReadInteger("Pagelen", kDefaultPageLen);
  return page_len < 1 ? kDefaultPageLen : page_len;
}

SearchWindowLogic::SearchWindowLogic(SearchWindowView& view, Shell& shell)
    : view_(view), shell_(shell), index_(std::make_unique<TIndex>()) {
  index_->PageLen = ConfiguredPageLen();
  view_.SetIndexFacts({});
}

SearchWindowLogic::~SearchWindowLogic() = default;

void SearchWindowLogic::FormShow() {
  try {
    if (!restored_) RestoreProperties();
    TindexList list(Config());
    list.LoadIndexList();
    const int usable = list.ExistingCount();
    std::vector<std::string> titles;
    ifiles_.clear();
    for (int n = 0; n < usable; ++n) {
      const TIndexItem& item = list.ExistingItem(n);
      titles.push_back(item.title);
      ifiles_.push_back(item.ifile);
    }
    chosen_ = ChooserPosition(chosen_, usable);
    view_.SetIndexTitles(titles, chosen_);
  } catch (const std::exception& error) {
    view_.ShowError(error.what());
  }
  srcaChange(chosen_);
}

void SearchWindowLogic::RestoreProperties() {
  restored_ = true;
  const XmlDocument stored = Config().Load();
  const ConfigReader reader(stored.root);
  reader.ReadList(kHistoryKey, history_);
  view_.SetHistory(history_, reader.ReadString(kQueryKey, ""));
  chosen_ = reader.ReadInteger(kChosenKey, -1);
}

void SearchWindowLogic::srcaChange(int position) {
  view_.SetIndexFacts({});
  chosen_ = position >= 0 && position < static_cast<int>(ifiles_.size()) ? position : -1;
  if (chosen_ < 0) return;
  try {
    index_->FileName = ifiles_[chosen_];
    index_->Open(false);
    std::error_code error;
    const auto size = std::filesystem::file_size(index_->FileName, error);
    view_.SetIndexFacts({index_->FileName, index_->GetTextSetting("Indexing_finished", ""),
                         SizeText(error ? 0 : static_cast<std::int64_t>(size)),
                         std::to_string(index_->DocumentCount())});
  } catch (const std::exception& error) {
    view_.ShowError(error.what());
  }
}

void SearchWindowLogic::searchbClick() {
  if (chosen_ < 0) {
    view_.ShowMessage("Search is unavailable, because no search Indexes have been created");
    return;
  }
  const std::string text = view_.QueryText();
  if (text.empty()) return;
  history_ = UpdateHistory(std::move(history_), text);
  view_.SetHistory(history_, text);
  RenderPage(1);
}

void SearchWindowLogic::RenderPage(int page) {
  try {
    view_.WritePage(RenderResultPage(*index_, view_.QueryText(), page));
  } catch (const std::exception& error) {
    // The page shown stays, but a part-read result list must not open its files.
    index_->Results.clear();
    view_.ShowError(error.what());
  }
}

void SearchWindowLogic::DocumentClick(const ElementAttributes& attributes) {
  const ClickAction action = ClickRule(attributes, index_->Results);
  switch (action.kind) {
    case ClickAction::Kind::kOpenFile:
      shell_.OpenDocument(action.target);
      break;
    case ClickAction::Kind::kShowPage:
      RenderPage(action.page);
      break;
    case ClickAction::Kind::kOpenWebSite:
      shell_.OpenAddress(action.target);
      break;
    case ClickAction::Kind::kNone:
      break;
  }
}

void SearchWindowLogic::RunIndexer() { shell_.RunAndWait(IndexerPath(ProgramFolder())); }

void SearchWindowLogic::FormClose() {
  const std::string text = view_.QueryText();
  try {
    Config().Update([&](ConfigWriter& writer) {
      writer.WriteList(kHistoryKey, history_);
      writer.WriteString(kQueryKey, text);
      writer.WriteInteger(kChosenKey, chosen_);
    });
  } catch (const std::exception& error) {
    view_.ShowError(error.what());
  }
}

}  // namespace vexa
