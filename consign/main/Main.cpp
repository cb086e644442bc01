// The order client's entry: works from its own folder (its settings file, log
// and statements are found relative to it), declares its version and runs the
// application object.
#include "consign/main/CConsignApp.h"
#include "platform/win/File.h"

using namespace win;

CConsignApp theApp;

int main(int argc, char **argv)
{
    WorkFromProgramFolder();
    RegisterConsignVersion();
    return AfxWinMain(argc, argv);
}
