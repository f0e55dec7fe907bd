// WindowedIndexer: the indexer's start-up when a display is available.
//
// Created before the folders are set up, so that start-up problems reach the user in a
// message box (the StartupReporter of config/folders.h). Run then creates the windows
// of the mode and runs the message loop: with "-run" only the run window, the main
// window, which works through the command line's profiles as soon as the loop is idle
// (in the notification area with "-unv") and ends the program when it closes; otherwise
// the profile manager, the main window, with the profile editor and the run window
// created hidden. Without a display the program keeps to the console (indexer/main.cpp).
//
// Thread-safety: the main thread only; one object per process.
#pragma once

#include <memory>
#include <string>

class QApplication;

namespace vexa {

struct CommandLineOptions;

class WindowedIndexer {
 public:
  // `argc` and `argv` must outlive the object (QApplication keeps them).
  WindowedIndexer(int& argc, char** argv);
  ~WindowedIndexer();
  WindowedIndexer(const WindowedIndexer&) = delete;
  WindowedIndexer& operator=(const WindowedIndexer&) = delete;

  // Shows an error that ends the program (a failed start-up) in a message box.
  void ShowFatal(const std::string& message);

  // Runs the program in the mode of `options` until its main window closes. Returns the
  // exit status: with "-run" 0 when every profile completed and its log was written, 1
  // otherwise; 0 in the interactive mode.
  int Run(CommandLineOptions& options);

 private:
  std::unique_ptr<QApplication> app_;
};

}  // namespace vexa
