// The indicator dialogs' tests: an installation made by the installation maker
// (its INDEX.DAT, IDXPARA.TBL, IdxPara.ini, formula indicators 401-404 and
// histories), copied fresh for each test from one made per run, with the
// working folder in its bin/, its markets and theme loaded and the indicator
// definitions read as the frame reads them.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "lumon/core/DataIO.h"
#include "lumon/core/DataPool.h"
#include "lumon/core/UtilData.h"
#include "lumon/formula/IndexDefs.h"
#include "platform/forms/TForm.h"
#include "platform/win/File.h"
#include "platform/win/Registry.h"
#include "tests/support/DataServerPeer.h"
#include "tests/support/TestApplication.h"

namespace views {

namespace fs = std::filesystem;

inline win::TApplication &App() { return testsupport::TestApplication("test_lumon_views"); }

// The maker's installation, made once per run beside the tests' sandbox.
inline const fs::path &MadeInstallation()
{
    static fs::path made = [] {
        char cwd[4096] = {};
        win::GetCurrentDirectoryA(sizeof cwd, cwd);
        fs::path root = fs::path(cwd) / "made";
        fs::remove_all(root);
        std::string command = "/usr/bin/python3 '" + (peer::Repo() / "tools" / "mkinstall.py").string() + "' '" +
                              root.string() + "' --no-registry > mkinstall.log 2>&1";
        if (std::system(command.c_str()) != 0)
            ADD_FAILURE() << "the installation maker failed; see mkinstall.log";
        return root;
    }();
    return made;
}

class IndexDialogFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        char cwd[4096] = {};
        win::GetCurrentDirectoryA(sizeof cwd, cwd);
        oldCwd = cwd;
        const fs::path &made = MadeInstallation();
        root = fs::path(cwd) / "inst";
        fs::remove_all(root);
        fs::copy(made, root, fs::copy_options::recursive);
        fs::create_directories(root / "bin");
        SetRegistryPath(root.string() + "/");
        win::SetCurrentDirectoryA((root / "bin").c_str());
        ClearDataCaches();
        util = std::make_unique<TUtilData>(1);
        io = std::make_unique<TDataIO>(0);
        ASSERT_NE(LoadIndexDefinitions("Guest"), nullptr);
    }
    void TearDown() override
    {
        ClearDataCaches();
        FreeIndexDefinitions();
        io.reset();
        util.reset();
        win::SetCurrentDirectoryA(oldCwd.c_str());
    }

    static void SetRegistryPath(const std::string &path)
    {
        win::HKEY key;
        win::RegCreateKeyExA(win::HKEY_CURRENT_USER, "Software\\Lumo\\Ver2.0", 0, nullptr, 0, win::KEY_ALL_ACCESS,
                             nullptr, &key, nullptr);
        win::RegSetValueExA(key, "Path", 0, win::REG_SZ, reinterpret_cast<const win::BYTE *>(path.c_str()),
                            win::DWORD(path.size() + 1));
        win::RegCloseKey(key);
    }

    std::string Read(const std::string &relative) const
    {
        std::ifstream in(root / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void Write(const std::string &relative, const std::string &bytes) const
    {
        std::ofstream(root / relative, std::ios::binary | std::ios::trunc) << bytes;
    }

    // The position of a definition in the loaded table, or -1.
    static int DefinitionIndex(int id)
    {
        const IndexTable *t = GetIndexTable();
        for (int i = 0; t && i < t->Count; ++i)
            if (t->Definitions[i].Id == id)
                return i;
        return -1;
    }

    // StockId of a code of the first market that has it.
    static StockId Stock(const char *code)
    {
        int market = 0;
        uint8_t m = 0, c = 0;
        uint16_t index = 0;
        EXPECT_TRUE(TDataIO::FindStockPos(code, market, m, c, index, true)) << code;
        return MakeStockId(m, c, index);
    }

    // Shows the form modally, running `then` once its loop runs.
    static int ShowModalThen(win::TForm *form, std::function<void()> then)
    {
        QTimer::singleShot(0, [then] { then(); });
        return form->ShowModal();
    }

    // Shows the form, lets it paint and saves its picture in the build folder.
    static QImage Render(win::TForm *form, const char *file)
    {
        form->Show();
        App().ProcessMessages();
        QImage image = form->Widget()->grab().toImage();
        image.save(QString::fromUtf8(LUMO_TEST_BINARY_DIR "/") + QString::fromUtf8(file));
        return image;
    }

    std::string oldCwd;
    fs::path root;
    std::unique_ptr<TUtilData> util;
    std::unique_ptr<TDataIO> io;
};

} // namespace views
