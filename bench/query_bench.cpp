// Query latency of libvexasrv.so, in one process through its C API.
//
//   query_bench INDEX QUERIES.txt [REPS=10]
//
// QUERIES.txt: lines "CLASS<TAB>WORDS[<TAB>...]", "#" comments (the shared benchmark
// queries). Each query runs REPS times as vexasrv_srx_search (page 1, the HTML fragment
// with 20 results, excerpts and marked words) and REPS times as vexasrv_srx_search_x;
// every search reopens the index as the library always does. Prints per query the median
// and record count, then per class and call the median, 90th percentile and maximum in
// milliseconds over all runs pooled, as lines "table CALL CLASS N MEDIAN P90 MAX".
// The library runs with a private temporary HOME so no user configuration is touched.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "vexasrv.h"

namespace {

struct Query {
  std::string cls;
  std::string words;
};

std::vector<Query> ReadQueries(const char* path) {
  std::vector<Query> queries;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    const std::size_t end = line.find('\t', tab + 1);
    queries.push_back({line.substr(0, tab), line.substr(tab + 1, end == std::string::npos ? end : end - tab - 1)});
  }
  return queries;
}

// Linear interpolation between the closest ranks, as the peers' scripts compute it.
double Percentile(std::vector<double> xs, double p) {
  std::sort(xs.begin(), xs.end());
  const double k = (xs.size() - 1) * p / 100.0;
  const std::size_t lo = static_cast<std::size_t>(k);
  const std::size_t hi = std::min(lo + 1, xs.size() - 1);
  return xs[lo] + (xs[hi] - xs[lo]) * (k - lo);
}

using Call = uint32_t (*)(vexasrv_srx_t*, const char*, char**);

uint32_t Html(vexasrv_srx_t* srx, const char* q, char** res) {
  return vexasrv_srx_search(srx, q, 1, 0, "/search", res);
}
uint32_t Xml(vexasrv_srx_t* srx, const char* q, char** res) {
  return vexasrv_srx_search_x(srx, q, 1, res);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: query_bench INDEX QUERIES.txt [REPS=10]\n");
    return 2;
  }
  const int reps = argc > 3 ? std::atoi(argv[3]) : 10;
  char home[] = "/tmp/vexa-query-bench-XXXXXX";
  if (mkdtemp(home) == nullptr) return 1;
  setenv("HOME", home, 1);
  setenv("XDG_DATA_HOME", home, 1);

  vexasrv_srx_t* srx = vexasrv_srx_create();
  if (srx == nullptr || vexasrv_srx_set_index_file(srx, argv[1]) != VEXASRV_OK) {
    std::fprintf(stderr, "query_bench: %s\n", vexasrv_last_error());
    return 1;
  }
  const std::vector<Query> queries = ReadQueries(argv[2]);
  const std::pair<const char*, Call> calls[] = {{"search", Html}, {"search_x", Xml}};
  for (const auto& [name, call] : calls) {
    std::map<std::string, std::vector<double>> by_class;
    for (const Query& q : queries) {
      std::vector<double> times;
      std::string answer;
      for (int r = 0; r < reps; ++r) {
        char* res = nullptr;
        const auto start = std::chrono::steady_clock::now();
        const uint32_t rc = call(srx, q.words.c_str(), &res);
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        if (rc != VEXASRV_OK) {
          std::fprintf(stderr, "query_bench: %s\n", vexasrv_last_error());
          return 1;
        }
        answer = res;
        vexasrv_free(res);
      }
      if (answer.rfind("The file messages.xml", 0) == 0) {
        std::fprintf(stderr, "query_bench: %s (ship it beside the program)\n", answer.c_str());
        return 1;
      }
      by_class[q.cls].insert(by_class[q.cls].end(), times.begin(), times.end());
      // The record count: "<Count>n" in XML, "<b>n</b>" in HTML.
      std::size_t count_at = answer.find("<Count>");
      if (count_at == std::string::npos) count_at = answer.find("<b>");
      std::printf("%-8s %-10s %-32s median %8.2f ms  %s\n", name, q.cls.c_str(), q.words.c_str(),
                  Percentile(times, 50),
                  answer.substr(count_at == std::string::npos ? 0 : count_at, 20).c_str());
    }
    for (const auto& [cls, xs] : by_class) {
      std::printf("table %s %s %zu %.2f %.2f %.2f\n", name, cls.c_str(), xs.size(), Percentile(xs, 50),
                  Percentile(xs, 90), *std::max_element(xs.begin(), xs.end()));
    }
  }
  vexasrv_srx_destroy(srx);
  std::filesystem::remove_all(home);
  return 0;
}
