// The integrated ranking and the news view at their largest: the six ranking
// answers of a 4,096-member board read into the nine lists, and a refill of a
// news list of 3,000 titles through a branch's keywords. On the large
// installation (16 markets of 4,096 stocks), logged in to the simulated data
// server as the demo user.
// bench-deps: lumon_views lumon_shell Qt6::Widgets
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/FrameSession.h"
#include "lumon/core/BlockGroup.h"
#include "lumon/core/FrameServices.h"
#include "lumon/core/NewsIndex.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/ViewFactory.h"
#include "lumon/views/IntegSort.h"
#include "lumon/views/Msgeform.h"
#include "lumon/views/RankFile.h"
#include "platform/forms/TListBox.h"
#include "platform/win/Stdio.h"
#include "tests/lumon/shell/FrameViews.h"

namespace {

benchfix::FrameSession &TheSession()
{
    static benchfix::FrameSession session("bench_textviews", "--large");
    // The block table, which the frame's start makes after the login.
    if (session.ready && !session.frame->Blocks)
        session.frame->Blocks = new TBlockGroup();
    return session;
}

// The first market's block, of 4,096 members.
int LargeBoard(TMFrame *frame)
{
    for (int id = 0; id < frame->Blocks->BlockCount; ++id)
        if (BlockRecord *b = frame->Blocks->FindBlock(id); b && b->MemberCount == TInteSort::kMaxMembers)
            return id;
    return -1;
}

void BM_RankingSixAnswersNineLists(benchmark::State &state)
{
    benchfix::FrameSession &s = TheSession();
    if (!s.ready) {
        state.SkipWithError(s.problem.c_str());
        return;
    }
    const int board = LargeBoard(s.frame);
    if (board < 0) {
        state.SkipWithError("no board of 4096 members");
        return;
    }
    RegisterIntegratedRanking();
    TMultiViewMain *page = framefixture::NewTestPage(s.frame);
    VIEW_ATTR attr;
    InitViewAttr(VIEW_RANKING, &attr);
    attr.Blocks[0] = board;
    auto *ranking = static_cast<TInteSort *>(page->ReplaceView(page->Panes->GetAt(0)->Node, &attr, 0));
    // One answer file per kind: varied values for every member.
    const int fields[7] = {0, 11, 20, 12, 13, 8, 21};
    std::vector<std::string> paths(7);
    for (int kind = 1; kind <= 6; ++kind) {
        const int size = RankRecordSize(fields[kind]);
        std::vector<uint8_t> bytes(size_t(size) * TInteSort::kMaxMembers);
        for (int i = 0; i < TInteSort::kMaxMembers; ++i) {
            const float a = float(1000 + (i * 7919) % 997), b = float(1000 + (i * 104729) % 991), c = 1000.0f;
            std::memcpy(&bytes[size_t(i * size) + 2], &a, 4);
            if (size >= 10)
                std::memcpy(&bytes[size_t(i * size) + 6], &b, 4);
            if (size >= 14)
                std::memcpy(&bytes[size_t(i * size) + 10], &c, 4);
        }
        paths[size_t(kind)] = RankFilePath(900 + kind);
        std::ofstream(paths[size_t(kind)], std::ios::binary)
            .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    }
    for (auto _ : state)
        for (int kind = 1; kind <= 6; ++kind)
            ranking->ReadRankingFile(kind, paths[size_t(kind)].c_str());
    if (ranking->Panes[0] && ranking->Panes[0]->List.GetCount() < 20)
        state.SkipWithError("the lists were not filled");
    delete s.frame->CurrentPage;
    s.frame->CurrentPage = nullptr;
    ClearViewMakers();
    state.SetItemsProcessed(state.iterations() * 6 * TInteSort::kMaxMembers);
}
BENCHMARK(BM_RankingSixAnswersNineLists)->Unit(benchmark::kMillisecond);

void BM_NewsRefillThroughABranch(benchmark::State &state)
{
    benchfix::FrameSession &s = TheSession();
    if (!s.ready) {
        state.SkipWithError(s.problem.c_str());
        return;
    }
    // 3,000 titles of type 1 over 30 days, one in three naming a keyword.
    char path[600];
    MakeNewsIndexPath(path, sizeof path);
    {
        std::vector<NewsRecord> records(NewsCapacity);
        for (int i = 0; i < NewsCapacity; ++i) {
            NewsRecord &r = records[size_t(i)];
            r.TypeRead = 2u | uint32_t(i % 5 == 0);
            r.DateTime = uint32_t(61101 + i / 100) | uint32_t(900 + i % 60) << 20;
            r.Id = i + 1;
            std::snprintf(r.Title, sizeof r.Title, i % 3 ? "市场消息 第%d条" : "上证指数收涨 第%d条", i);
            std::snprintf(r.FileName, sizeof r.FileName, "%08d.txt", r.Id);
        }
        if (std::FILE *f = win::fopen(path, "wb")) {
            std::fwrite(records.data(), sizeof(NewsRecord), records.size(), f);
            std::fclose(f);
        }
    }
    RegisterNewsView();
    TMultiViewMain *page = framefixture::NewTestPage(s.frame);
    VIEW_ATTR attr;
    InitViewAttr(VIEW_NEWS, &attr);
    auto *news = static_cast<TMsgForm *>(page->ReplaceView(page->Panes->GetAt(0)->Node, &attr, 0));
    news->ReloadView();
    static const NewsBranchTab branch{" 大盘 ", {"上证指数", "两市"}};
    TMsgForm::TypeFilter = 1;
    TMsgForm::SelectedBranch = &branch;
    for (auto _ : state)
        news->RefreshList();
    if (news->NewsList->Items->Count() < 1000)
        state.SkipWithError("the branch's titles were not listed");
    TMsgForm::SelectedBranch = nullptr;
    delete s.frame->CurrentPage;
    s.frame->CurrentPage = nullptr;
    ClearViewMakers();
    ViewHooks = TViewHooks();
    state.SetItemsProcessed(state.iterations() * NewsCapacity);
}
BENCHMARK(BM_NewsRefillThroughABranch)->Unit(benchmark::kMillisecond);

} // namespace
