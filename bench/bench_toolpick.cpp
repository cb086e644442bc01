// The settings tool's start beside an empty Qt window's: each run is a fresh
// process (this program started again with --child) that shows the window and,
// once it is painted and its event loop idle, reports its resident memory and
// ends. The start time is from starting the process to that first idle moment. The two
// kinds alternate, on an installation made by the installation maker, and the
// medians of several runs are compared (targets: memory at most 1.3x, start at
// most 1.6x the empty window's).
// bench-deps: toolpick_form Qt6::Widgets
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "platform/forms/TApplication.h"
#include "toolpick/SetTool.h"

extern char **environ;

namespace {

// The settings form's client size, which the empty window takes too.
constexpr int kWidth = 500;
constexpr int kHeight = 465;
constexpr int kRuns = 9;

long ResidentKilobytes()
{
    FILE *f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "VmRSS:", 6) == 0)
            kb = std::atol(line + 6);
    std::fclose(f);
    return kb;
}

// Sees the first paint of a top-level window.
class PaintWatch : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (e->type() == QEvent::Paint && watched->isWidgetType() && static_cast<QWidget *>(watched)->isWindow())
            painted = true;
        return false;
    }
};

// The start is over when the event loop first waits after the window was
// painted (all posted work and due timers are done by then). The memory is read
// 300 ms later, when lazily made caches and the first timer rounds are in too.
// The process writes to `fd` its resident memory and how long ago (in
// microseconds) its start ended, and ends.
constexpr int kSettleMs = 300;

void ReportWhenSettled(int fd)
{
    using Clock = std::chrono::steady_clock;
    static PaintWatch watch;
    static Clock::time_point started;
    static QTimer settle;
    qApp->installEventFilter(&watch);
    settle.setSingleShot(true);
    QObject::connect(&settle, &QTimer::timeout, [fd] {
        long rss = ResidentKilobytes();
        auto age = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started);
        std::string text = std::to_string(rss) + " " + std::to_string(age.count()) + "\n";
        if (write(fd, text.data(), text.size()) < 0)
            _exit(2);
        _exit(0);
    });
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, [] {
        if (!watch.painted || settle.isActive())
            return;
        started = Clock::now();
        settle.start(kSettleMs);
    });
}

int RunChild(const std::string &kind, int fd, const std::string &bin, int argc, char **argv)
{
    if (kind == "empty") {
        QApplication app(argc, argv);
        QWidget window;
        window.resize(kWidth, kHeight);
        window.show();
        ReportWhenSettled(fd);
        return app.exec();
    }
    // As the tool's own start does, from the installation's bin/.
    if (chdir(bin.c_str()) != 0)
        return 3;
    win::TApplication app(argc, argv);
    app.Initialize();
    app.CreateForm(SetTool);
    ReportWhenSettled(fd);
    return app.Run();
}

struct Sample {
    double ms = 0;
    long kb = 0;
};

// Starts one child of `kind` and waits for its report.
bool StartOnce(const std::string &kind, const std::string &bin, Sample &out)
{
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    std::string self = std::filesystem::read_symlink("/proc/self/exe");
    std::string fd = std::to_string(fds[1]);
    const char *args[] = {self.c_str(), "--child", kind.c_str(), fd.c_str(), bin.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int rc = posix_spawn(&pid, self.c_str(), &actions, nullptr, const_cast<char **>(args), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        return false;
    }
    char buffer[64] = {};
    ssize_t n = read(fds[0], buffer, sizeof buffer - 1);
    auto end = std::chrono::steady_clock::now();
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (n <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    long kb = 0;
    long long ageUs = 0;
    if (std::sscanf(buffer, "%ld %lld", &kb, &ageUs) != 2)
        return false;
    out.ms = std::chrono::duration<double, std::milli>(end - start).count() - double(ageUs) / 1000;
    out.kb = kb;
    return true;
}

template <typename T>
T Median(std::vector<T> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// An installation for the tool, made once in the temporary folder.
std::string Installation()
{
    static const std::string bin = [] {
        const char *tmp = std::getenv("TMPDIR");
        std::filesystem::path root = std::filesystem::path(tmp ? tmp : "/tmp") / "bench_toolpick_install";
        std::filesystem::remove_all(root);
        std::string command = "/usr/bin/python3 '" LUMO_SOURCE_DIR "/tools/mkinstall.py' '" + root.string() +
                              "' >/dev/null";
        if (std::system(command.c_str()) != 0)
            return std::string();
        return (root / "bin").string();
    }();
    return bin;
}

void BM_ToolpickStartVsEmptyWindow(benchmark::State &state)
{
    std::string bin = Installation();
    if (bin.empty()) {
        state.SkipWithError("the installation maker failed");
        return;
    }
    std::vector<double> toolMs, emptyMs;
    std::vector<long> toolKb, emptyKb;
    for (auto _ : state) {
        // One start of each first, so that both find their files in the page cache.
        Sample s;
        if (!StartOnce("toolpick", bin, s) || !StartOnce("empty", bin, s)) {
            state.SkipWithError("a child failed");
            return;
        }
        for (int i = 0; i < kRuns; ++i) {
            Sample tool, empty;
            if (!StartOnce("toolpick", bin, tool) || !StartOnce("empty", bin, empty)) {
                state.SkipWithError("a child failed");
                return;
            }
            toolMs.push_back(tool.ms);
            toolKb.push_back(tool.kb);
            emptyMs.push_back(empty.ms);
            emptyKb.push_back(empty.kb);
        }
        state.SetIterationTime(Median(toolMs) / 1000);
    }
    double tms = Median(toolMs), ems = Median(emptyMs);
    double tkb = double(Median(toolKb)), ekb = double(Median(emptyKb));
    state.counters["toolpick_ms"] = tms;
    state.counters["empty_ms"] = ems;
    state.counters["start_ratio"] = ems > 0 ? tms / ems : 0;
    state.counters["toolpick_MB"] = tkb / 1024;
    state.counters["empty_MB"] = ekb / 1024;
    state.counters["rss_ratio"] = ekb > 0 ? tkb / ekb : 0;
}
BENCHMARK(BM_ToolpickStartVsEmptyWindow)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 5 && std::strcmp(argv[1], "--child") == 0) {
        int childArgc = 1;
        return RunChild(argv[2], std::atoi(argv[3]), argv[4], childArgc, argv);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
