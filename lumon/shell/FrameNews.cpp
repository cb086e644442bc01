// The main frame's part in the text views: the data server's news, notes and
// company-text answers reloaded into the panes that show them, news flashes at
// the top of the news lists, note texts shown on arrival, and the ticker's
// double-click, which opens the news view on the item clicked.
#include <cstdio>

#include "lumon/core/NewsIndex.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/StatusBar.h"
#include "lumon/shell/ViewFactory.h"
#include "platform/forms/TPaintBox.h"
#include "platform/win/File.h"
#include "platform/win/Messages.h"
#include "platform/win/Stdio.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

// The news view's message: open the item of a type (wParam) and id (lParam).
constexpr UINT WM_OPEN_NEWS_ITEM = 1025;

std::string NewsIndexFile()
{
    char path[600];
    MakeNewsIndexPath(path, sizeof path);
    return path;
}

bool Writable(const std::string &path) { return win::access(path.c_str(), 2) == 0; }

} // namespace

void TMFrame::RouteTextAnswer(TMultiViewChild *pane, int type, int detail, LPARAM key)
{
    const int view = pane->Attr.ViewType;
    if (type == 15 && view == VIEW_NEWS) {
        if (detail == 0 && ViewHooks.RefreshNewsList && Writable(NewsIndexFile())) {
            ViewHooks.RefreshNewsList(pane);
        } else if (detail == 2 && ViewHooks.ReloadNewsArticle) {
            char name[16];
            std::snprintf(name, sizeof name, "%08d.txt", int(int32_t(key)));
            ViewHooks.ReloadNewsArticle(pane, name);
        }
    } else if (type == 16 && detail == 0 && view == VIEW_NOTES && ViewHooks.ReloadNoteList) {
        ViewHooks.ReloadNoteList(pane, int(int32_t(key)));
    } else if (type == 21 && view == VIEW_TEXT && ViewHooks.ReloadCompanyText) {
        const StockId stock = StockId(uint32_t(key)), shown = pane->Attr.Stock;
        if ((stock & 0xFF) == (shown & 0xFF) && (stock >> 16) == (shown >> 16))
            ViewHooks.ReloadCompanyText(pane);
    }
}

void TMFrame::NewsFlashToPanes(const NewsRecord &record)
{
    if (!CurrentPage || !ViewHooks.AddNewsFlash)
        return;
    const std::vector<TMultiViewChild *> panes = CurrentPage->PaneSnapshot();
    for (size_t i = panes.size(); i-- > 0;)
        if (CurrentPage->HasPane(panes[i]) && panes[i]->Attr.ViewType == VIEW_NEWS)
            ViewHooks.AddNewsFlash(panes[i], record);
}

void TMFrame::ShowNote(const char *name)
{
    if (!CurrentPage || !name || !ViewHooks.ShowPendingNote)
        return;
    const std::vector<TMultiViewChild *> panes = CurrentPage->PaneSnapshot();
    for (size_t i = panes.size(); i-- > 0;)
        if (CurrentPage->HasPane(panes[i]) && panes[i]->Attr.ViewType == VIEW_NOTES)
            ViewHooks.ShowPendingNote(panes[i], name);
}

void TMFrame::StatusBox6DblClick(TObject *)
{
    if (!TickerList) {
        ToolButton5Click(nullptr);
        return;
    }
    const TickerItem *item = TickerList;
    if (TickerClickX >= StatusBox6->Width - TickerOffset + TickerList->Width && TickerList->Next)
        item = TickerList->Next;
    const std::string path = NewsIndexFile();
    std::unique_ptr<TNewsIndex> index;
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES && Writable(path))
        index = std::make_unique<TNewsIndex>(path.c_str(), 1);
    if (!CurrentPage)
        return;
    TMultiViewChild *news = CurrentPage->FindPaneByType(VIEW_NEWS, 1);
    VIEW_ATTR attr;
    InitViewAttr(VIEW_NEWS, &attr);
    if (!news) {
        TMultiViewChild *active = CurrentPage->ActivePane;
        if (!active || !CurrentPage->HasPane(active))
            return;
        news = CurrentPage->ReplaceView(active->Node, &attr, 1);
        if (!news)
            return;
    } else {
        news->Activate();
        news->Notify(7, 0, 0, reinterpret_cast<intptr_t>(&attr));
    }
    NewsRecord record{};
    if (!index || !index->FindByTitle(0, item->Text, record))
        return;
    char article[600];
    const std::string name(record.FileName, strnlen(record.FileName, sizeof record.FileName));
    std::snprintf(article, sizeof article, "%sdata\\info\\%s", DataRoot, name.c_str());
    if (GetFileAttributesA(article) == INVALID_FILE_ATTRIBUTES && RequestClient && RequestClient->IsConnected())
        RequestClient->RequestInfoText(int(record.TypeRead >> 1), record.Id);
    if (ViewHooks.SetNewsArticleName)
        ViewHooks.SetNewsArticleName(news, name.c_str());
    PostMessageA(news->Handle, WM_OPEN_NEWS_ITEM, WPARAM(record.TypeRead >> 1), LPARAM(record.Id));
}
