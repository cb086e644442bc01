#include "platform/appframe/Unzip.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/win/Path.h"

namespace win {
namespace {

// A statement is a few pages of text; anything near this is no statement but an
// archive built to fill the disk.
constexpr int64_t kMaxUnpackedBytes = 64 * 1024 * 1024;

bool WriteAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Copies every regular file of the archive at `archivePath` to `fd`; false on any
// read error, on an archive without files or past the size bound.
bool Unpack(const std::string &archivePath, int fd)
{
    struct archive *a = archive_read_new();
    // Statements are zip archives, recognised by content whatever their name.
    // They are read through their central directory, so that one cut short after
    // a whole member cannot pass for a complete one with fewer files.
    archive_read_support_format_zip_seekable(a);
    bool ok = archive_read_open_filename(a, archivePath.c_str(), 16384) == ARCHIVE_OK;
    int files = 0;
    int64_t total = 0;
    while (ok) {
        struct archive_entry *entry = nullptr;
        int r = archive_read_next_header(a, &entry);
        if (r == ARCHIVE_EOF)
            break;
        if (r != ARCHIVE_OK) {
            ok = false;
            break;
        }
        if (archive_entry_filetype(entry) != AE_IFREG)
            continue;
        ++files;
        char buffer[16384];
        for (;;) {
            la_ssize_t n = archive_read_data(a, buffer, sizeof buffer);
            if (n == 0)
                break;
            total += n;
            if (n < 0 || total > kMaxUnpackedBytes || !WriteAll(fd, buffer, static_cast<size_t>(n))) {
                ok = false;
                break;
            }
        }
    }
    archive_read_free(a);
    return ok && files > 0;
}

} // namespace

CUnzip::CUnzip(const char *archive)
{
    if (archive && std::strlen(archive) < sizeof archive_) {
        std::strcpy(archive_, archive);
        valid_ = TRUE;
    }
}

BOOL CMamaZip::SwapSize(const char *textPath)
{
    if (!textPath)
        return FALSE;
    std::string target = MapPath(textPath);
    if (target.empty())
        return FALSE;
    auto removeTarget = [&target] {
        if (::unlink(target.c_str()) == 0)
            NotePathRemoved(target);
    };
    std::string archive = valid_ ? MapPath(archive_) : std::string();
    struct stat st;
    if (archive.empty() || ::stat(archive.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        removeTarget();
        return FALSE;
    }

    std::string temp = target + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        removeTarget();
        return FALSE;
    }
    // The statement is the customer's own business: the file stays readable by
    // the user alone, as mkstemp made it.
    bool ok = Unpack(archive, fd);
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temp.c_str(), target.c_str()) == 0) {
        NotePathCreated(target);
        return TRUE;
    }
    ::unlink(temp.c_str());
    removeTarget();
    return FALSE;
}

} // namespace win
