#include "platform/win/Module.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <string>

#include "platform/win/File.h"
#include "platform/win/Handle.h"
#include "platform/win/Path.h"

namespace win {

namespace {

class ModuleObject : public KernelObject {
public:
    explicit ModuleObject(void *library) : library_(library) {}
    ~ModuleObject() override { dlclose(library_); }
    void *Library() const { return library_; }

private:
    void *library_;
};

bool IsRegularFile(const std::string &native)
{
    struct stat st;
    return !native.empty() && stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The native path of the library file, or empty when there is none.
std::string FindLibrary(const std::string &name)
{
    if (name.find_first_of("\\/") != std::string::npos) {
        const std::string native = MapPath(name);
        return IsRegularFile(native) ? native : std::string();
    }
    char program[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(0, program, sizeof program);
    if (length > 0 && length < sizeof program) {
        std::string folder(program, length);
        const size_t slash = folder.find_last_of('/');
        if (slash != std::string::npos) {
            const std::string native = MapPath(folder.substr(0, slash + 1) + name);
            if (IsRegularFile(native))
                return native;
        }
    }
    const std::string native = MapPath(".\\" + name);
    return IsRegularFile(native) ? native : std::string();
}

} // namespace

HMODULE LoadLibraryA(LPCSTR fileName)
{
    if (!fileName || !*fileName) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    const std::string native = FindLibrary(fileName);
    // dlopen takes a path with a slash as a file and never searches the
    // system's library folders for it.
    void *library = native.empty() ? nullptr : dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    return AddKernelObject(std::make_shared<ModuleObject>(library));
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName)
{
    const auto object = FindKernelObjectAs<ModuleObject>(module);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    void *symbol = procName ? dlsym(object->Library(), procName) : nullptr;
    if (!symbol) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

BOOL FreeLibrary(HMODULE module)
{
    if (!FindKernelObjectAs<ModuleObject>(module)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return CloseHandle(module);
}

} // namespace win
