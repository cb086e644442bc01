// The order client's entry: works from its own folder (its settings file, log
// and statements are found relative to it), declares its version and runs the
// application object, which ends before the program's static objects do.
#include "consign/main/CConsignApp.h"
#include "platform/win/File.h"

using namespace win;

int main(int argc, char **argv)
{
    WorkFromProgramFolder();
    RegisterConsignVersion();
    CConsignApp app;
    return AfxWinMain(argc, argv);
}
