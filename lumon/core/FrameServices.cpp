#include "lumon/core/FrameServices.h"

TFrameServices *MFrame = nullptr;
