// Engine throughput on two samples of 1, 10 and 100 MB (million characters, about the size of the
// same text as a UTF-8 file), realistic HTML and escape-dense HTML, beside the memory-speed limit:
// a copy of a buffer of the result's size into freshly allocated memory. A summary of the ratios
// follows the table.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "bench/sample_text.h"
#include "engine/modCheck.h"
#include "engine/modConvert.h"
#include "engine/modReverse.h"
#include "engine/modVariant.h"

namespace {

const std::u16string kHead = u"out.println(\"";
const std::u16string kTail = u"\");";
constexpr std::int16_t kHStart = 4;
constexpr std::int16_t kTStart = 60;

enum class Kind { kRealistic, kDense };

const std::u16string& Sample(Kind kind, std::int64_t mb) {
    static std::map<std::pair<Kind, std::int64_t>, std::u16string> texts;
    auto [it, added] = texts.try_emplace({kind, mb});
    if (added) {
        const auto units = static_cast<std::size_t>(mb) * 1000000;
        it->second = kind == Kind::kDense ? kalvex_bench::MakeDenseSampleText(units)
                                          : kalvex_bench::MakeSampleText(units);
    }
    return it->second;
}

std::u16string Convert(const std::u16string& text, bool aligned) {
    return aligned ? modConvert::ConvertLinesAligned(modConvert::kEscapeBackslash, text, kHead,
                                                     kTail, kHStart, kTStart)
                   : modConvert::ConvertLines(modConvert::kEscapeBackslash, text, kHead, kTail);
}

template <typename F>
double Seconds(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Bytes are UTF-16 bytes of input, chars/s characters of input a second.
void CountInput(benchmark::State& state, const std::u16string& text) {
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(2 * text.size()));
    state.counters["chars/s"] = benchmark::Counter(static_cast<double>(text.size()),
                                                   benchmark::Counter::kIsIterationInvariantRate);
}

// Each iteration converts the text and copies a buffer of the result's size into new memory,
// in turns and in alternating order: the speed of fresh memory here depends on what was freed
// just before, so conversion and copy must meet the same conditions to be compared. The row's
// time is the conversion's; vs_copy is copy time / conversion time, 1 when the conversion runs
// as fast as memory allows.
void ConvertText(benchmark::State& state, Kind kind, bool aligned) {
    const std::u16string& text = Sample(kind, state.range(0));
    const std::u16string source(Convert(text, aligned).size(), u'x');
    double convertSeconds = 0;
    double copySeconds = 0;
    bool copyFirst = true;
    for (auto _ : state) {
        const auto convert = [&] {
            const std::u16string result = Convert(text, aligned);
            benchmark::DoNotOptimize(result.data());
        };
        const auto copy = [&] {
            const std::u16string fresh(source);
            benchmark::DoNotOptimize(fresh.data());
        };
        double c = 0;
        if (copyFirst) copySeconds += Seconds(copy);
        convertSeconds += c = Seconds(convert);
        if (!copyFirst) copySeconds += Seconds(copy);
        copyFirst = !copyFirst;
        state.SetIterationTime(c);
    }
    CountInput(state, text);
    const double resultBytes = 2.0 * static_cast<double>(source.size());
    state.counters["result_MB"] = resultBytes / 1e6;
    state.counters["copy_MB/s"] =
        resultBytes * static_cast<double>(state.iterations()) / copySeconds / 1e6;
    state.counters["vs_copy"] = copySeconds / convertSeconds;
}

void BM_ConvertLines(benchmark::State& state, Kind kind) { ConvertText(state, kind, false); }
void BM_ConvertLinesAligned(benchmark::State& state, Kind kind) { ConvertText(state, kind, true); }

// The engine alone, writing into memory it has written before, as the streaming driver does.
void ConvertReused(benchmark::State& state, Kind kind, bool aligned) {
    const std::u16string& text = Sample(kind, state.range(0));
    const auto convert = [&](std::u16string& out) {
        out.clear();
        modConvert::AppendConverted(out, modConvert::kEscapeBackslash, text, kHead, kTail,
                                    aligned ? kHStart : 0, aligned ? kTStart : 0);
    };
    std::u16string result;
    convert(result);
    for (auto _ : state) {
        convert(result);
        benchmark::DoNotOptimize(result.data());
    }
    CountInput(state, text);
}

void BM_ConvertLinesReused(benchmark::State& state, Kind kind) {
    ConvertReused(state, kind, false);
}
void BM_ConvertLinesAlignedReused(benchmark::State& state, Kind kind) {
    ConvertReused(state, kind, true);
}

// The check before converting reads the text once and writes a report of at most 1,001 lines:
// it should take about what ConvertLines takes on the same text.
void BM_CheckReport(benchmark::State& state, Kind kind) {
    const std::u16string& text = Sample(kind, state.range(0));
    for (auto _ : state) {
        const std::u16string report = modConvert::CheckReport(modConvert::kEscapeBackslash, text,
                                                              kHead, kTail, kHStart, kTStart);
        benchmark::DoNotOptimize(report.data());
    }
    CountInput(state, text);
}

// 逆変換 of what 編集 wrote for the sample with kHead and kTail (converted once, outside the
// timing), read with the given fields into fresh memory as the product does.
void ReverseConverted(benchmark::State& state, Kind kind, std::u16string_view head,
                      std::u16string_view tail) {
    const std::u16string& text = Sample(kind, state.range(0));
    const std::u16string converted = Convert(text, false);
    for (auto _ : state) {
        const modConvert::Reversed back =
            modConvert::ReverseLines(modConvert::kEscapeBackslash, converted, head, tail, 0, 0);
        benchmark::DoNotOptimize(back.text.data());
    }
    CountInput(state, converted);
}

// With the same head and tail typed.
void BM_ReverseLines(benchmark::State& state, Kind kind) {
    ReverseConverted(state, kind, kHead, kTail);
}

// With both fields empty: every line read as a statement on its own.
void BM_ReverseStatements(benchmark::State& state, Kind kind) {
    ReverseConverted(state, kind, u"", u"");
}

// With only the tail typed: the whole text read once more for what most statements build.
void BM_ReverseTailOnly(benchmark::State& state, Kind kind) {
    ReverseConverted(state, kind, u"", kTail);
}

// The join item on a page without a %>, where every <%= found would have searched back through
// the whole text.
void BM_JoinItem(benchmark::State& state, Kind kind) {
    const std::u16string& text = Sample(kind, state.range(0));
    for (auto _ : state) {
        const std::u16string joined =
            modConvert::ConvertVariant(modConvert::Variant::Joins, modConvert::kEscapeBackslash,
                                       text, kHead, kTail, kHStart, kTStart);
        benchmark::DoNotOptimize(joined.data());
    }
    CountInput(state, text);
}

// Fresh memory makes single runs vary by several percent: the summary takes the median of five.
void Sizes(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
    b->Arg(1)->Arg(10)->Arg(100);
}

BENCHMARK_CAPTURE(BM_ConvertLines, realistic, Kind::kRealistic)->Apply(Sizes)->UseManualTime();
BENCHMARK_CAPTURE(BM_ConvertLinesAligned, realistic, Kind::kRealistic)
    ->Apply(Sizes)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_ConvertLines, dense, Kind::kDense)->Apply(Sizes)->UseManualTime();
