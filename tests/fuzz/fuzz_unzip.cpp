// fuzz-deps: platform_appframe
// The unzip stand-in on arbitrary archive bytes under a ".rar" name: it unpacks or
// fails, and a failure leaves no text file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzFiles.h"
#include "platform/appframe/Unzip.h"
#include "platform/win/File.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzfiles::EnterScratchTree("fuzz_unzip", {"bin/settle"});
    fuzzfiles::WriteFile("settle/1.rar", data, size);
    win::CUnzip zip("./settle/1.rar");
    bool ok = zip.SwapSize("./settle/1.txt");
    bool textLeft = win::GetFileAttributesA("./settle/1.txt") != win::INVALID_FILE_ATTRIBUTES;
    if (ok != textLeft)
        std::abort();
    win::DeleteFileA("./settle/1.txt");
    return 0;
}
