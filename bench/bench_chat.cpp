// The chat transcript's two costly moments: replaying a 4 MB conversation log
// into the transcript when the partner changes, and appending one message (its
// heading and text) to a transcript that already holds 10,000 lines.
// bench-deps: chatdesk_ui
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "chatdesk/ChatUser.h"
#include "chatdesk/ui/ChatResources.h"
#include "chatdesk/ui/TranscriptPane.h"
#include "platform/win/File.h"
#include "platform/win/GuiApplication.h"
#include "platform/win/Handle.h"

using namespace win;

namespace {

// The GUI without a screen, a parent window and a transcript pane in it.
struct Transcript {
    CWnd parent;
    chatui::CTranscriptPane pane;
    Transcript()
    {
        static int argc = 1;
        static char name[] = "bench_chat";
        static char *argv[] = {name, nullptr};
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static auto *gui = new GuiApplication(argc, argv);
        (void)gui;
        chatui::RegisterChatResources();
        parent.CreateEx(0, nullptr, "bench", WS_POPUP, 0, 0, 500, 440, 0, 0);
        pane.Create(&parent);
        pane.SetWindowPos(nullptr, 0, 0, 500, 440, SWP_NOZORDER);
    }
};

ChatUser *NewUser(uint32_t id)
{
    ChatUserRecord record{};
    record.id = id;
    std::strcpy(record.name, "技术支持小王");
    return ChatUser::Create(record);
}

// A line of a conversation as the logs hold it.
std::string Entry(int i)
{
    return "\r\n\r\n[10:" + std::to_string(10 + i % 50) + ":00] 技术支持小王\r\n请稍候，我们正在为您查询第 " +
           std::to_string(i) + " 号问题的处理进度。";
}

void BM_ReplayFourMegabyteLog(benchmark::State &state)
{
    Transcript t;
    ChatUser *user = NewUser(101);
    std::string log;
    for (int i = 0; log.size() < 4u * 1024 * 1024; ++i)
        log += Entry(i);
    user->WriteLog(log.data(), log.size());
    for (auto _ : state) {
        t.pane.ShowConversation(nullptr);
        t.pane.ShowConversation(user);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(log.size()));
    t.pane.ShowConversation(nullptr);
    user->DropReference();
}
BENCHMARK(BM_ReplayFourMegabyteLog)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_AppendToTenThousandLines(benchmark::State &state)
{
    Transcript t;
    std::string lines;
    for (int i = 0; i < 10000 / 4; ++i)
        lines += Entry(i);
    t.pane.Append(lines.data(), lines.size());
    const std::string heading = "\r\n[10:11:12] user01";
    const std::string text = "谢谢，我再等一会儿。";
    for (auto _ : state) {
        t.pane.Append(heading.data(), heading.size());
        t.pane.Append(text.data(), text.size());
    }
}
BENCHMARK(BM_AppendToTenThousandLines)->Unit(benchmark::kMillisecond);

} // namespace
