// The program's version record and the customer-number check.
#include <cstring>

#include <gtest/gtest.h>

#include "consign/session/Helpers.h"
#include "consign/session/ModuleVersion.h"
#include "consign/session/RecordLists.h"
#include "platform/win/File.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Version.h"

using namespace win;

namespace {

TEST(ModuleVersionTest, ReadsWhatTheProgramDeclared)
{
    {
        const CModuleVersion none(0, "080404b0", "FileDescription");
        EXPECT_TRUE(none.m_strValue.IsEmpty()) << "before the program declares its version";
        EXPECT_TRUE(none.m_strFileVersion.IsEmpty());
    }
    static const VersionString strings[] = {
        {"080404b0", "FileDescription", "期货委托"},
        {"080404b0", "ProductName", "consign"},
    };
    RegisterVersionResource(VersionResource{{5, 0, 5, 3}, {5, 0, 65535, 12}, strings, 2});
    struct Case {
        const char *block;
        const char *name;
        const char *value;
    };
    const Case cases[] = {{"080404b0", "FileDescription", "期货委托"},
                          {"080404B0", "productname", "consign"},
                          {"040904b0", "FileDescription", ""},
                          {nullptr, nullptr, ""}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name ? c.name : "none");
        const CModuleVersion version(0, c.block, c.name);
        EXPECT_STREQ(version.m_strValue, c.value);
        EXPECT_STREQ(version.m_strFileVersion, "5.0.5.3");
        EXPECT_STREQ(version.m_strProductVersion, "5.0.65535.12");
    }
    // Another file has no version information; a short buffer is refused.
    DWORD handle = 1;
    EXPECT_EQ(GetFileVersionInfoSizeA("/bin/sh", &handle), 0u);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
    char program[300];
    GetModuleFileNameA(0, program, sizeof program);
    const DWORD size = GetFileVersionInfoSizeA(program, &handle);
    ASSERT_GT(size, sizeof(VS_FIXEDFILEINFO));
    std::vector<BYTE> block(size);
    EXPECT_FALSE(GetFileVersionInfoA(program, handle, size - 1, block.data()));
    ASSERT_TRUE(GetFileVersionInfoA(program, handle, size, block.data()));
    LPVOID value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
    EXPECT_EQ(static_cast<const VS_FIXEDFILEINFO *>(value)->dwSignature, 0xFEEF04BDu);
    EXPECT_FALSE(VerQueryValueA(block.data(), "\\StringFileInfo\\080404b0\\Missing", &value, &length));
}

TEST(CheckClientExistsTest, Table)
{
    RecordMessageBoxes(true);
    ClientList.clear();
    EXPECT_EQ(CheckClientExists("10000001"), 0) << "an empty list refuses silently";
    EXPECT_EQ(CheckClientExists("*"), 1);
    CClientRecord padded = {};
    std::memcpy(padded.customer, "  100001  ", 10);  // the whole field, no terminator
    CClientRecord plain = {};
    std::memcpy(plain.customer, "200002", 6);
    ClientList = {padded, plain};
    struct Case {
        const char *customer;
        int result;
        bool box;
    };
    const Case cases[] = {{"", 0, false},       {"*", 1, false},        {"100001", 1, false},
                          {"200002", 1, false}, {"300003", 0, true},    {"1000", 0, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.customer);
        RecordMessageBoxes(true);
        EXPECT_EQ(CheckClientExists(c.customer), c.result);
        const auto boxes = ShownMessageBoxes();
        EXPECT_EQ(boxes.size(), c.box ? 1u : 0u);
        if (c.box) {
            EXPECT_EQ(boxes[0].text, "客户不存在");
        }
    }
    EXPECT_EQ(std::string(ClientList.front().customer, 10), std::string("100001\0\0\0\0", 10))
        << "trimmed in place";
    RecordMessageBoxes(false);
    ClientList.clear();
}

} // namespace
