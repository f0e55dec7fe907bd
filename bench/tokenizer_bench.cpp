// TokList throughput: Cut + Finish over English-like documents, in MB/s of input text.
#include <benchmark/benchmark.h>

#include "bench/english_text.h"
#include "config/codepage.h"
#include "intake/tokenizer.h"

namespace {

void BM_TokListCutFinish(benchmark::State& state) {
  vexa::bench::EnglishText generator;
  std::vector<std::string> documents;
  for (int k = 0; k < 16; ++k) documents.push_back(generator.Make(state.range(0)));
  const vexa::CodePage& codepage = vexa::CodePage::Get(1252);
  std::size_t bytes = 0;
  std::size_t next = 0;
  for (auto _ : state) {
    const std::string& text = documents[next++ % documents.size()];
    vexa::TokList list(codepage);
    list.Cut(text);
    list.Finish();
    benchmark::DoNotOptimize(list.WordCount());
    bytes += text.size();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
// 10 KB and 100 KB documents (100 KB is close to the 20000-token limit).
BENCHMARK(BM_TokListCutFinish)->Arg(10 * 1024)->Arg(100 * 1024);

}  // namespace
