// Documents read by a helper program (legacy Office formats, the user's own filters).
// The program runs in its own process group with no shell, no standard input and a time
// limit; its standard output is the text. Whenever the filter is done with it, the
// whole group is killed and reaped, so nothing outlives the extraction.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <optional>

#include "intake/filters.h"
#include "intake/text_decoding.h"
#include "intake/text_filter.h"

extern char** environ;

namespace vexa::intake {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kReadBlock = 64 * 1024;
// Output read from one program at most, whatever the reader asks for.
constexpr std::size_t kMaxOutput = 64u << 20;
// Blank output read before the program counts as having given text.
constexpr std::size_t kMaxBlankStart = 1u << 20;
// Error output kept for telling why a program gave no text.
constexpr std::size_t kMaxErrorOutput = 4096;

// A running helper program with pipes on its standard output and error output.
class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() { Finish(Clock::now()); }

  // Starts argv (argv[0] looked up in PATH). Returns 0 or the errno of the failure.
  int Start(const std::vector<std::string>& argv) {
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return errno;
    UniqueFd outRead(out[0]), outWrite(out[1]);
    if (::pipe2(err, O_CLOEXEC) != 0) return errno;
    UniqueFd errRead(err[0]), errWrite(err[1]);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outWrite.Get(), 1);
    posix_spawn_file_actions_adddup2(&actions, errWrite.Get(), 2);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);  // the program must die when we stop reading
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const int rc = posix_spawnp(&pid_, args[0], &actions, &attributes, args.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
      pid_ = -1;
      return rc;
    }
    out_ = std::move(outRead);
    err_ = std::move(errRead);
    return 0;
  }

  // Reads output into `buffer` once some is there, collecting error output meanwhile.
  // Returns the count, 0 at the end of the output, -1 on a read error or when `deadline`
  // passes.
  ssize_t Read(char* buffer, std::size_t size, Clock::time_point deadline) {
    while (out_) {
      pollfd fds[2] = {{out_.Get(), POLLIN, 0}, {err_ ? err_.Get() : -1, POLLIN, 0}};
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0) return -1;
      const int ready =
          ::poll(fds, 2, static_cast<int>(std::min<std::int64_t>(left.count(), 1000)));
      if (ready < 0 && errno != EINTR) return -1;
      if (fds[1].revents != 0) DrainErrors();
      if (fds[0].revents == 0) continue;
      const ssize_t n = ReadSome(out_.Get(), buffer, size);
      if (n == 0) out_ = UniqueFd();
      return n;
    }
    return 0;
  }

  // Waits until `deadline` for the program to end, then kills what is left of its process
  // group and reaps it. Returns the wait status when it ended by itself.
  std::optional<int> Finish(Clock::time_point deadline) {
    if (pid_ < 0) return std::nullopt;
    bool ended = false;
    for (;;) {
      siginfo_t info{};
      ended = ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
              info.si_pid == pid_;
      if (ended || Clock::now() >= deadline) break;
      pollfd fd{err_ ? err_.Get() : -1, POLLIN, 0};
      if (::poll(&fd, 1, 10) > 0) DrainErrors();
    }
    DrainErrors();
    // The leader is not reaped yet, so its group id cannot have been reused.
    ::kill(-pid_, SIGKILL);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    out_ = UniqueFd();
    err_ = UniqueFd();
    return ended ? std::optional<int>(status) : std::nullopt;
  }

  const std::string& Errors() const { return errors_; }

 private:
  // Reads the error output that is there without waiting (a bounded amount, so a program
  // that writes error output without end cannot hold the reader past its deadline).
  void DrainErrors() {
    for (int reads = 0; err_ && reads < 64; ++reads) {
      pollfd fd{err_.Get(), POLLIN, 0};
      if (::poll(&fd, 1, 0) <= 0) return;
      char buffer[1024];
      const ssize_t n = ReadSome(err_.Get(), buffer, sizeof buffer);
      if (n <= 0) {
        err_ = UniqueFd();
        return;
      }
      const std::size_t room = kMaxErrorOutput - std::min(kMaxErrorOutput, errors_.size());
      errors_.append(buffer, std::min(static_cast<std::size_t>(n), room));
    }
  }

  pid_t pid_ = -1;
  UniqueFd out_, err_;
  std::string errors_;
};

bool MentionsProtection(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text.find("encrypt") != std::string::npos || text.find("password") != std::string::npos;
}

class HelperFilter final : public SingleChunkFilter {
 public:
  HelperFilter(std::vector<std::string> argv, const CodePage& codePage,
               std::chrono::milliseconds timeLimit)
      : argv_(std::move(argv)), decoder_(codePage), timeLimit_(timeLimit) {}

  std::int32_t Init() override {
    if (argv_.empty()) return FILTER_E_UNKNOWNFORMAT;
    if (const int rc = child_.Start(argv_); rc != 0) {
      return rc == ENOENT ? FILTER_E_UNKNOWNFORMAT : kFilterHelperFailed;
    }
    deadline_ = Clock::now() + timeLimit_;
    // The first words of output, or the end of the program, tell whether it can read the
    // file (some programs print a blank line before their complaint).
    char buffer[kReadBlock];
    ssize_t n;
    while ((n = child_.Read(buffer, sizeof buffer, deadline_)) > 0) {
      block_.append(buffer, static_cast<std::size_t>(n));
      if (block_.find_first_not_of(" \t\r\n\f") != std::string::npos ||
          block_.size() >= kMaxBlankStart) {
        return 0;
      }
    }
    const std::optional<int> status = child_.Finish(n == 0 ? deadline_ : Clock::now());
    if (!status) return kFilterHelperTimeout;
    if (MentionsProtection(child_.Errors())) return FILTER_E_PASSWORD;
    if (WIFSIGNALED(*status)) return kFilterHelperFailed;
    const bool clean = WIFEXITED(*status) && WEXITSTATUS(*status) == 0 && child_.Errors().empty();
    return clean ? 0 : FILTER_E_UNKNOWNFORMAT;
  }

 private:
  Produced Produce(std::u32string& out) override {
    if (!block_.empty()) {  // the output Init has read
      total_ += block_.size();
      decoder_.Decode(block_, false, out);
      block_.clear();
      return Produced::kMore;
    }
    char buffer[kReadBlock];
    const ssize_t n = total_ < kMaxOutput ? child_.Read(buffer, sizeof buffer, deadline_) : 0;
    if (n <= 0) {
      decoder_.Decode({}, true, out);
      child_.Finish(Clock::now());
      return n == 0 ? Produced::kEnd : Produced::kFailed;
    }
    total_ += static_cast<std::size_t>(n);
    decoder_.Decode(std::string_view(buffer, static_cast<std::size_t>(n)), false, out);
    return Produced::kMore;
  }

  std::vector<std::string> argv_;
  TextDecoder decoder_;
  std::chrono::milliseconds timeLimit_;
  ChildProcess child_;
  Clock::time_point deadline_;
  std::string block_;
  std::size_t total_ = 0;
};

}  // namespace

std::unique_ptr<DocumentFilter> MakeHelperFilter(std::vector<std::string> argv,
                                                 const CodePage& codePage,
                                                 std::chrono::milliseconds timeLimit) {
  return std::make_unique<HelperFilter>(std::move(argv), codePage, timeLimit);
}

}  // namespace vexa::intake
