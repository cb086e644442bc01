// The chat program's entry: the application object runs it, and goes before
// the program's static objects do.
#include "chatdesk/main/ChatApp.h"

int main(int argc, char **argv)
{
    CChatApp theApp;
    return win::AfxWinMain(argc, argv);
}
