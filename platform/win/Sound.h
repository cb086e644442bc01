// Sounds: the tone of Beep and the short sound of MessageBeep, played as the
// desktop's bell, and WAV files played by the system's sound player; for tests a
// recorder that keeps what was asked instead of playing it.
#pragma once

#include <string>
#include <vector>

#include "platform/win/WinTypes.h"

namespace win {

// Sounds the bell for a tone of `frequency` Hz and waits `durationMs`, as the tone
// would last. Callable from any thread.
BOOL Beep(DWORD frequency, DWORD durationMs);

// PlaySoundA flags.
constexpr DWORD SND_SYNC = 0x00000000;
constexpr DWORD SND_ASYNC = 0x00000001;
constexpr DWORD SND_NODEFAULT = 0x00000002;
constexpr DWORD SND_NOSTOP = 0x00000010;
constexpr DWORD SND_NOWAIT = 0x00002000;
constexpr DWORD SND_FILENAME = 0x00020000;

// Plays the WAV file `name` (a Windows-form path, relative to the working folder)
// with the system's player (aplay, else paplay), detached from the program. One
// sound plays at a time: a new one stops the one playing, unless SND_NOSTOP or
// SND_NOWAIT is given, in which case the call plays nothing and fails while the
// other still plays. SND_ASYNC returns at once, else the call waits for the end.
// There is no default sound: a missing file, or no player, plays nothing and
// fails. A null name stops the sound playing. Callable from any thread.
BOOL PlaySoundA(LPCSTR name, HMODULE module, DWORD flags);
inline BOOL PlaySound(LPCSTR name, HMODULE module, DWORD flags)
{
    return PlaySoundA(name, module, flags);
}

// The short sound of a message box of `type` (an MB_ICON... value, or 0xFFFFFFFF
// for the plain beep): the desktop's bell, or the terminal's where the program
// has no GUI. Callable from any thread.
BOOL MessageBeep(UINT type);

struct RecordedBeep {
    DWORD frequency;
    DWORD durationMs;
};

struct RecordedPlaySound {
    std::string name; // GBK, as the caller gave it
    DWORD flags;
    bool found;       // the file exists, so it would have played
};

// Switches the recorder on (nothing is played or waited for; the record starts
// empty) or off.
void RecordSounds(bool on);
std::vector<RecordedBeep> RecordedBeeps();
std::vector<RecordedPlaySound> RecordedPlaySounds();
std::vector<UINT> RecordedMessageBeeps();

} // namespace win
