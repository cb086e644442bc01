// The chat program's entry: the application object runs it.
#include "chatdesk/main/ChatApp.h"

namespace {

CChatApp theApp;

} // namespace

int main(int argc, char **argv)
{
    return win::AfxWinMain(argc, argv);
}
