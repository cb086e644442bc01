// Reading a file by name with LFile: size, seeking, reads and the file's
// information record.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "lumon/core/LFile.h"

using namespace win;

namespace {

TEST(LFile, OpensReadsSeeksAndCloses)
{
    std::ofstream("lfile.txt", std::ios::binary) << "0123456789";
    LFile f;
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(f.OpenRead("missing.txt", FILE_SHARE_READ), 0);
    EXPECT_EQ(f.GetInfo(), nullptr);
    char buf[16] = {};
    EXPECT_EQ(f.Read(buf, 4), 0);

    ASSERT_EQ(f.OpenRead("lfile.txt", FILE_SHARE_READ | FILE_SHARE_WRITE), 1);
    EXPECT_STREQ(f.GetName(), "lfile.txt");
    EXPECT_EQ(f.GetSize(), 10u);
    EXPECT_EQ(f.Seek(6, 0), 1);
    EXPECT_EQ(f.Read(buf, 16), 4);
    EXPECT_EQ(std::string(buf, 4), "6789");
    EXPECT_EQ(f.Seek(-3, 2), 1);
    EXPECT_EQ(f.Read(buf, 2), 2);
    EXPECT_EQ(std::string(buf, 2), "78");
    EXPECT_EQ(f.Seek(0, 5), 0);
    const BY_HANDLE_FILE_INFORMATION *info = f.GetInfo();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->nFileSizeLow, 10u);
    f.Close();
    EXPECT_FALSE(f.IsOpen());
    EXPECT_STREQ(f.GetName(), "");
    EXPECT_EQ(f.GetSize(), 0u);
}

} // namespace
