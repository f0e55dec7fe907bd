#include "index/text_prefetch.h"

#include <algorithm>
#include <utility>

namespace vexa {

TextPrefetch::TextPrefetch(const std::vector<std::string>& paths, std::size_t limit,
                           const CodePage& codePage, const std::vector<UserFilter>& userFilters,
                           std::size_t maxChars)
    : paths_(paths),
      limit_(std::min(limit, paths.size())),
      max_chars_(maxChars),
      main_filter_(codePage, userFilters),
      worker_filter_(codePage, userFilters),
      state_(limit_, State::kOpen),
      wanted_(limit_, 0),
      results_(limit_),
      worker_([this] { Work(); }) {}

TextPrefetch::~TextPrefetch() {
  {
    std::lock_guard<std::mutex> lock(mu_);
    stop_ = true;
  }
  changed_.notify_all();
  worker_.join();
}

void TextPrefetch::Allow(std::size_t i, bool wanted) {
  if (i >= limit_) return;
  {
    std::lock_guard<std::mutex> lock(mu_);
    wanted_[i] = wanted;
    allowed_ = i + 1;
  }
  if (wanted) changed_.notify_all();
}

void TextPrefetch::AllowAll() {
  {
    std::lock_guard<std::mutex> lock(mu_);
    std::fill(wanted_.begin(), wanted_.end(), 1);
    allowed_ = limit_;
  }
  changed_.notify_all();
}

std::size_t TextPrefetch::NextClaimable() {
  const std::size_t end = std::min({position_ + kAhead + 1, allowed_, limit_});
  for (scan_ = std::max(scan_, position_); scan_ < end; ++scan_) {
    if (wanted_[scan_] && state_[scan_] == State::kOpen) return scan_;
  }
  return std::string::npos;
}

TextPrefetch::Result TextPrefetch::Extract(const TFile_filter& filter, std::size_t i) const {
  Result result;
  try {
    result.code = filter.ExtractText(paths_[i], result.text, max_chars_);
  } catch (...) {
    result = Result{};
    result.threw = true;
  }
  return result;
}

void TextPrefetch::Work() {
  std::unique_lock<std::mutex> lock(mu_);
  for (;;) {
    std::size_t next = std::string::npos;
    changed_.wait(lock, [&] { return stop_ || (next = NextClaimable()) != std::string::npos; });
    if (stop_) return;
    state_[next] = State::kClaimed;
    lock.unlock();
    Result result = Extract(worker_filter_, next);
    lock.lock();
    results_[next] = std::move(result);
    state_[next] = State::kDone;
    changed_.notify_all();
  }
}

TextPrefetch::Result TextPrefetch::Take(std::size_t i) {
  std::unique_lock<std::mutex> lock(mu_);
  position_ = i;
  changed_.notify_all();
  for (;;) {
    if (state_[i] == State::kDone) {
      position_ = i + 1;
      changed_.notify_all();
      return std::move(results_[i]);
    }
    // Read the file itself when nobody has started on it; otherwise, rather than wait
    // for the worker, read a later one.
    std::size_t next = state_[i] == State::kOpen ? i : NextClaimable();
    if (next == std::string::npos) {
      changed_.wait(lock, [&] { return state_[i] == State::kDone; });
      continue;
    }
    state_[next] = State::kClaimed;
    lock.unlock();
    Result result = Extract(main_filter_, next);
    lock.lock();
    if (next == i) {
      state_[i] = State::kDone;
      position_ = i + 1;
      changed_.notify_all();
      return result;
    }
    results_[next] = std::move(result);
    state_[next] = State::kDone;
    changed_.notify_all();
  }
}

}  // namespace vexa
