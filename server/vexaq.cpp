// vexaq: search an index from a terminal, through the same automation object as
// libvexasrv.so.
//
//   vexaq [-i INDEX] [-p PAGE] [--xml | --html [--url URL] [--isel N]] WORDS...
//   vexaq --indexes [TAG]
//
// Exit status: 0 on success, 1 on an error (message on stderr), 2 on bad usage.
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "config/folders.h"
#include "config/profiles.h"
#include "index/search_text.h"
#include "server/srx.h"

namespace vexa {
namespace {

constexpr char kUsage[] =
    "usage: vexaq [-i INDEX] [-p PAGE] [--xml | --html [--url URL] [--isel N]] WORDS...\n"
    "       vexaq --indexes [TAG]\n"
    "Searches an index (by default the first existing one of the configuration's list)\n"
    "and prints a listing of the page, or the XML document (--xml) or HTML fragment\n"
    "(--html) of the automation library. --indexes lists the known indexes whose tag\n"
    "contains TAG: path, title, \"-\" when the file is missing, tag (tab-separated).\n";

struct UsageError {
  std::string message;
};

enum class Output { kListing, kXml, kHtml, kIndexes };

struct Options {
  Output output = Output::kListing;
  std::string index;
  int page = 1;
  std::string url;
  int isel = 0;
  std::vector<std::string> words;  // the query words, or the tag for --indexes
};

int Integer(const std::string& text, const char* option) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size())
    throw UsageError{std::string(option) + " needs a number, not \"" + text + "\""};
  return value;
}

Options Parse(int argc, char** argv) {
  Options o;
  bool html_only = false;
  bool words_only = false;  // after "--" every argument is a word
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw UsageError{arg + " needs a value"};
      return argv[++i];
    };
    const auto output = [&](Output kind) {
      if (o.output != Output::kListing) throw UsageError{"choose one of --xml, --html and --indexes"};
      o.output = kind;
    };
    if (words_only || arg.empty() || arg[0] != '-') o.words.push_back(arg);
    else if (arg == "--") words_only = true;
    else if (arg == "-i") o.index = value();
    else if (arg == "-p") o.page = Integer(value(), "-p");
    else if (arg == "--xml") output(Output::kXml);
    else if (arg == "--html") output(Output::kHtml);
    else if (arg == "--indexes") output(Output::kIndexes);
    else if (arg == "--url") o.url = value(), html_only = true;
    else if (arg == "--isel") o.isel = Integer(value(), "--isel"), html_only = true;
    else throw UsageError{"unknown option " + arg};
  }
  if (html_only && o.output != Output::kHtml) throw UsageError{"--url and --isel go with --html"};
  if (o.output == Output::kIndexes) {
    if (o.words.size() > 1) throw UsageError{"--indexes takes at most one tag"};
    if (!o.index.empty()) throw UsageError{"-i does not go with --indexes"};
  } else if (o.words.empty()) {
    throw UsageError{"no words to search for"};
  }
  return o;
}

std::string Joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& w : words) text += (text.empty() ? "" : " ") + w;
  return text;
}

// The first index of the configuration's list whose file exists.
std::string DefaultIndex() {
  TindexList list(Config());
  list.LoadIndexList();
  if (list.ExistingCount() == 0)
    throw std::runtime_error("no index has been created yet; run the indexer or name one with -i");
  return list.ExistingItem(0).ifile;
}

void PrintListing(Tsrx& srx, const Options& o) {
  const std::int64_t elapsed = srx.RunSearch(Joined(o.words), o.page);
  TIndex& index = srx.Index();
  const bool terminal = isatty(STDOUT_FILENO) != 0;
  if (index.RecordCount == 0) {
    std::printf("No documents matching your query were found%s\n",
                index.IsEmpty() ? " because the index is empty" : "");
    return;
  }
  const PagerRange range = PagerPages(index.RecordCount, index.PageLen, o.page);
  std::printf("%d documents found (%.2f sec.), page %d of %d\n", index.RecordCount,
              elapsed / 1000.0, std::max(o.page, 1), range.pages);
  for (const Tsrc& result : index.Results) {
    std::printf("%3d. [%d]", result.No, result.Score);
    for (std::size_t j = 0; j < result.Files.size(); ++j) {
      std::printf("%s%s\n", j == 0 ? " " : "               ", result.Files[j].FName.c_str());
    }
    if (result.Files.empty()) std::printf("\n");
    const std::string excerpt =
        terminal ? index.MarkWords(result.Excerpt, "\033[1m", "\033[0m") : " " + result.Excerpt;
    std::printf("    %s\n", excerpt.c_str());
  }
}

int Run(const Options& o) {
  InitServer();
  Tsrx srx;
  if (o.output == Output::kIndexes) {
    const auto rows = srx.indexes(o.words.empty() ? "" : o.words[0]);
    for (const auto& row : rows.value_or(std::vector<Tsrx::IndexRow>{})) {
      std::printf("%s\t%s\t%s\t%s\n", row[0].c_str(), row[1].c_str(), row[2].c_str(), row[3].c_str());
    }
    return 0;
  }
  srx.set_index_file(o.index.empty() ? DefaultIndex() : o.index);
  const std::string query = Joined(o.words);
  if (o.output == Output::kXml) std::fputs(srx.search_x(query, o.page).c_str(), stdout);
  else if (o.output == Output::kHtml) std::fputs(srx.search(query, o.page, o.isel, o.url).c_str(), stdout);
  else PrintListing(srx, o);
  return 0;
}

}  // namespace
}  // namespace vexa

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  vexa::Options options;
  try {
    if (argc == 2 && (std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help")) {
      std::fputs(vexa::kUsage, stdout);
      return 0;
    }
    options = vexa::Parse(argc, argv);
  } catch (const vexa::UsageError& e) {
    std::fprintf(stderr, "vexaq: %s\n%s", e.message.c_str(), vexa::kUsage);
    return 2;
  }
  try {
    return vexa::Run(options);
  } catch (const std::exception& e) {
    std::string message = e.what();
    std::replace(message.begin(), message.end(), '\r', '\n');  // database errors use CR
    std::fprintf(stderr, "vexaq: %s\n", message.c_str());
    return 1;
  }
}
