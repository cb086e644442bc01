// A page of the frame whose one pane is a quote list, on an installation of the
// installation maker, with readers of the settings file.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "lumon/shell/ViewFactory.h"
#include "lumon/views/Reptform.h"
#include "lumon/views/TableDefs.h"
#include "platform/win/Profile.h"
#include "tests/lumon/shell/FrameFixture.h"
#include "tests/lumon/shell/FrameViews.h"

namespace quotelisttest {

namespace fs = std::filesystem;

class QuoteListTest : public framefixture::FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        delete[] TableDefs;
        TableDefs = nullptr;
    }
    void TearDown() override
    {
        FrameTest::TearDown();
        ClearViewMakers();
        ViewHooks = TViewHooks();
        delete[] TableDefs;
        TableDefs = nullptr;
    }
    // The frame offline (or logged in to `server`) with a page whose one pane is
    // a quote list on `block`.
    TReport *StartList(int block, const peer::DataServer *server = nullptr)
    {
        RegisterQuoteList();
        if (server)
            StartConnected(*server);
        else
            StartOffline();
        EXPECT_EQ(frame->StartAborted, 0);
        frame->Timer1->Enabled = false;
        frame->Timer2->Enabled = false;
        page = framefixture::NewTestPage(frame);
        VIEW_ATTR attr;
        InitViewAttr(VIEW_REPORT, &attr);
        TMultiViewChild *pane = page->ReplaceView(page->Panes->GetAt(0)->Node, &attr, 0);
        auto *list = dynamic_cast<TReport *>(pane);
        EXPECT_NE(list, nullptr);
        if (list) {
            list->Timer1->Enabled = false;
            list->ShowBlockTab(block);
        }
        return list;
    }
    // The id of the first user block.
    int UserBlock()
    {
        for (int id = 0; id < frame->Blocks->BlockCount; ++id)
            if (frame->Blocks->Blocks[id].InUse && frame->Blocks->Blocks[id].Kind >= 3)
                return id;
        return -1;
    }
    // The lines of the installation's SETTING.INI.
    std::vector<std::string> SettingLines()
    {
        std::vector<std::string> lines;
        for (const auto &entry : fs::recursive_directory_iterator(root))
            if (entry.path().filename() == "SETTING.INI") {
                std::ifstream in(entry.path(), std::ios::binary);
                for (std::string line; std::getline(in, line);)
                    lines.push_back(line);
            }
        return lines;
    }
    // The indexes of the lines that differ between two versions of a file of the
    // same length.
    static std::vector<size_t> Changed(const std::vector<std::string> &a, const std::vector<std::string> &b)
    {
        EXPECT_EQ(a.size(), b.size());
        std::vector<size_t> out;
        for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
            if (a[i] != b[i])
                out.push_back(i);
        return out;
    }
    TMultiViewMain *page = nullptr;
};

} // namespace quotelisttest
