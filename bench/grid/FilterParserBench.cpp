// 100,000 filter-row texts of every form read into filter expressions, against splitting
// the same texts on blanks, measured in the same run.
#include <string>
#include <string_view>
#include <vector>

#include <benchmark/benchmark.h>

#include "TimeRatioReporter.h"
#include "controls/grid/DbUtilsEx.h"
#include "platform/rtl/SysUtils.h"

namespace {

using namespace grid;

constexpr int kTexts = 100'000;

struct TFilterText {
    std::string text;
    TSTOperandKindEx kind;
};

std::vector<TFilterText> MakeTexts()
{
    std::vector<TFilterText> texts;
    texts.reserve(kTexts);
    for (int i = 0; texts.size() < kTexts; ++i) {
        const std::string a = std::to_string(i % 1000), b = std::to_string(i % 977 + 1000);
        const std::string w = "name" + std::to_string(i % 100);
        const TFilterText forms[] = {
            {a, okNumberEx},
            {"> " + a + " AND < " + b, okNumberEx},
            {"In (" + a + ", " + b + ", 7)", okNumberEx},
            {">= " + a + ".25", okNumberEx},
            {"<= " + a + " OR >= " + b, okNumberEx},
            {"!In (" + a + "," + b + ")", okNumberEx},
            {"= Null", okNumberEx},
            {"!= Null", okNumberEx},
            {w, okTextEx},
            {"~ " + w, okTextEx},
            {"!~ " + w, okTextEx},
            {w + ",green", okTextEx},
            {"In ('" + w + "', 'New York')", okTextEx},
            {"= 'New York' OR = " + w, okTextEx},
        };
        for (const TFilterText& form : forms)
            if (texts.size() < kTexts) texts.push_back(form);
    }
    return texts;
}

const std::vector<TFilterText>& Texts()
{
    static const std::vector<TFilterText> texts = MakeTexts();
    return texts;
}

std::vector<std::string> SplitOnBlanks(std::string_view text)
{
    std::vector<std::string> words;
    std::size_t i = 0;
    while (true) {
        while (i < text.size() && text[i] == ' ') ++i;
        if (i == text.size()) break;
        const std::size_t end = std::min(text.find(' ', i), text.size());
        words.emplace_back(text.substr(i, end - i));
        i = end;
    }
    return words;
}

void BM_SplitOnBlanks(benchmark::State& state)
{
    const auto& texts = Texts();
    for (auto _ : state) {
        for (const TFilterText& t : texts) {
            auto words = SplitOnBlanks(t.text);
            benchmark::DoNotOptimize(words.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * kTexts);
}
BENCHMARK(BM_SplitOnBlanks)->Unit(benchmark::kMillisecond);

void BM_ParseFilterExpression(benchmark::State& state)
{
    const auto& texts = Texts();
    rtl::TScopedFormatSettings settings('.', ',');
    TSTFilterExpressionEx e;
    for (auto _ : state) {
        for (const TFilterText& t : texts) {
            e.OperandKind = t.kind;
            ParseFilterExpression(t.text, e);
            benchmark::DoNotOptimize(&e);
        }
    }
    state.SetItemsProcessed(state.iterations() * kTexts);
}
BENCHMARK(BM_ParseFilterExpression)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    TTimeRatioReporter reporter("BM_ParseFilterExpression", "BM_SplitOnBlanks",
                                "parse / split time (target at most 5)");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
