// The terminal's entry: loads the saved time-zone table, works from its own
// folder (the settings and data are found relative to it), creates the main
// frame (which starts everything and logs in) and the About box, and runs until
// the frame closes or a quit is asked for.
#include <exception>

#include "lumon/core/SysTimeTable.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/NewsTypes.h"
#include "lumon/shell/NoticeForm.h"
#include "lumon/views/Dview.h"
#include "lumon/views/Rendform.h"
#include "lumon/views/F10form.h"
#include "lumon/views/IntegSort.h"
#include "lumon/views/Msgeform.h"
#include "lumon/views/Reptform.h"
#include "lumon/views/ZQNote.h"
#include "lumon/views/Techfm.h"
#include "platform/forms/TApplication.h"
#include "platform/win/File.h"

using namespace win;

int main(int argc, char **argv)
{
    WorkFromProgramFolder();
    UtilDataStaticInit();
    LoadNewsTypes();
    RegisterQuoteList();
    // The charts: each registers its view type; their shared hooks once.
    RegisterIntradayChart();
    InstallDrawViewHooks();
    RegisterIntegratedRanking();
    RegisterNewsView();
    RegisterCompanyText();
    RegisterNotesView();
    RegisterKLineChart();
    TApplication app(argc, argv);
    TMFrame *frame = nullptr;
    try {
        app.Initialize();
        app.CreateForm(frame);
        app.CreateForm(Right);
        app.Run();
    } catch (const std::exception &e) {
        app.ShowException(e.what());
    } catch (...) {
        app.ShowException("unknown error");
    }
    // A quit asked for elsewhere ends the loop without closing the frame: the
    // closing steps still run, so the alarm thread stops and the snapshots are
    // written.
    if (frame)
        frame->TearDown();
    return 0;
}
