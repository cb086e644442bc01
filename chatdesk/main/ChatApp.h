// The chat program: started by the terminal with the terminal's window on its
// command line, it works from its own folder, writes the notice sound when it is
// missing, makes the general conversation log and runs the main window until
// the terminal ends it.
#pragma once

#include "platform/appframe/CWinApp.h"

class CChatApp : public win::CWinApp {
public:
    CChatApp();
    win::BOOL InitInstance() override;
    int ExitInstance() override;
};
