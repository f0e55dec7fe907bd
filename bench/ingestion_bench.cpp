// AddDocument throughput: 10 KB English-like documents added to a new index inside one
// transaction, in documents per second.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bench/english_text.h"
#include "config/folders.h"
#include "index/tindex.h"

namespace {

// A temporary home for the configuration and the index, removed at the end.
class ScratchHome {
 public:
  ScratchHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vexa-bench-XXXXXX").string();
    root_ = mkdtemp(pattern.data());
    setenv("HOME", root_.c_str(), 1);
    setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
    vexa::InitPathsAt(root_.string());
  }
  ~ScratchHome() { std::filesystem::remove_all(root_); }
  std::filesystem::path Path(const char* name) const { return root_ / name; }

 private:
  std::filesystem::path root_;
};

void BM_AddDocument(benchmark::State& state) {
  ScratchHome home;
  vexa::bench::EnglishText generator;
  std::vector<std::string> texts;
  for (int k = 0; k < 64; ++k) texts.push_back(generator.Make(10 * 1024));

  vexa::TIndex index;
  index.FileName = home.Path("index.db").string();
  index.Open(true);
  index.Database().Begin();
  int n = 0;
  for (auto _ : state) {
    // A first word of its own keeps every text distinct (no duplicates).
    const std::string text = "doc" + std::to_string(n) + " " + texts[n % texts.size()];
    index.AddDocument("/bench/docs/file" + std::to_string(n) + ".txt", 10240, text, 45000.5);
    ++n;
  }
  index.Database().Commit();
  state.SetItemsProcessed(n);
  state.counters["docs_per_s"] = benchmark::Counter(n, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AddDocument)->Iterations(5000)->Unit(benchmark::kMillisecond);

}  // namespace
