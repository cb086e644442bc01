// The INI document and the enciphered profile: parsing rules, writing back, a
// profile that is missing, foreign, cut or read-only, rewrites that fail or race,
// and the plain text kept off the disk.
#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "chatdesk/DesCipher.h"
#include "chatdesk/EncryptedProfile.h"
#include "chatdesk/IniFile.h"

namespace {

using namespace std::string_literals;

std::string ReadAll(const char *path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const char *path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Temporary files of the profile ("Lms...") left in the temporary folder, or in
// the given one.
int LeftoverTempFiles(const char *folder = nullptr)
{
    const char *tmp = getenv("TMPDIR");
    DIR *dir = opendir(folder ? folder : tmp ? tmp : "/tmp");
    int count = 0;
    while (dirent *e = readdir(dir))
        count += std::string(e->d_name).rfind("Lms", 0) == 0;
    closedir(dir);
    return count;
}

TEST(IniFile, ParsesLinesByTheirFirstMark)
{
    WriteAll("doc.ini", ";top comment\r\n"s
                        "orphan=1\r\n"
                        "[General]\r\n"
                        "Version = 2\r\n"
                        "Path=C:\\a;b # c\r\n"
                        ";key=not a key\r\n"
                        "# hash comment\n"
                        "no mark at all\r\n"
                        "\r\n"
                        "[Odd]name]\r\n"
                        "[unclosed\r\n"
                        "Key=in odd\r\n"
                        "[general]\r\n"
                        "Path=second\r\n"
                        "nul=ab\0cd\r\n"
                        "bracket=[x]\r\n"s);
    CIniFile ini;
    ASSERT_TRUE(ini.LoadFromFile("doc.ini"));
    EXPECT_EQ(ini.FindSection(""), 0) << "a key before any section makes a nameless one";
    EXPECT_EQ(ini.GetInt("", "orphan", 0), 1);
    EXPECT_EQ(ini.GetInt("general", "Version ", 0), 2) << "spaces stay in the key and the value";
    EXPECT_EQ(ini.GetInt("GENERAL", "Version", 7), 7);
    EXPECT_EQ(std::string(ini.GetString("General", "path", "")), "second")
        << "a second section of the same name adds to the first";
    EXPECT_EQ(ini.FindSection("Odd]name"), 2) << "the last ] closes the name";
    EXPECT_EQ(std::string(ini.GetString("odd]NAME", "key", "")), "in odd");
    EXPECT_EQ(std::string(ini.GetString("general", "nul", "")), "ab") << "a line ends at a NUL";
    EXPECT_EQ(std::string(ini.GetString("general", "bracket", "")), "[x]") << "= before [ makes a key";
    EXPECT_EQ(ini.GetSectionCount(), 4);
    EXPECT_EQ(ini.GetInt("nothing", "here", -5), -5);

    WriteAll("empty.ini", "; only a comment\r\n");
    CIniFile empty;
    EXPECT_FALSE(empty.LoadFromFile("empty.ini")) << "no section";
    EXPECT_FALSE(empty.LoadFromFile("missing.ini"));
}

TEST(IniFile, SavesInItsOwnLayout)
{
    CIniFile ini;
    ini.SetFileName("out.ini");
    ini.AddHeaderComment("head");
    EXPECT_FALSE(ini.SetValue("General", "MsgNotify", "1", false));
    EXPECT_TRUE(ini.SetInt("General", "MsgNotify", 1, true));
    EXPECT_TRUE(ini.SetBool("General", "Flag", false, true));
    EXPECT_TRUE(ini.AddComment("general", "note"));
    EXPECT_FALSE(ini.AddComment("nosuch", "note"));
    EXPECT_FALSE(ini.AddSectionComment(5, "note"));
    EXPECT_EQ(ini.AddSection("General"), 1) << "appended even when the name exists";
    EXPECT_TRUE(ini.SetInt("general", "msgnotify", 0, false));
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(ReadAll("out.ini"), ";head\r\n\r\n[General]\r\n;note\r\nMsgNotify=0\r\nFlag=0\r\n\r\n[General]\r\n\r\n");
    EXPECT_EQ(ini.GetInt("General", "MsgNotify", 1), 0);
    EXPECT_FALSE(ini.GetBool("General", "Flag", true));
    EXPECT_TRUE(ini.GetBool("General", "Missing", true));
    ini.SetValue("General", "Huge", "99999999999999999999", true);
    EXPECT_EQ(ini.GetInt("General", "Huge", 0), 2147483647);
}

TEST(EncryptedProfile, KeepsItsSettingsEnciphered)
{
    {
        CEncryptedProfile profile("Keep.ini");
        EXPECT_EQ(profile.GetInt("General", "MsgNotify", 1), 1) << "a missing profile gives the defaults";
        EXPECT_EQ(profile.GetInt("General", "Version", 0), 0);
    }
    EXPECT_EQ(ReadAll("Keep.ini").size(), CDesCipher::kHeaderSize) << "written back on close, empty";

    {
        CEncryptedProfile profile("Keep.ini");
        profile.SetInt("General", "Version", 2, true);
        profile.SetInt("General", "MsgNotify", 0, true);
        ASSERT_TRUE(profile.Save());
    }
    EXPECT_EQ(ReadAll("Keep.ini").find("MsgNotify"), std::string::npos) << "nothing in plain text";
    {
        CEncryptedProfile profile("Keep.ini");
        EXPECT_EQ(profile.GetInt("General", "Version", 0), 2);
        EXPECT_EQ(profile.GetInt("general", "msgnotify", 1), 0);
        profile.SetInt("General", "MsgNotify", 1, true);
        // Not saved: the change is lost at the close.
    }
    {
        CEncryptedProfile profile("Keep.ini");
        EXPECT_EQ(profile.GetInt("General", "MsgNotify", 1), 0);
    }
    EXPECT_EQ(LeftoverTempFiles(), 0);
}

TEST(EncryptedProfile, UnreadableProfilesGiveDefaultsAndAreReplaced)
{
    // A valid profile to cut and to rekey.
    WriteAll("plain.ini", "[General]\r\nVersion=2\r\nMsgNotify=0\r\n" + std::string(20000, ';') + "\r\n");
    ASSERT_TRUE(CDesCipher(CEncryptedProfile::kProgramKey).EncryptFile("plain.ini", "valid.ini"));
    ASSERT_TRUE(CDesCipher("OTHERKEY12345678").EncryptFile("plain.ini", "foreign.ini"));
    const std::string valid = ReadAll("valid.ini");

    struct Case {
        const char *what;
        std::string bytes;
    } cases[] = {
        {"foreign key", ReadAll("foreign.ini")},
        {"cut after the first chunk", valid.substr(0, CDesCipher::kHeaderSize + CDesCipher::kChunkSize)},
        {"cut inside a block", valid.substr(0, valid.size() - 3)},
        {"short header", valid.substr(0, 10)},
        {"plain text", "[General]\r\nMsgNotify=0\r\n"},
    };
    for (const Case &c : cases) {
        WriteAll("Bad.ini", c.bytes);
        {
            CEncryptedProfile profile("Bad.ini");
            EXPECT_EQ(profile.GetInt("General", "MsgNotify", 1), 1) << c.what;
            EXPECT_EQ(profile.GetSectionCount(), 0) << c.what << ": nothing of a partial file is taken";
        }
        EXPECT_EQ(ReadAll("Bad.ini").size(), CDesCipher::kHeaderSize) << c.what << ": replaced by an empty profile";
    }

    // A read-only valid profile is still read and written back.
    WriteAll("Bad.ini", valid);
    chmod("Bad.ini", 0444);
    {
        CEncryptedProfile profile("Bad.ini");
        EXPECT_EQ(profile.GetInt("General", "MsgNotify", 1), 0);
        profile.SetInt("General", "MsgNotify", 1, true);
        profile.Save();
    }
    EXPECT_EQ(CEncryptedProfile("Bad.ini").GetInt("General", "MsgNotify", 0), 1);
    EXPECT_EQ(LeftoverTempFiles(), 0);
}

// A rewrite that cannot be completed (here: the file size limit stops the new
// file half way) leaves the old profile as it was, and no partial file behind.
TEST(EncryptedProfile, AFailedRewriteKeepsTheValidProfile)
{
    {
        CEncryptedProfile profile("Fail.ini");
        profile.SetInt("General", "Version", 2, true);
        profile.SetInt("General", "MsgNotify", 0, true);
        profile.Save();
    }
    const std::string before = ReadAll("Fail.ini");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        CEncryptedProfile profile("Fail.ini");
        profile.SetInt("General", "MsgNotify", 1, true);
        profile.SetValue("General", "Note", std::string(3 * CDesCipher::kChunkSize, 'n').c_str(), true);
        profile.Save();
        _exit(profile.GetInt("General", "MsgNotify", 0) == 1 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadAll("Fail.ini"), before);
    EXPECT_EQ(LeftoverTempFiles("."), 0) << "the half-written file is removed";
    EXPECT_EQ(LeftoverTempFiles(), 0);
}

// Savers at the same moment (threads here; processes alike) each leave a whole
// profile, one or the other, and a reader meanwhile always finds one: the profile
// is never missing, cut or mixed.
TEST(EncryptedProfile, ConcurrentSaversAlwaysLeaveAWholeProfile)
{
    constexpr int kSavers = 4, kRounds = 25;
    // Several chunks, so that a mixed or cut file would show.
    auto valueOf = [](int saver, int round) {
        return std::string(2 * CDesCipher::kChunkSize, char('a' + saver)) + std::to_string(round);
    };
    {
        CEncryptedProfile profile("Shared.ini");
        profile.SetValue("General", "Value", valueOf(0, 0).c_str(), true);
        profile.Save();
    }
    std::atomic<bool> done{false};
    std::atomic<int> unreadable{0}, reads{0};
    std::thread reader([&] {
        const CDesCipher cipher(CEncryptedProfile::kProgramKey);
        std::string plain;
        while (!done) {
            if (!cipher.DecryptFromFile("Shared.ini", plain))
                ++unreadable;
            ++reads;
        }
    });
    std::vector<std::thread> savers;
    for (int w = 0; w < kSavers; ++w)
        savers.emplace_back([&, w] {
            for (int r = 1; r <= kRounds; ++r) {
                CEncryptedProfile profile("Shared.ini");
                profile.SetValue("General", "Value", valueOf(w, r).c_str(), true);
                profile.Save();
            }
        });
    for (auto &t : savers)
        t.join();
    done = true;
    reader.join();
    EXPECT_EQ(unreadable, 0) << "of " << reads << " reads";

    CEncryptedProfile profile("Shared.ini");
    const std::string value = static_cast<const char *>(profile.GetString("General", "Value", ""));
    bool known = false;
    for (int w = 0; w < kSavers; ++w)
        known |= value == valueOf(w, kRounds);
    EXPECT_TRUE(known) << "the last save of one saver, whole";
    EXPECT_EQ(LeftoverTempFiles("."), 0);
}

// The profile holds a password: while it is open its plain text is nowhere on
// disk, and the enciphered file is the user's alone.
TEST(EncryptedProfile, ThePlainTextNeverReachesADisk)
{
    const mode_t oldMask = umask(022);
    WriteAll("plain.ini", "[General]\r\nPassword=Sesame4711\r\n");
    ASSERT_TRUE(CDesCipher(CEncryptedProfile::kProgramKey).EncryptFile("plain.ini", "Secret.ini"));
    std::remove("plain.ini");
    {
        CEncryptedProfile profile("Secret.ini");
        ASSERT_EQ(std::string(profile.GetString("General", "Password", "")), "Sesame4711");
        profile.SetValue("General", "Password", "Sesame4712", true);
        ASSERT_TRUE(profile.Save());
        const char *tmp = getenv("TMPDIR");
        for (const char *folder : {tmp ? tmp : "/tmp", "."})
            for (const auto &e : std::filesystem::recursive_directory_iterator(folder))
                if (e.is_regular_file()) {
                    const std::string bytes = ReadAll(e.path().c_str());
                    EXPECT_EQ(bytes.find("Sesame471"), std::string::npos) << e.path();
                }
    }
    EXPECT_EQ(std::string(CEncryptedProfile("Secret.ini").GetString("General", "Password", "")), "Sesame4712");
    struct stat st;
    ASSERT_EQ(stat("Secret.ini", &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    umask(oldMask);
}

} // namespace
