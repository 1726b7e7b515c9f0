// Cost of turning values into cell text and back with the default formats: the grid formats
// every visible cell on each paint and parses every edited cell.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ombrel/Common.h"

namespace {

using namespace Ombrel::Common;

std::vector<double> SampleDoubles()
{
    std::vector<double> values;
    double value = 0.125;
    for (int i = 0; i < 256; ++i)
    {
        values.push_back(i % 2 ? value : -value);
        value = value * 1.37 + 0.0917;
        if (value > 1e12)
            value = 0.3;
    }
    return values;
}

void BM_DoubleFormatThenParse(benchmark::State& state)
{
    const CFormat& format = *CFormat::GetDefaultFormat(vtDouble);
    const std::vector<double> values = SampleDoubles();
    std::size_t next = 0;
    for (auto _ : state)
    {
        const std::string text = format.FormatStl(values[next]);
        double parsed = 0;
        format.ParseStl(text, parsed);
        benchmark::DoNotOptimize(parsed);
        next = (next + 1) % values.size();
    }
}
BENCHMARK(BM_DoubleFormatThenParse);

void BM_DoubleFormat(benchmark::State& state)
{
    const CFormat& format = *CFormat::GetDefaultFormat(vtDouble);
    const std::vector<double> values = SampleDoubles();
    std::size_t next = 0;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(format.FormatStl(values[next]));
        next = (next + 1) % values.size();
    }
}
BENCHMARK(BM_DoubleFormat);

void BM_LongFormatThenParse(benchmark::State& state)
{
    const CFormat& format = *CFormat::GetDefaultFormat(vtLong);
    std::int32_t value = -123456789;
    for (auto _ : state)
    {
        const std::string text = format.FormatStl(value);
        std::int32_t parsed = 0;
        format.ParseStl(text, parsed);
        benchmark::DoNotOptimize(parsed);
        value += 7919;
    }
}
BENCHMARK(BM_LongFormatThenParse);

void BM_TaggedValueFormat(benchmark::State& state)
{
    const CFormat& format = *CFormat::GetDefaultFormat(vtDouble);
    const CValue value(1234567.891);
    for (auto _ : state)
        benchmark::DoNotOptimize(format.FormatStl(value));
}
BENCHMARK(BM_TaggedValueFormat);

} // namespace

BENCHMARK_MAIN();
