#pragma once

// main() of a benchmark program that needs the application object (windows, fonts, the
// clipboard): the benchmarks run inside InitInstance on the offscreen platform, then the
// application ends.

#include <benchmark/benchmark.h>

#include "ombrel/platform/WinApp.h"

#include <cstdlib>

namespace Ombrel::Bench {

class CBenchApplication : public CWinApp
{
public:
    bool InitInstance() override
    {
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        return false;
    }
    int ExitInstance() override { return 0; }
};

inline int RunBenchmarksInApplication(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    CBenchApplication app;
    return app.Main(argc, argv);
}

} // namespace Ombrel::Bench
