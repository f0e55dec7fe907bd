// The desktop services the search window uses: opening a document or a web address with
// the user's preferred application, and running the indexer while the window waits.
//
// An interface so that tests can put a recording fake in place of the desktop.
// DesktopShell is the real one (xdg-open through QDesktopServices, QProcess).
// Thread-safety: GUI thread only.
#pragma once

#include <string>

namespace vexa {

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens the file at `path` (absolute, UTF-8) with its default application. What the
  // desktop answers is ignored: no message is shown.
  virtual void OpenDocument(const std::string& path) = 0;
  // Opens a web address in the default browser; the answer is ignored.
  virtual void OpenAddress(const std::string& address) = 0;
  // Starts the program at `path` with no arguments and waits, without a time limit, for
  // it to end. Its output goes to this process's own output. Returns false when it could
  // not be started.
  virtual bool RunAndWait(const std::string& path) = 0;
};

class DesktopShell : public Shell {
 public:
  void OpenDocument(const std::string& path) override;
  void OpenAddress(const std::string& address) override;
  bool RunAndWait(const std::string& path) override;
};

}  // namespace vexa
