// The RefPack decoder on the kinds of resources the benchmark download folder holds: hack
// procedures (most of what the scan decompresses) and content bodies. Throughput is counted
// in bytes of output.

#include "BenchGame.h"
#include "package/Decompress.h"
#include "support/RefPackEncoder.h"

#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Corpus {
    std::vector<std::string> Stored;
    std::size_t OutputBytes = 0;
};

// Resources made as the generator makes them, compressed, about `bytes` of output in all.
Corpus MakeCorpus(bool behaviour, std::size_t bytes)
{
    Corpus corpus;
    bench::Random random(behaviour ? 41 : 43);
    while (corpus.OutputBytes < bytes) {
        const std::string raw = behaviour ? bench::gfstrBehaviourData(random, "Sub - Check Motive " + std::to_string(corpus.Stored.size()))
                                          : bench::gfstrContentData(random, random.LogBetween(2000, 200000));
        corpus.Stored.push_back(gfstrRefPackCompress(raw));
        if (Decompress(corpus.Stored.back()) != raw)
            throw std::logic_error("the corpus does not decompress to what was compressed");
        corpus.OutputBytes += raw.size();
    }
    return corpus;
}

void Run(benchmark::State& state, const Corpus& corpus)
{
    for (auto _ : state) {
        for (const std::string& stored : corpus.Stored) {
            std::string out = Decompress(stored);
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * corpus.OutputBytes));
    state.counters["resources"] = static_cast<double>(corpus.Stored.size());
}

void BM_DecompressBehaviour(benchmark::State& state)
{
    static const Corpus corpus = MakeCorpus(true, 8 << 20);
    Run(state, corpus);
}
BENCHMARK(BM_DecompressBehaviour)->Unit(benchmark::kMillisecond);

void BM_DecompressContent(benchmark::State& state)
{
    static const Corpus corpus = MakeCorpus(false, 16 << 20);
    Run(state, corpus);
}
BENCHMARK(BM_DecompressContent)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
