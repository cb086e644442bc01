// Shared by the settings tool's tests: the one Application, a small installation
// (bin/ and CFG/SETTING.INI) made per test in the sandbox's work folder with the
// test working from its bin/, the settings form made on it, and the recorders of
// message boxes and dialogs switched on.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "lumon/core/UtilData.h"
#include "platform/forms/TCommonDialog.h"
#include "platform/win/File.h"
#include "platform/win/MessageBox.h"
#include "tests/support/TestApplication.h"
#include "toolpick/SetTool.h"

namespace tptest {

inline win::TApplication &App() { return testsupport::TestApplication("test_toolpick"); }

inline bool PumpUntil(const std::function<bool()> &done, int ms = 3000)
{
    return testsupport::PumpUntil(App(), done, ms);
}

// The colour of slot i (1..64) of fixture theme n: distinct 24-bit values.
inline int32_t FixtureColour(int n, int i) { return int32_t((uint32_t(n * 64 + i) * 2654435761u) & 0xFFFFFF); }

// The fixture's settings file: a comment, the loader's and the tool's keys,
// keys of others that must survive, two themes (2 and 3 are missing) and CRLF
// line ends, in GBK.
inline std::string FixtureSettings()
{
    std::vector<std::string> lines = {
        "; settings of the terminal", "[PATH]", "DATAPATH=..\\data\\", "[PARAMETER]", "SortTime=20",
        "PageTime=7", "RefreshTime=45", "WarnRatio=40", "MaxDataRecords=800", "KLineMode=1", "Cycdays=45",
        "OTSServer=127.0.0.1", "[THEME]", "LastTheme=1", "[DCD]", "ShRaise=5", "ShDown=6", "SzRaise=7",
        "SzDown=8", "BackGroup=1"};
    const char *names[2] = {"经典黑底", "明亮白底"};
    char line[64];
    for (int n = 0; n < 2; ++n) {
        lines.push_back("[Color" + std::to_string(n) + "]");
        lines.push_back(std::string("Name=") + names[n]);
        for (int i = 1; i <= 64; ++i) {
            std::snprintf(line, sizeof line, "Color%02d=%d", i, FixtureColour(n, i));
            lines.push_back(line);
        }
        lines.push_back("[Font" + std::to_string(n) + "]");
        for (int j = 1; j <= 16; ++j) {
            std::snprintf(line, sizeof line, "Font%02d=%d,%02d,%s", j, (j + n) % 2, 9 + j % 4 + n,
                          j % 3 ? "宋体" : "黑体");
            lines.push_back(line);
        }
    }
    lines.push_back("[WEB]");
    lines.push_back("Web1=公司首页:http://www.example.com/");
    std::string text;
    for (const auto &l : lines)
        text += l + "\r\n";
    return text;
}

inline std::string ReadFile(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteFile(const std::filesystem::path &path, const std::string &text)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// `text` with the value of `key=` in [section] replaced (the first such line).
inline std::string WithValue(std::string text, const std::string &section, const std::string &key,
                             const std::string &value)
{
    size_t at = text.find("[" + section + "]\r\n");
    at = text.find("\r\n" + key + "=", at);
    EXPECT_NE(at, std::string::npos) << key;
    if (at == std::string::npos)
        return text;
    at += 2 + key.size() + 1;
    text.replace(at, text.find("\r\n", at) - at, value);
    return text;
}

// A fresh installation per test: <work>/instN/{bin,CFG}; the test works from bin/.
class ToolpickTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        static int count = 0;
        saved_ = std::filesystem::current_path();
        root = std::filesystem::absolute("inst" + std::to_string(++count));
        std::filesystem::create_directories(root / "bin");
        win::SetCurrentDirectoryA((root / "bin").c_str());
        win::RecordMessageBoxes(true);
        win::RecordDialogs(true);
    }
    void TearDown() override
    {
        delete form;
        win::RecordMessageBoxes(false);
        win::RecordDialogs(false);
        win::SetCurrentDirectoryA(saved_.c_str());
    }
    std::filesystem::path SettingsFile() const { return root / "CFG" / "SETTING.INI"; }
    void WriteFixture() { WriteFile(SettingsFile(), FixtureSettings()); }
    // Makes the form and runs its creation.
    TSetTool *Open()
    {
        form = new TSetTool(&App());
        form->AfterConstruction();
        return form;
    }
    std::vector<std::string> Questions() const
    {
        std::vector<std::string> texts;
        for (const auto &box : win::ShownMessageBoxes())
            texts.push_back(box.text);
        return texts;
    }

    std::filesystem::path root;
    TSetTool *form = nullptr;

private:
    std::filesystem::path saved_;
};

} // namespace tptest
