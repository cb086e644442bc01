// The INI document and the enciphered profile: parsing rules, writing back, and a
// profile that is missing, foreign, cut or read-only.
#include <sys/stat.h>

#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
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

// Temporary files of the profile left in the temporary folder.
int LeftoverTempFiles()
{
    const char *tmp = getenv("TMPDIR");
    DIR *dir = opendir(tmp ? tmp : "/tmp");
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

TEST(EncryptedProfile, AFailedRewriteKeepsTheValidProfile)
{
    {
        CEncryptedProfile profile("Fail.ini");
        profile.SetInt("General", "Version", 2, true);
        profile.SetInt("General", "MsgNotify", 0, true);
        profile.Save();
    }
    const std::string before = ReadAll("Fail.ini");
    // The new profile cannot be written: a folder stands where it would go.
    ASSERT_EQ(mkdir("Fail.ini.new", 0755), 0);
    {
        CEncryptedProfile profile("Fail.ini");
        EXPECT_EQ(profile.GetInt("General", "MsgNotify", 1), 0);
        profile.SetInt("General", "MsgNotify", 1, true);
        profile.Save();
    }
    EXPECT_EQ(ReadAll("Fail.ini"), before);
    rmdir("Fail.ini.new");
    EXPECT_EQ(LeftoverTempFiles(), 0);
}

} // namespace
