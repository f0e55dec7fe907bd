// A fresh index in a temporary home for each test, with helpers that print table rows
// as compact strings.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "config/folders.h"
#include "index/tindex.h"
#include "support/temp_home.h"

namespace vexa::test {

class IndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitPathsAt(home_.Path().string());
    index_.FileName = (home_ / "index.db").string();
    index_.Open(false);
  }

  // All rows of a query: fields joined by "|", rows by ";", NULL as "~".
  std::string Rows(const std::string& sql) {
    SqlTable table = index_.Database().Query(sql);
    std::string out;
    for (; !table.Eof(); table.Next()) {
      if (!out.empty()) out += ';';
      for (int c = 0; c < table.ColumnCount(); ++c) {
        if (c > 0) out += '|';
        out += table.IsNull(c) ? "~" : table.Text(c);
      }
    }
    return out;
  }

  TempHome home_;
  TIndex index_;
};

}  // namespace vexa::test
