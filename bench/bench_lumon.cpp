// The terminal's start and login. The start: each run is a fresh process (this
// program started again with --child) that starts lumon's frame from the bin/
// folder of a large installation, browsing offline, or an empty Qt window of the
// same size; once the window is painted and its event loop idle it reports its
// resident memory and ends. The start time is from starting the process to that
// first idle moment; the medians of several alternating runs are compared
// (targets: at most 3 times the empty window's time, at most 150 MB). The login:
// from "联      机" to the markets' 2727 that ends the login dialog, against the
// simulated data server on loopback.
// bench-deps: lumon_shell Qt6::Widgets
#define LUMO_REPO_SOURCE_DIR LUMO_SOURCE_DIR

#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include <benchmark/benchmark.h>

#include "bench/ChildStart.h"
#include "bench/MakerInstallation.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/LSocketPool.h"
#include "lumon/core/SysTimeTable.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/TRealDataClnt.h"
#include "lumon/core/UtilData.h"
#include "lumon/core/ui/TClientRight.h"
#include "lumon/formula/IndexDefs.h"
#include "lumon/shell/MFrame.h"
#include "platform/forms/TApplication.h"
#include "platform/win/File.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Process.h"
#include "platform/win/Profile.h"
#include "platform/win/Thread.h"
#include "tests/support/DataServerPeer.h"

using namespace win;

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kRuns = 7;

// The login dialog the frame has open, or null.
TClientRight *LoginDialog(TMFrame *frame)
{
    for (int i = 0; frame && i < frame->ComponentCount(); ++i)
        if (auto *d = dynamic_cast<TClientRight *>(frame->Components(i)))
            if (d->Modal())
                return d;
    return nullptr;
}

int RunChild(const std::string &kind, int fd, const std::string &bin, int argc, char **argv)
{
    if (kind == "empty")
        return childstart::RunEmptyWindow(fd, kWidth, kHeight, argc, argv);
    // As lumon's own start does, from the installation's bin/; the offline
    // warning is answered by the box recorder, the chat client is not started.
    if (chdir(bin.c_str()) != 0)
        return 3;
    UtilDataStaticInit();
    TApplication app(argc, argv);
    RecordMessageBoxes(true);
    RecordLaunches(true);
    app.Initialize();
    TMFrame *frame = nullptr;
    QTimer offline;
    QObject::connect(&offline, &QTimer::timeout, [&offline] {
        if (TClientRight *dialog = LoginDialog(MainFrame())) {
            offline.stop();
            dialog->Button3->Click();
        }
    });
    offline.start(0);
    app.CreateForm(frame);
    if (!frame || frame->StartAborted)
        return 4;
    childstart::ReportWhenSettled(fd);
    return app.Run();
}

// The large installation, made once; its root, or empty.
std::string Installation()
{
    static const std::string root = MakerInstallation("bench_lumon_install", "--large");
    return root;
}

void BM_LumonOfflineStartVsEmptyWindow(benchmark::State &state)
{
    std::string root = Installation();
    if (root.empty()) {
        state.SkipWithError("the installation maker failed");
        return;
    }
    std::string bin = root + "/bin";
    std::vector<childstart::Sample> lumon, empty;
    for (auto _ : state) {
        if (!childstart::AlternateStarts("lumon", bin, kRuns, lumon, empty)) {
            state.SkipWithError("a child failed");
            return;
        }
        state.SetIterationTime(childstart::MedianMs(lumon) / 1000);
    }
    double lms = childstart::MedianMs(lumon), ems = childstart::MedianMs(empty);
    state.counters["lumon_ms"] = lms;
    state.counters["empty_ms"] = ems;
    state.counters["start_ratio"] = ems > 0 ? lms / ems : 0;
    state.counters["lumon_MB"] = childstart::MedianMegabytes(lumon);
    state.counters["empty_MB"] = childstart::MedianMegabytes(empty);
}
BENCHMARK(BM_LumonOfflineStartVsEmptyWindow)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// One login through the dialog with the frame's own connect and login-thread
// steps, from the click to the dialog's end; the clients, the market data and
// the thread are taken down after each, outside the time.
void BM_LumonLoginToMarketsLoaded(benchmark::State &state)
{
    std::string root = Installation();
    if (root.empty()) {
        state.SkipWithError("the installation maker failed");
        return;
    }
    peer::DataServer server;
    if (!server.Start(root, {})) {
        state.SkipWithError("the data server did not start");
        return;
    }
    if (!win::SetCurrentDirectoryA((root + "/bin").c_str())) {
        state.SkipWithError("no bin folder");
        return;
    }
    std::string port = std::to_string(server.data), realtime = std::to_string(server.realtime);
    WritePrivateProfileStringA("Server", "Port", port.c_str(), ".\\server.ini");
    WritePrivateProfileStringA("Server", "R_Port", realtime.c_str(), ".\\server.ini");
    WritePrivateProfileStringA("Server", "NoJH", "1", ".\\server.ini");
    static int argc = 1;
    static char name[] = "bench_lumon";
    static char *argv[] = {name, nullptr};
    UtilDataStaticInit();
    static auto *app = new TApplication(argc, argv);
    RecordMessageBoxes(true);
    TMFrame frame(app);
    frame.Util = new TUtilData(1);
    LoadIndexDefinitions("Guest");
    frame.SocketPool = new LSocketPool();
    for (auto _ : state) {
        auto *dialog = new TClientRight(&frame, 0);
        dialog->AfterConstruction();
        std::chrono::steady_clock::time_point start;
        QTimer::singleShot(0, [&] {
            dialog->Edit1->Text = "demo";
            dialog->Edit2->Text = "demo";
            start = std::chrono::steady_clock::now();
            dialog->Button1->Click();
        });
        frame.LoginOpen = 1;
        int result = dialog->ShowModal();
        auto end = std::chrono::steady_clock::now();
        frame.LoginOpen = 0;
        HANDLE thread = dialog->LoginThread;
        delete dialog;
        if (thread) {
            MSG msg;
            while (WaitForSingleObject(thread, 10) == WAIT_TIMEOUT)
                PeekMessageA(&msg, 0, 0, 0, PM_NOREMOVE);
            CloseHandle(thread);
        }
        delete RequestClient;
        RequestClient = nullptr;
        delete RealTimeClient;
        RealTimeClient = nullptr;
        delete frame.DataStore;
        frame.DataStore = nullptr;
        if (result != 1) {
            state.SkipWithError("the login failed");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}
BENCHMARK(BM_LumonLoginToMarketsLoaded)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char **argv) { return childstart::Main(argc, argv, RunChild); }