BENCHMARK_CAPTURE(BM_ConvertLinesAligned, dense, Kind::kDense)->Apply(Sizes)->UseManualTime();
BENCHMARK_CAPTURE(BM_ConvertLinesReused, realistic, Kind::kRealistic)->Apply(Sizes)->UseRealTime();
BENCHMARK_CAPTURE(BM_ConvertLinesReused, dense, Kind::kDense)->Apply(Sizes)->UseRealTime();
BENCHMARK_CAPTURE(BM_ConvertLinesAlignedReused, realistic, Kind::kRealistic)
    ->Apply(Sizes)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_ConvertLinesAlignedReused, dense, Kind::kDense)->Apply(Sizes)->UseRealTime();
BENCHMARK_CAPTURE(BM_CheckReport, realistic, Kind::kRealistic)->Apply(Sizes)->UseRealTime();
BENCHMARK_CAPTURE(BM_CheckReport, dense, Kind::kDense)->Apply(Sizes)->UseRealTime();
BENCHMARK_CAPTURE(BM_ReverseLines, realistic, Kind::kRealistic)->Apply(Sizes)->UseRealTime();
BENCHMARK_CAPTURE(BM_ReverseLines, dense, Kind::kDense)->Apply(Sizes)->UseRealTime();
BENCHMARK_CAPTURE(BM_ReverseStatements, realistic, Kind::kRealistic)->Apply(Sizes)->UseRealTime();
BENCHMARK_CAPTURE(BM_ReverseStatements, dense, Kind::kDense)->Apply(Sizes)->UseRealTime();
BENCHMARK_CAPTURE(BM_ReverseTailOnly, realistic, Kind::kRealistic)->Apply(Sizes)->UseRealTime();
BENCHMARK_CAPTURE(BM_ReverseTailOnly, dense, Kind::kDense)->Apply(Sizes)->UseRealTime();
BENCHMARK_CAPTURE(BM_JoinItem, realistic, Kind::kRealistic)->Apply(Sizes)->UseRealTime();
BENCHMARK_CAPTURE(BM_JoinItem, dense, Kind::kDense)->Apply(Sizes)->UseRealTime();

