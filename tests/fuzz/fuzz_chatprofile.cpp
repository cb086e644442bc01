// Feeds bytes to the chat client's profile: as an enciphered profile file as it
// stands, and as the plain content of a well enciphered one, cut or not where the
// input says. Whatever is read is written back and reads back the same.
// fuzz-deps: chatdesk_core
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "chatdesk/DesCipher.h"
#include "chatdesk/EncryptedProfile.h"
#include "chatdesk/IniFile.h"

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

std::string ReadAll(const char *path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const char *path, const uint8_t *data, size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t mode = data[0];
    ++data;
    --size;
    const char kProfile[] = "fuzz_chatprofile.ini", kPlain[] = "fuzz_chatprofile.txt";
    if (mode & 1) {
        WriteAll(kProfile, data, size);
    } else {
        WriteAll(kPlain, data, size);
        Check(CDesCipher(CEncryptedProfile::kProgramKey).EncryptFile(kPlain, kProfile));
        if (mode & 2) {
            const std::string sealed = ReadAll(kProfile);
            const size_t cut = (size_t(mode) * 97) % (sealed.size() + 1);
            WriteAll(kProfile, reinterpret_cast<const uint8_t *>(sealed.data()), cut);
        }
    }

    int sections;
    std::string notify;
    {
        CEncryptedProfile profile(kProfile);
        sections = profile.GetSectionCount();
        notify = static_cast<const char *>(profile.GetString("General", "MsgNotify", "none"));
        profile.GetInt("General", "Version", 0);
        profile.SetInt("General", "Fuzz", mode, true);
        Check(profile.Save());
    }
    {
        CEncryptedProfile again(kProfile);
        Check(again.GetSectionCount() == sections + (again.FindSection("General") == sections ? 1 : 0));
        Check(std::string(static_cast<const char *>(again.GetString("General", "MsgNotify", "none"))) == notify);
        Check(again.GetInt("General", "Fuzz", -1) == mode);
    }

    // The document's own layout is stable: what it writes reads back into the
    // same text.
    WriteAll(kPlain, data, size);
    CIniFile first;
    first.LoadFromFile(kPlain);
    first.SetFileName(kPlain);
    Check(first.Save());
    const std::string once = ReadAll(kPlain);
    CIniFile second;
    second.LoadFromFile(kPlain);
    Check(second.Save());
    Check(ReadAll(kPlain) == once);

    std::remove(kProfile);
    std::remove(kPlain);
    return 0;
}
