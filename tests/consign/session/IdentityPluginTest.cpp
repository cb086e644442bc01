// The identity plug-in loader against sample plug-ins built with the tests.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "consign/session/IdentityPlugin.h"
#include "platform/win/Module.h"

using namespace win;

namespace {

class IdentityPluginTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        namespace fs = std::filesystem;
        fs::copy_file(LUMO_QVTEST, "QVTEST.DLL", fs::copy_options::overwrite_existing);
        fs::copy_file(LUMO_QVBROKEN, "qvBroken.dll", fs::copy_options::overwrite_existing);
        std::ofstream("QVNOTALIB.DLL") << "not a library";
        std::ofstream(".QVHIDDEN.DLL") << "hidden";
    }
    IdentityRequest Request(const char *library)
    {
        return IdentityRequest{library, "10.1.2.3", 9001, "8001", 0, "", 1080};
    }
};

TEST_F(IdentityPluginTest, ModuleCallsFindExports)
{
    const HMODULE module = LoadLibraryA("qvtest.dll");
    ASSERT_NE(module, 0u) << "found without regard to case";
    EXPECT_NE(GetProcAddress(module, "GetWTFS"), nullptr);
    EXPECT_EQ(GetProcAddress(module, "NoSuchExport"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_FALSE(FreeLibrary(module));
    EXPECT_EQ(LoadLibraryA("QVMISSING.DLL"), 0u);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(LoadLibraryA("QVNOTALIB.DLL"), 0u);
}

TEST_F(IdentityPluginTest, IdentityCheck)
{
    struct Case {
        const char *library;
        const char *password;
        BOOL accepted;
        const char *text;
    };
    const Case cases[] = {
        {"QVTEST.DLL", "1234", TRUE, "qvtest"},
        {"QVTEST.DLL", "0000", FALSE, "refused 8001 at 10.1.2.3:9001"},
        {"QVMISSING.DLL", "1234", FALSE, "身份论证装载动态连接库失败！"},
        {"QVBROKEN.DLL", "1234", FALSE, "取得身份论证或委托方式的函数接口失败！"},
    };
    for (const Case &c : cases) {
        CString text = "stale";
        EXPECT_EQ(RunIdentityPlugin(Request(c.library), c.password, text), c.accepted) << c.library;
        EXPECT_STREQ(text, c.text);
    }
}

TEST_F(IdentityPluginTest, ListingKeepsCompletePluginsOnly)
{
    std::vector<IdentityPluginInfo> plugins;
    ASSERT_EQ(ListIdentityPlugins(plugins), 1);
    EXPECT_STREQ(plugins[0].fileName, "QVTEST.DLL");
    EXPECT_STREQ(plugins[0].caption, "Test identity");
    EXPECT_EQ(plugins[0].usePassword, 1);
    EXPECT_EQ(plugins[0].defaultAddress, 0);
    EXPECT_STREQ(plugins[0].orderMethod, "qvtest");
}

TEST_F(IdentityPluginTest, PasswordChangeMessages)
{
    struct Case {
        int useValidate;
        const char *library;
        const char *oldPassword;
        BOOL changed;
        const char *message;
    };
    const Case cases[] = {
        {0, "QVTEST.DLL", "1234", FALSE, "没有设置身份验证！"},
        {1, "QVMISSING.DLL", "1234", FALSE, "身份论证装载动态连接库失败！"},
        {1, "QVBROKEN.DLL", "1234", FALSE, "取得身份论证修改密码的函数接口失败！"},
        {1, "QVTEST.DLL", "9999", FALSE, "wrong old password"},
        {1, "QVTEST.DLL", "1234", TRUE, "通讯密码修改成功！"},
    };
    for (const Case &c : cases) {
        CString message;
        EXPECT_EQ(ChangeIdentityPassword(c.useValidate, Request(c.library), c.oldPassword, "5678",
                                         message),
                  c.changed);
        EXPECT_STREQ(message, c.message);
    }
}

} // namespace