// The console table, then the figures the goals are stated in, from the median of the
// repetitions.
class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
            Figures& f = figures_[run.run_name.function_name + "/" + run.run_name.args];
            f.seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
            if (const auto c = run.counters.find("vs_copy"); c != run.counters.end()) {
                f.vsCopy = c->second.value;
            }
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf(
            "\nSpeed against the fresh-memory copy of the result's size "
            "(copy time / conversion time):\n");
        for (const std::string sample : {"realistic", "dense"}) {
            for (const std::string mb : {"1", "10", "100"}) {
                std::printf("  %-9s %3s MB  ConvertLines %s   ConvertLinesAligned %s\n",
                            sample.c_str(), mb.c_str(),
                            Show(Get("BM_ConvertLines", sample, mb).vsCopy).c_str(),
                            Show(Get("BM_ConvertLinesAligned", sample, mb).vsCopy).c_str());
            }
        }
        for (const std::string name :
             {"CheckReport", "ReverseLines", "ReverseStatements", "ReverseTailOnly", "JoinItem"}) {
            std::printf("Time of %s / time of ConvertLines:\n", name.c_str());
            for (const std::string sample : {"realistic", "dense"}) {
                for (const std::string mb : {"1", "10", "100"}) {
                    const double convert = Get("BM_ConvertLines", sample, mb).seconds;
                    const double other = Get("BM_" + name, sample, mb).seconds;
                    std::printf("  %-9s %3s MB  %s\n", sample.c_str(), mb.c_str(),
                                Show(convert > 0 ? other / convert : 0).c_str());
                }
            }
        }
        std::printf("Time of 100 MB / time of 10 MB:\n");
        for (const std::string sample : {"realistic", "dense"}) {
            for (const std::string name : {"BM_ConvertLines", "BM_ConvertLinesAligned"}) {
                const double small = Get(name, sample, "10").seconds;
                const double large = Get(name, sample, "100").seconds;
                std::printf("  %-9s %-24s %s\n", sample.c_str(), name.c_str(),
                            Show(small > 0 ? large / small : 0).c_str());
            }
        }
    }

  private:
    struct Figures {
        double seconds = 0;
        double vsCopy = 0;
    };
    std::map<std::string, Figures> figures_;  // by benchmark and size; 0 where it did not run

    Figures& Get(const std::string& name, const std::string& sample, const std::string& mb) {
        return figures_[name + "/" + sample + "/" + mb];
    }

    static std::string Show(double value) {
        char text[16] = "  -  ";
        if (value > 0) std::snprintf(text, sizeof text, "%5.2f", value);
        return text;
    }
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
