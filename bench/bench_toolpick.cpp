// The settings tool's start beside an empty Qt window's: each run is a fresh
// process (this program started again with --child) that shows the window and,
// once it is painted and its event loop idle, reports its resident memory and
// ends. The start time is from starting the process to that first idle moment. The two
// kinds alternate, on an installation made by the installation maker, and the
// medians of several runs are compared (targets: memory at most 1.3x, start at
// most 1.6x the empty window's).
// bench-deps: toolpick_form Qt6::Widgets
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include <benchmark/benchmark.h>

#include "bench/ChildStart.h"
#include "bench/MakerInstallation.h"
#include "platform/forms/TApplication.h"
#include "toolpick/SetTool.h"

namespace {

// The settings form's client size, which the empty window takes too.
constexpr int kWidth = 500;
constexpr int kHeight = 465;
constexpr int kRuns = 9;

int RunChild(const std::string &kind, int fd, const std::string &bin, int argc, char **argv)
{
    if (kind == "empty")
        return childstart::RunEmptyWindow(fd, kWidth, kHeight, argc, argv);
    // As the tool's own start does, from the installation's bin/.
    if (chdir(bin.c_str()) != 0)
        return 3;
    win::TApplication app(argc, argv);
    app.Initialize();
    app.CreateForm(SetTool);
    childstart::ReportWhenSettled(fd);
    return app.Run();
}

// The tool's program folder in an installation made once, or empty.
std::string Installation()
{
    static const std::string root = MakerInstallation("bench_toolpick_install");
    return root.empty() ? root : root + "/bin";
}

void BM_ToolpickStartVsEmptyWindow(benchmark::State &state)
{
    std::string bin = Installation();
    if (bin.empty()) {
        state.SkipWithError("the installation maker failed");
        return;
    }
    std::vector<childstart::Sample> tool, empty;
    for (auto _ : state) {
        if (!childstart::AlternateStarts("toolpick", bin, kRuns, tool, empty)) {
            state.SkipWithError("a child failed");
            return;
        }
        state.SetIterationTime(childstart::MedianMs(tool) / 1000);
    }
    double tms = childstart::MedianMs(tool), ems = childstart::MedianMs(empty);
    double tmb = childstart::MedianMegabytes(tool), emb = childstart::MedianMegabytes(empty);
    state.counters["toolpick_ms"] = tms;
    state.counters["empty_ms"] = ems;
    state.counters["start_ratio"] = ems > 0 ? tms / ems : 0;
    state.counters["toolpick_MB"] = tmb;
    state.counters["empty_MB"] = emb;
    state.counters["rss_ratio"] = emb > 0 ? tmb / emb : 0;
}
BENCHMARK(BM_ToolpickStartVsEmptyWindow)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) { return childstart::Main(argc, argv, RunChild); }
