// Sounds: the tone of Beep, played as the desktop's bell; for tests a recorder
// that keeps what was asked instead of playing it.
#pragma once

#include <vector>

#include "platform/win/WinTypes.h"

namespace win {

// Sounds the bell for a tone of `frequency` Hz and waits `durationMs`, as the tone
// would last. Callable from any thread.
BOOL Beep(DWORD frequency, DWORD durationMs);

struct RecordedBeep {
    DWORD frequency;
    DWORD durationMs;
};

// Switches the recorder on (nothing is played or waited for; the record starts
// empty) or off.
void RecordSounds(bool on);
std::vector<RecordedBeep> RecordedBeeps();

} // namespace win
