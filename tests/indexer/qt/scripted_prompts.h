// ScriptedPrompts: answers the windows' questions from a script and records every text
// they show, so window tests run without anybody clicking.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <deque>
#include <string>
#include <vector>

#include "indexer/qt/prompts.h"

namespace vexa::test {

class ScriptedPrompts : public Prompts {
 public:
  // Every question, message and error shown, in order, with a prefix telling its kind
  // ("? ", "i ", "! ").
  std::vector<std::string> shown;
  // Answers to the next questions; a question with no answer left fails the test.
  std::deque<bool> answers;
  // What the folder and index file choosers return, and what the latter was offered.
  QString folder;
  QString indexFile;
  QString offeredIndexFile;

  bool Confirm(QWidget*, const QString& text) override {
    shown.push_back("? " + text.toStdString());
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected question: " << text.toStdString();
      return false;
    }
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void Inform(QWidget*, const QString& text) override { shown.push_back("i " + text.toStdString()); }
  void Error(QWidget*, const QString& text) override { shown.push_back("! " + text.toStdString()); }
  QString ChooseFolder(QWidget*) override { return folder; }
  QString ChooseIndexFile(QWidget*, const QString& proposed) override {
    offeredIndexFile = proposed;
    return indexFile;
  }
};

}  // namespace vexa::test
