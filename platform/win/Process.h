// Starting other programs: CreateProcessA (the command line reaches the child
// whole, through its GetCommandLineA), ShellExecuteA and WinExec with the Windows
// result codes, documents and web links through xdg-open; and a recorder back end
// that tests switch on to see the launches instead of running them.
#pragma once

#include <string>
#include <vector>

#include "platform/win/Handle.h"
#include "platform/win/WinTypes.h"

namespace win {


struct STARTUPINFOA {
    DWORD cb;
    LPSTR lpReserved;
    LPSTR lpDesktop;
    LPSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    LPBYTE lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
};
using LPSTARTUPINFOA = STARTUPINFOA *;

struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION *;

constexpr DWORD ERROR_DIRECTORY = 267;

// Starts a program: `applicationName`, or without it the first word of the
// command line. Programs are found without regard to letter case, also without
// a trailing ".exe" (so "chatdesk.dll" or "consign.exe" name the installed
// files); a name without a folder is looked for in the working folder, the
// program's own folder and the PATH. The child's GetCommandLineA returns
// `commandLine` exactly (the application name when there is none); it starts in
// `currentDirectory` (or ours) with our environment. hProcess and hThread are
// two handles to the child, which WaitForSingleObject waits for. FALSE with
// ERROR_FILE_NOT_FOUND / ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED for a file that
// cannot run, ERROR_DIRECTORY for a missing working folder.
BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                    LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                    LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                    LPPROCESS_INFORMATION processInformation);

// The program CreateProcessA starts for this application name, found the same
// way (without regard to letter case, a trailing ".exe" may be absent, a name
// without a folder in the working folder and then the program's own folder):
// its native path, or empty when there is no such file that may run.
std::string FindProgramFile(LPCSTR applicationName);

// STILL_ACTIVE (259) while the process runs, then its exit code (128 + the signal
// for one killed by a signal).
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);

// This program's whole command line: as the starting program gave it to
// CreateProcessA, else the program's words joined, quoted where they hold blanks.
LPSTR GetCommandLineA();
DWORD GetCurrentProcessId();

// ShellExecuteA results of 32 and below are failures.
constexpr UINT SE_ERR_FNF = 2;
constexpr UINT SE_ERR_PNF = 3;
constexpr UINT SE_ERR_ACCESSDENIED = 5;
constexpr UINT SE_ERR_OOM = 8;
constexpr UINT SE_ERR_NOASSOC = 31;

// "open" (or none) of a program starts it with `parameters` in `directory`; a
// document, folder or web address ("http://", "https://", "www.", "mailto:") is
// handed to xdg-open ("explore" likewise). Above 32 on success; SE_ERR_FNF or
// SE_ERR_PNF for a missing file, SE_ERR_ACCESSDENIED for a program file that may
// not run, SE_ERR_NOASSOC when no opener exists or for other verbs.
HINSTANCE ShellExecuteA(HWND hwnd, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                        INT showCmd);

// Runs a command line (program and arguments, Windows quoting). Above 31 on
// success; else ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND or ERROR_ACCESS_DENIED
// (as the result).
UINT WinExec(LPCSTR commandLine, UINT showCmd);

// A launch as the recorder keeps it.
struct RecordedLaunch {
    std::string call;                // "CreateProcessA", "ShellExecuteA", "WinExec"
    std::string program;             // the native path run (xdg-open for documents)
    std::vector<std::string> args;   // its arguments after the program
    std::string commandLine;         // what the child's GetCommandLineA returns
    std::string folder;              // native working folder, empty: ours
};

// Switches the recorder on or off; the record starts empty. While it is on,
// launches are resolved and kept but nothing runs: the calls give the results of
// a successful start (CreateProcessA with a zeroed PROCESS_INFORMATION).
void RecordLaunches(bool on);
std::vector<RecordedLaunch> RecordedLaunches();

} // namespace win
