// A stand-in for the chat client, installed as chatdesk.dll by the frame tests:
// writes its whole command line to chatpeer.out in its working folder (through
// a temporary name, so that the file appears complete) and ends.
#include <signal.h>
#include <sys/prctl.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/win/Process.h"

int main()
{
    // A peer never outlives the test that started it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    {
        std::ofstream out("chatpeer.tmp", std::ios::binary);
        out << win::GetCommandLineA();
    }
    return std::rename("chatpeer.tmp", "chatpeer.out") == 0 ? 0 : 1;
}
