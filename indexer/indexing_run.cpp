#include "indexer/indexing_run.h"

#include <sys/stat.h>

#include <exception>

#include "config/day_count.h"
#include "config/folders.h"
#include "config/paths.h"
#include "config/profiles.h"
#include "config/text.h"
#include "index/tindex.h"
#include "indexer/run_files.h"
#include "intake/text_filter.h"

namespace vexa {

namespace {

constexpr auto kSizeTimerInterval = std::chrono::seconds(10);

bool FileExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

}  // namespace

IndexingRun::IndexingRun(RunView& view, CommandLineOptions& options)
    : view_(view), options_(options) {}

IndexingRun::~IndexingRun() = default;

void IndexingRun::AddLogLine(const std::string& message) {
  if (!message.empty() && message.front() == '-') {
    if (!view_has_lines_ || !view_last_line_.ends_with("...")) return;
    const std::string tail = " " + message;
    view_last_line_ += tail;
    if (!run_log_.empty()) run_log_.back() += tail;
    view_.ExtendLastLogLine(tail);
    return;
  }
  view_last_line_ = message;
  view_has_lines_ = true;
  run_log_.push_back(message);
  view_.AppendLogLine(message);
}

void IndexingRun::ShowProgress(const std::string& name, std::int32_t, double, int added,
                               int total) {
  view_.ShowLastFile(name);
  const long long percent = total > 0 ? static_cast<long long>(added) * 100 / total : 0;
  view_.ShowProgressText(std::to_string(added) + "/" + std::to_string(total) + " (" +
                         std::to_string(percent) + "%)");
  view_.ShowProgress(added, total);
  YieldToUser();
}

void IndexingRun::AddSkippedFile(const std::string& name, std::int32_t code) {
  ++skipped_count_;
  report_lines_.push_back(SkippedReportRow(skipped_count_, name, FilterErrorText(code)));
  YieldToUser();
}

void IndexingRun::ShowStage(int stage) {
  view_.ShowProgress(stage * 25, 100);
  YieldToUser();
}

void IndexingRun::YieldToUser() {
  view_.ProcessPendingInput();
  if (!size_timer_ || std::chrono::steady_clock::now() < next_size_tick_) return;
  next_size_tick_ = std::chrono::steady_clock::now() + kSizeTimerInterval;
  struct stat st {};
  if (!index_file_shown_.empty() && stat(index_file_shown_.c_str(), &st) == 0) {
    view_.ShowFileSize(SizeText(st.st_size));
  }
}

void IndexingRun::ShowIndexFile(const std::string& path) {
  index_file_shown_ = path;
  view_.ShowIndexFile(path);
}

void IndexingRun::ShowButtonCaption(const std::string& caption) {
  button_caption_ = caption;
  view_.ShowButtonCaption(caption);
}

void IndexingRun::ButtonClick() {
  if (button_caption_ == "Cancel") {
    Cancel();
  } else {
    view_.CloseWindow();
  }
}

void IndexingRun::Cancel() {
  if (current_index_) current_index_->Cancelled = true;
}

void IndexingRun::UpdateIndexList(const TIndp& profile) {
  TindexList list(Config());
  list.LoadIndexList();
  if (TIndexItem* item = list.FindIndex(profile.ifile)) {
    item->title = profile.title;
    item->tag = profile.tag;
    item->dt = Now();
  } else {
    list.items.push_back({profile.ifile, profile.title, Now(), profile.tag});
  }
  list.SaveIndexList();
}

IndexingRun::Outcome IndexingRun::RunProfile(const std::string& profilePath) {
  run_log_.clear();
  log_written_ = false;
  if (!FileExists(profilePath)) {
    AddLogLine("File \"" + profilePath + "\" is not found");
    return Outcome::kNotFound;
  }
  const std::string name = NameWithoutExtension(FileNamePart(profilePath));
  AddLogLine("Executing profile " + name);
  running_ = true;
  const double start = Now();
  view_.ShowLastFile("");
  view_.ShowProgressText("");
  view_.ShowFileSize("");
  view_.ShowProgress(0, 100);
  report_lines_.clear();
  skipped_count_ = 0;
  report_path_.clear();

  Outcome outcome = Outcome::kCompleted;
  try {
    bool cancelled = false;
    TIndp profile;
    profile.LoadProfile(profilePath, "Index");
    RunSteps(profile, name, cancelled);
    outcome = cancelled ? Outcome::kCancelled : Outcome::kCompleted;
  } catch (const std::exception& e) {
    Fail(e.what());
    outcome = Outcome::kFailed;
  } catch (...) {
    Fail("unknown error");
    outcome = Outcome::kFailed;
  }
  current_index_.reset();
  size_timer_ = false;
  WriteLogFile(name, start);
  try {
    view_.ScrollLogToEnd();
  } catch (...) {
    // The caret is a nicety; the run is complete without it.
  }
  report_lines_.clear();
  running_ = false;
  return outcome;
}

void IndexingRun::RunSteps(const TIndp& profile, const std::string& name, bool& cancelled) {
  current_index_ = std::make_unique<TIndex>();
  TIndex& index = *current_index_;
  index.FileName = profile.ifile;
  ShowIndexFile(profile.ifile);
  const bool full = options_.optFull || !FileExists(profile.ifile);
  index.Added = index.Deleted = index.Scanned = index.Replaced = 0;
  index.Open(full);
  AddLogLine(std::string(full ? "Full Reindexing" : "Incremental Reindexing") +
             ", index file is  " + profile.ifile);

  const std::int64_t count_at_start = index.DocumentCount();
  index.OnProgress = [this](const std::string& file, std::int32_t size, double time, int added,
                            int total) { ShowProgress(file, size, time, added, total); };
  index.OnSkip = [this](const std::string& file, std::int32_t code) {
    AddSkippedFile(file, code);
  };
  index.MaxScan = profile.maxscan;
  index.Flags = profile.flags;
  report_lines_.push_back(SkippedReportHeader(ProgramFolder()));

  index.SetTextSetting("Indexing_started", DateTimeText(Now()));
  index.SetTextSetting("Indexing_finished", "");
  index.SetTextSetting("Index_broken", "");
  index.SetTextSetting("Flags", index.Flags);

  if (profile.clear_files != 0) {
    AddLogLine("Clearing index from unexisted files ...");
    index.PurgeMissing();
    AddLogLine("- Done");
  }

  const double passes_start = Now();
  YieldToUser();
  size_timer_ = true;
  next_size_tick_ = std::chrono::steady_clock::now() + kSizeTimerInterval;
  for (const TIndpItem& item : profile.items) {
    if (!item.en) continue;
    index.IncludeMasks = SplitFields(item.incl, ' ');
    const PathCheck check = CheckPath(item.path);
    if (!check.exists) {
      AddLogLine(check.message);
      continue;
    }
    AddLogLine("... " + item.path);
    try {
      index.IndexFolder(item.path);
    } catch (const RunAbort&) {
      break;
    }
  }
  index.PathTime = DurationText(passes_start, Now());

  report_lines_.push_back(kSkippedReportFooter);
  if (skipped_count_ > 0) {
    report_path_ = LogsFolder() + "/" + name + "_skipped.html";
    WriteLines(report_path_, report_lines_);
  }

  if (!index.Cancelled) {
    AddLogLine("Preparing Index ...");
    view_.ShowLastFile("");
    view_.ShowProgressText("");
    const std::int64_t changed =
        std::int64_t{index.GetIntSetting("Added_files", 0)} + index.GetIntSetting("Deleted_files", 0);
    if (count_at_start == 0 || changed * 100 / count_at_start > 2) {
      index.SetIntSetting("Prepare_clrw", 0);
      index.SetIntSetting("Prepare_sort", 0);
    }
    index.Maintain([this](int stage) { ShowStage(stage); });
    AddLogLine("- Done");
  }

  // A cancel during the maintenance does not stop it but still marks the run aborted.
  cancelled = index.Cancelled;
  index.SetIntSetting("Index_broken", cancelled ? 1 : 0);
  AddLogLine("");
  if (cancelled) {
    AddLogLine("Indexing was aborted due to user request");
  } else {
    AddLogLine("Indexing finished");
    AddLogLine(std::to_string(index.Scanned) + " files were scanned, " +
               std::to_string(index.Added) + " files were added to index");
    if (index.Replaced > 0)
      AddLogLine(std::to_string(index.Replaced) + " files were replaced in index");
    if (index.Deleted > 0)
      AddLogLine(std::to_string(index.Deleted) + " files were deleted in index");
    UpdateIndexList(profile);
  }
  if (profile.debug != 0) {
    AddLogLine("Time_Clear_Files =" + index.PurgeTime);
    AddLogLine("Time_Process_Path=" + index.PathTime);
    AddLogLine("Time_Resort_Docs =" + index.ResortTime);
  }
  AddLogLine("");
  index.SetTextSetting("Indexing_finished", DateTimeText(Now()));
  current_index_.reset();
}

void IndexingRun::Fail(const std::string& what) {
  const std::string message = "Reindexing error - " + what;
  if (!options_.optUnv) view_.ShowErrorBox(message);
  AddLogLine(message);
}

void IndexingRun::WriteLogFile(const std::string& name, double start) {
  const std::string path = LogsFolder() + "/" + name + ".log";
  const double end = Now();
  try {
    WriteLines(path, ComposeLogFile(DateTimeText(start), run_log_, DateTimeText(end),
                                    DurationText(start, end), ReadLogLines(path)));
    log_written_ = true;
  } catch (const std::exception& e) {
    // The run itself is complete; say so where the user looks and go on.
    AddLogLine(std::string("The log file could not be written - ") + e.what());
  }
}

void IndexingRun::RunProfiles(const std::vector<std::string>& profilePaths, bool keepOpen) {
  view_.ClearLog();
  view_has_lines_ = false;
  view_last_line_.clear();
  view_.ShowWindow();
  for (const std::string& path : profilePaths) RunProfile(path);
  YieldToUser();
  view_.HideWindow();
  if (keepOpen) {
    ShowButtonCaption("Close");
    view_.ShowModal();
    ShowButtonCaption("Cancel");
  }
}

bool IndexingRun::RunCommandLineProfiles() {
  bool all_completed = true;
  for (const std::string& path : options_.profiles) {
    all_completed = RunProfile(path) == Outcome::kCompleted && log_written_ && all_completed;
  }
  if (options_.optWait) {
    ShowButtonCaption("Close");
    view_.ShowWindow();
  } else {
    view_.CloseWindow();
  }
  return all_completed;
}

}  // namespace vexa
