// Paths written the Windows way (GBK bytes, '\' or '/' separators, relative to the
// working folder, any letter case) turned into the native UTF-8 paths the system
// calls take, with a cache of folder listings that keeps the case-insensitive
// lookup cheap.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win/WinTypes.h"

namespace win {

// The native path for a Windows-form path. Every component is matched from the
// root: the exact name when it exists, else an entry of the folder that differs
// only in ASCII letter case, else the given spelling (so a new file keeps the
// name it was given, inside the existing spelling of its folders). "." and ".."
// are resolved on the text, as Windows does. On failure the result is empty and
// the thread's last error says why: ERROR_PATH_NOT_FOUND for an empty path or a
// lost working folder, ERROR_INVALID_NAME for a NUL inside the path,
// ERROR_FILENAME_EXCED_RANGE for a component or a whole path too long.
// `absent` (when given) is set when a component is known not to exist: the
// cached listing of its folder, which is true as long as the folder keeps the
// modification time it had when read, holds no such name. Such a look-up costs
// a status call per folder and neither lists a folder nor opens the file; the
// layer's own creates and renames put the new name into the listing, and a
// change by another process moves the folder's time, which sends the next
// look-up back to the folder.
// `folderAbsent` (when given) says that the missing component is a folder of
// the path rather than its last name.
std::string MapPath(std::string_view winPath, bool *absent = nullptr, bool *folderAbsent = nullptr);

// What a copy of a file's contents is checked against: the same file (device
// and inode), size and modification time (nanoseconds). A copy read after the
// stamp was taken stays true while a fresh stamp compares equal, provided the
// first stamp was settled (its time lay clearly before the moment it was taken,
// so that any later change is bound to move it).
struct FileStamp {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t modified = 0;
    bool settled = false;
    bool folder = false;
    bool operator==(const FileStamp &o) const
    {
        return device == o.device && inode == o.inode && size == o.size && modified == o.modified &&
               folder == o.folder;
    }
};
// The stamp of the file at a Windows-form path, and its native path when asked;
// false (last error set) when it does not exist, without a look at the file when
// the mapping already knows it absent.
bool GetFileStamp(std::string_view winPath, FileStamp &stamp, std::string *native = nullptr);

// How many times the layer's file functions have listed a folder and opened a
// file since the process started (what a test checks to prove a cache works).
struct FileCallCounts {
    uint64_t listings;
    uint64_t opens;
};
FileCallCounts GetFileCallCounts();
// The layer's own file functions report each listing and each open here.
void CountFolderListing();
void CountFileOpen();

// The layer's own creates, renames and deletes report here so that the cached
// listings stay true without a fresh look at the folder.
void NotePathCreated(const std::string &native);
void NotePathRemoved(const std::string &native);

// A number that moves whenever the file system changes where this process can
// tell: the layer's own file functions report every create, write, truncation,
// copy, rename and removal (NoteFileChanged; the two calls above report too), and
// any process's change inside a watched folder (WatchFolderOf) moves it as soon
// as the system has queued the change, which it does before the changing call
// returns. What a caller learnt of a watched file (its contents, or that it does
// not exist) therefore still holds while the number stays where it was. The
// call costs one system call while folders are watched, none otherwise.
uint64_t FileChangeCount();
void NoteFileChanged();
// While one of these lives on a thread, FileChangeCount asks the system once
// (at its first call) and then gives the number as it stands, which the
// layer's own changes still move: a caller that looks at several watched files
// in one go (a compute reads its reference lines and weights) pays one system
// call for all of them. Another process's change during the batch is seen by
// the next batch.
class FileChangeBatch {
public:
    FileChangeBatch();
    ~FileChangeBatch();
    FileChangeBatch(const FileChangeBatch &) = delete;
    FileChangeBatch &operator=(const FileChangeBatch &) = delete;
};
// Watches the folder that holds the native path `native` (the nearest existing
// folder above it when that folder does not exist) for changes by anyone:
// entries made, removed, renamed, written or touched. False when the system
// refuses the watch (the caller must then look at the file each time). Watch
// first, then take the count, then look at the file: a change after the look
// is then bound to move the count.
bool WatchFolderOf(const std::string &native);
// The working folder's identity (device, inode): what an answer kept for a
// relative path is checked against. False when the working folder is gone.
// Taken from the system once per change of folder: the process's working folder
// is the folder itself (renaming or removing it does not change it), so only a
// change of folder through SetCurrentDirectoryA, which reports it, can change
// it. A program that calls chdir itself must call NoteWorkingFolderChanged.
bool GetWorkingFolderId(uint64_t &device, uint64_t &inode);
void NoteWorkingFolderChanged();

// A native path as the programs see it: GBK bytes, '/' separators.
std::string NativeToWinPath(std::string_view native);

// The Windows error code for a failed system call on `native`; a missing file
// inside a missing folder is ERROR_PATH_NOT_FOUND, as Windows reports it.
DWORD ErrorFromErrno(int err, const std::string &native);

} // namespace win
