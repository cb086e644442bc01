#include "lumon/core/FrameServices.h"

#include "platform/win/ExclusiveFile.h"

TFrameServices *MFrame = nullptr;

std::string AnswerFileFolder()
{
    const char *dir = MFrame ? MFrame->GetTempDirectory() : "";
    if (dir && *dir)
        return dir;
    return win::PrivateTempFolder();
}
