// The unzip stand-in: zip archives under a ".rar" name unpack to the same bytes
// as `unzip -p` gives; empty, corrupt, truncated, missing and foreign files fail
// and leave no text file behind, neither a stale one nor a partial one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "platform/appframe/Unzip.h"

using namespace win;
namespace fs = std::filesystem;

namespace {

// The archives, made by Python's zipfile, independently of the code under test.
const char kMakeFixtures[] = R"PY(
import sys, zipfile
out = sys.argv[1]
statement = (b'\xbd\xe1\xd5\xca\xb5\xa5 No.100\r\n' + b'\xd7\xca\xbd\xf0 1234.56\r\n') * 300
def make(name, members, method=zipfile.ZIP_DEFLATED):
    with zipfile.ZipFile(out + '/' + name, 'w', method) as z:
        for member, data in members:
            z.writestr(member, data)
make('deflated.rar', [('100.txt', statement)])
make('stored.rar', [('100.txt', statement)], zipfile.ZIP_STORED)
make('two.rar', [('a.txt', b'first\r\n'), ('b.txt', statement)])
make('emptymember.rar', [('100.txt', b'')])
make('nofiles.rar', [])
with zipfile.ZipFile(out + '/dironly.rar', 'w') as z:
    z.writestr(zipfile.ZipInfo('sub/'), b'')
)PY";

std::string Read(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const fs::path &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string UnzipP(const fs::path &archive)
{
    std::string out;
    FILE *pipe = ::popen(("unzip -p '" + archive.string() + "'").c_str(), "r");
    if (!pipe)
        return out;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    ::pclose(pipe);
    return out;
}

std::string Utf8(const char8_t *s) { return reinterpret_cast<const char *>(s); }

class UnzipTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        fs::create_directories("fixtures");
        Write("fixtures/make.py", kMakeFixtures);
        ASSERT_EQ(std::system("/usr/bin/python3 fixtures/make.py fixtures"), 0);
    }
    void SetUp() override
    {
        fs::remove_all("settle");
        fs::create_directories("settle");
    }
    // The caller's two calls, on the 268 bytes it sets aside for the object.
    static BOOL Unpack(const char *rarPath, const char *txtPath)
    {
        alignas(CUnzip) unsigned char storage[268];
        auto *zip = new (storage) CUnzip(rarPath);
        return zip->SwapSize(txtPath);
    }
    // Names of the files left in ./settle.
    static std::vector<std::string> Left()
    {
        std::vector<std::string> names;
        for (const auto &e : fs::directory_iterator("settle"))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

} // namespace

TEST_F(UnzipTest, ZipUnderARarNameUnpacksToWhatUnzipGives)
{
    const struct {
        const char *fixture;
        const char *rar;       // as the caller writes it (GBK)
        const char *txt;
        std::string diskName;  // the text file's name on disk
    } cases[] = {
        {"deflated.rar", "./settle/100.rar", "./settle/100.txt", "100.txt"},
        {"stored.rar", ".\\settle\\100.rar", ".\\SETTLE\\100.txt", "100.txt"},
        {"two.rar", "./settle/100.rar", "./settle/100.txt", "100.txt"},
        {"emptymember.rar", "./settle/100.rar", "./settle/100.txt", "100.txt"},
        {"deflated.rar", "./settle/客户.rar", "./settle/客户.txt", Utf8(u8"客户.txt")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fixture);
        SetUp();
        const fs::path fixture = fs::path("fixtures") / c.fixture;
        const std::string rarName = fs::path(c.diskName).replace_extension(".rar").string();
        fs::copy_file(fixture, fs::path("settle") / rarName);
        Write(fs::path("settle") / c.diskName, "stale statement");
        ASSERT_TRUE(Unpack(c.rar, c.txt));
        EXPECT_EQ(Read(fs::path("settle") / c.diskName), UnzipP(fixture));
        EXPECT_EQ(Left().size(), 2u);
    }
    EXPECT_EQ(Read("settle/" + Utf8(u8"客户.txt")).size(), 8700u);
}

TEST_F(UnzipTest, BadArchivesFailAndLeaveNoTextFile)
{
    const std::string good = Read("fixtures/deflated.rar");
    const std::string stored = Read("fixtures/stored.rar");
    const std::string two = Read("fixtures/two.rar");
    std::string flipped = stored;
    for (size_t i = 200; i < 240; ++i)
        flipped[i] = static_cast<char>(flipped[i] ^ 0x5A);
    std::string garbled = good;
    for (size_t i = 60; i < 90; ++i)
        garbled[i] = static_cast<char>(garbled[i] ^ 0xA5);
    const struct {
        const char *what;
        std::string bytes;
    } cases[] = {
        {"empty file", ""},
        {"truncated", good.substr(0, good.size() / 2)},
        {"cut before the central directory", good.substr(0, good.size() - 30)},
        {"cut after its first member", two.substr(0, two.find("PK\3\4", 4))},
        {"stored data changed (CRC)", flipped},
        {"deflated data garbled", garbled},
        {"no files", Read("fixtures/nofiles.rar")},
        {"only a folder", Read("fixtures/dironly.rar")},
        {"plain text", "结帐单\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        Write("settle/100.rar", c.bytes);
        Write("settle/100.txt", "stale statement");
        EXPECT_FALSE(Unpack("./settle/100.rar", "./settle/100.txt"));
        EXPECT_EQ(Left(), std::vector<std::string>{"100.rar"});
    }

    SetUp();
    Write("settle/100.txt", "stale statement");
    EXPECT_FALSE(Unpack("./settle/missing.rar", "./settle/100.txt"));
    EXPECT_TRUE(Left().empty());
    EXPECT_FALSE(Unpack(nullptr, "./settle/100.txt"));
    fs::copy_file("fixtures/deflated.rar", "settle/100.rar");
    EXPECT_FALSE(Unpack("./settle/100.rar", "./nofolder/100.txt"));
    EXPECT_EQ(Left(), std::vector<std::string>{"100.rar"});
}
