// Start benchmarks of a program against an empty Qt window: each run is a fresh
// process (the benchmark program started again with --child KIND FD BIN) that
// shows its window and, once the window is painted and the event loop idle,
// reports its resident memory and ends. The start time is from starting the
// process to that first idle moment; the memory is read kSettleMs later, when
// lazily made caches and the first timer rounds are in too.
#pragma once

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

extern char **environ;

namespace childstart {

constexpr int kSettleMs = 300;

inline long ResidentKilobytes()
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

// In the child: the start is over when the event loop first waits after a
// window was painted. Writes to `fd` the resident memory and how long ago (in
// microseconds) the start ended, and ends the process.
inline void ReportWhenSettled(int fd)
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

// In the child: the empty window of the given client size.
inline int RunEmptyWindow(int fd, int width, int height, int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(width, height);
    window.show();
    ReportWhenSettled(fd);
    return app.exec();
}

struct Sample {
    double ms = 0;
    long kb = 0;
};

// Starts one child of `kind` with the program folder `bin` and waits for its report.
inline bool StartOnce(const std::string &kind, const std::string &bin, Sample &out)
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

// Runs `runs` alternating pairs of starts of `kind` and the empty window (after
// one of each, so that both find their files in the page cache); false when a
// child failed.
inline bool AlternateStarts(const std::string &kind, const std::string &bin, int runs, std::vector<Sample> &program,
                            std::vector<Sample> &empty)
{
    Sample s;
    if (!StartOnce(kind, bin, s) || !StartOnce("empty", bin, s))
        return false;
    for (int i = 0; i < runs; ++i) {
        Sample p, e;
        if (!StartOnce(kind, bin, p) || !StartOnce("empty", bin, e))
            return false;
        program.push_back(p);
        empty.push_back(e);
    }
    return true;
}

inline double MedianMs(const std::vector<Sample> &v)
{
    std::vector<double> ms;
    for (const Sample &s : v)
        ms.push_back(s.ms);
    return ms.empty() ? 0 : Median(ms);
}

inline double MedianMegabytes(const std::vector<Sample> &v)
{
    std::vector<long> kb;
    for (const Sample &s : v)
        kb.push_back(s.kb);
    return kb.empty() ? 0 : double(Median(kb)) / 1024;
}

// The benchmark program's main: started with --child KIND FD BIN it is a child
// and runs `runChild(kind, fd, bin, argc, argv)`; otherwise it runs the benchmarks.
template <typename RunChild>
int Main(int argc, char **argv, RunChild runChild)
{
    if (argc >= 5 && std::strcmp(argv[1], "--child") == 0) {
        int childArgc = 1;
        return runChild(std::string(argv[2]), std::atoi(argv[3]), std::string(argv[4]), childArgc, argv);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace childstart
