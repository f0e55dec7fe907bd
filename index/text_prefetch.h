// TextPrefetch: the texts of a folder pass's files, extracted ahead of the pass.
//
// Text extraction (PDF above all) is the slow part of indexing, and the pass adds
// documents strictly in list order on its own thread. TextPrefetch runs one worker thread
// that extracts the files the pass will want next, up to kAhead files beyond the file the
// pass is at; while the pass would otherwise wait for a text the worker is still reading,
// it extracts a later file itself. So two cores extract while the pass adds, and the pass
// sees exactly the results a plain ExtractText call would give, in its own order.
//
// Only files the caller has allowed (Allow/AllowAll) and that lie below the limit it gave
// are touched, so MaxScan and the files an incremental pass skips are respected; nothing
// is written anywhere, and callbacks stay with the caller. Destruction stops the worker
// and waits for the extraction it is in (a cancel waits at most for that one file).
//
// Thread-safety: every member function is for the pass's thread only; the worker thread
// is internal.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "intake/text_filter.h"

namespace vexa {

class TextPrefetch {
 public:
  static constexpr std::size_t kAhead = 16;

  // The outcome of one extraction.
  struct Result {
    std::int32_t code = 0;
    std::string text;
    bool threw = false;  // the extraction raised an exception
  };

  // `paths` (outliving the object) are the pass's files in list order; files from
  // `limit` on are never extracted. Each thread extracts with its own TFile_filter
  // made from `codePage` (outliving the object) and `userFilters`, reading up to
  // `maxChars` characters.
  TextPrefetch(const std::vector<std::string>& paths, std::size_t limit, const CodePage& codePage,
               const std::vector<UserFilter>& userFilters, std::size_t maxChars);
  ~TextPrefetch();
  TextPrefetch(const TextPrefetch&) = delete;
  TextPrefetch& operator=(const TextPrefetch&) = delete;

  // Declares whether file i will be wanted; calls come in increasing i, one per file.
  void Allow(std::size_t i, bool wanted);
  // Every file below the limit will be wanted.
  void AllowAll();

  // The text of file i (REQUIRES: i below the limit, calls in increasing i). Later files
  // may then be extracted ahead up to i + kAhead.
  Result Take(std::size_t i);

 private:
  enum class State : unsigned char { kOpen, kClaimed, kDone };

  // The next file a thread may extract, or npos. REQUIRES: mu_ held.
  std::size_t NextClaimable();
  Result Extract(const TFile_filter& filter, std::size_t i) const;
  void Work();

  const std::vector<std::string>& paths_;
  const std::size_t limit_;
  const std::size_t max_chars_;
  TFile_filter main_filter_;
  TFile_filter worker_filter_;

  std::mutex mu_;
  std::condition_variable changed_;
  std::vector<State> state_;
  std::vector<char> wanted_;
  std::vector<Result> results_;
  std::size_t allowed_ = 0;  // files below this have been declared
  std::size_t position_ = 0; // the file the pass is at
  std::size_t scan_ = 0;     // files below this are claimed, done or unwanted
  bool stop_ = false;
  std::thread worker_;       // last: started once everything above exists
};

}  // namespace vexa
