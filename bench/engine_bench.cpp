// Engine throughput on realistic text of 1, 10 and 100 MB (million characters, about the size of
// the same text as a UTF-8 file), beside the memory-speed limit: a copy of a buffer of the
// result's size into freshly allocated memory. A summary of the ratios follows the table.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "modConvert.h"
#include "sample_text.h"

namespace {

const std::u16string kHead = u"out.println(\"";
const std::u16string kTail = u"\");";
constexpr std::int16_t kHStart = 4;
constexpr std::int16_t kTStart = 60;

const std::u16string& Sample(std::int64_t mb) {
    static std::map<std::int64_t, std::u16string> texts;
    auto [it, added] = texts.try_emplace(mb);
    if (added) it->second = kalvex_bench::MakeSampleText(static_cast<std::size_t>(mb) * 1000000);
    return it->second;
}

std::u16string Convert(const std::u16string& text, bool aligned) {
    return aligned ? modConvert::ConvertLinesAligned(modConvert::kEscapeBackslash, text, kHead,
                                                     kTail, kHStart, kTStart)
                   : modConvert::ConvertLines(modConvert::kEscapeBackslash, text, kHead, kTail);
}

// Throughput is counted in input for every row, the copies included, so that rows of one size
// compare directly: bytes are UTF-16 bytes read, chars/s the characters of text per second.
void Count(benchmark::State& state, const std::u16string& text, std::size_t resultUnits) {
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(2 * text.size()));
    state.counters["chars/s"] = benchmark::Counter(static_cast<double>(text.size()),
                                                   benchmark::Counter::kIsIterationInvariantRate);
    state.counters["result_MB"] = static_cast<double>(2 * resultUnits) / 1e6;
}

void ConvertText(benchmark::State& state, bool aligned) {
    const std::u16string& text = Sample(state.range(0));
    std::size_t units = 0;
    for (auto _ : state) {
        const std::u16string result = Convert(text, aligned);
        benchmark::DoNotOptimize(result.data());
        units = result.size();
    }
    Count(state, text, units);
}

void BM_ConvertLines(benchmark::State& state) { ConvertText(state, false); }
void BM_ConvertLinesAligned(benchmark::State& state) { ConvertText(state, true); }

// range(1): 0 for the size of ConvertLines' result, 1 for ConvertLinesAligned's.
void BM_FreshCopy(benchmark::State& state) {
    const std::u16string& text = Sample(state.range(0));
    const std::u16string source(Convert(text, state.range(1) != 0).size(), u'x');
    for (auto _ : state) {
        const std::u16string copy(source);
        benchmark::DoNotOptimize(copy.data());
    }
    Count(state, text, source.size());
}

// The engine alone, writing into memory it has written before, as the streaming driver does.
void BM_ConvertLinesReused(benchmark::State& state) {
    const std::u16string& text = Sample(state.range(0));
    std::u16string result;
    modConvert::AppendConverted(result, modConvert::kEscapeBackslash, text, kHead, kTail);
    for (auto _ : state) {
        result.clear();
        modConvert::AppendConverted(result, modConvert::kEscapeBackslash, text, kHead, kTail);
        benchmark::DoNotOptimize(result.data());
    }
    Count(state, text, result.size());
}

// Fresh memory makes single runs vary by several percent: the summary takes the median of five.
void Sizes(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
}

BENCHMARK(BM_ConvertLines)->Apply(Sizes)->Arg(1)->Arg(10)->Arg(100);
BENCHMARK(BM_FreshCopy)->Apply(Sizes)->Args({1, 0})->Args({10, 0})->Args({100, 0});
BENCHMARK(BM_ConvertLinesAligned)->Apply(Sizes)->Arg(1)->Arg(10)->Arg(100);
BENCHMARK(BM_FreshCopy)->Apply(Sizes)->Args({1, 1})->Args({10, 1})->Args({100, 1});
BENCHMARK(BM_ConvertLinesReused)->Apply(Sizes)->Arg(1)->Arg(10)->Arg(100);

// The console table, then the ratios the goals are stated in, from the median of the
// repetitions; in brackets the same from CPU time, which a busy machine disturbs less.
class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const std::string key = run.run_name.function_name + "/" + run.run_name.args;
            if (run.error_occurred) continue;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
            const auto n = static_cast<double>(run.iterations);  // an aggregate's too
            times_[key] = {run.real_accumulated_time / n, run.cpu_accumulated_time / n};
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf(
            "\nSpeed against the fresh-memory copy of the result's size, copy time / "
            "conversion time (by CPU time):\n");
        for (const std::string mb : {"1", "10", "100"}) {
            std::printf("  %3s MB  ConvertLines %s   ConvertLinesAligned %s\n", mb.c_str(),
                        Ratio("BM_FreshCopy/" + mb + "/0", "BM_ConvertLines/" + mb).c_str(),
                        Ratio("BM_FreshCopy/" + mb + "/1", "BM_ConvertLinesAligned/" + mb).c_str());
        }
        std::printf("Time of 100 MB / time of 10 MB:\n");
        for (const std::string name : {"BM_ConvertLines", "BM_ConvertLinesAligned"}) {
            std::printf("  %-24s %s\n", name.c_str(), Ratio(name + "/100", name + "/10").c_str());
        }
        std::printf("  %-24s %s\n", "BM_FreshCopy",
                    Ratio("BM_FreshCopy/100/0", "BM_FreshCopy/10/0").c_str());
    }

  private:
    struct Times {
        double real = 0;
        double cpu = 0;
    };

    std::string Ratio(const std::string& numerator, const std::string& denominator) const {
        const auto a = times_.find(numerator);
        const auto b = times_.find(denominator);
        if (a == times_.end() || b == times_.end()) return "  -          ";
        char text[40];
        std::snprintf(text, sizeof text, "%5.2f (%5.2f)", a->second.real / b->second.real,
                      a->second.cpu / b->second.cpu);
        return text;
    }

    // One entry per benchmark and size: the median when there are repetitions, else the run.
    std::map<std::string, Times> times_;
};

}  // namespace

int main(int argc, char** argv) {
#if defined(M_MMAP_THRESHOLD)
    // glibc's default threshold rises after the first large free, so that later blocks of 1 or
    // 10 MB come back from the heap already written: the copies would then measure a warm memcpy
    // that the product, which converts once into new memory, never gets. A fixed threshold keeps
    // every large block fresh, for the conversions and the copies alike.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
