#include "chatdesk/ui/ChatResources.h"

#include <cmath>
#include <cstring>
#include <string>

#include "chatdesk/ui/ChatUiIds.h"
#include "platform/appframe/AfxMessages.h"
#include "platform/appframe/CWinApp.h"
#include "platform/appframe/CMenu.h"
#include "platform/appframe/DialogTemplate.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Resources.h"
#include "platform/win/CString.h"
#include "platform/win/File.h"
#include "platform/win/Handle.h"
#include "platform/win/ResourceData.h"
#include "platform/win/Window.h"

using namespace win;

namespace chatui {

namespace {

constexpr const char *kSound = ".\\MsgNtfy.wav";
constexpr const char *kSoundPart = ".\\MsgNtfy.wav.part";

// A picture drawn in code: 0x00RRGGBB pixels, rows from the top.
struct Picture {
    int w, h;
    std::vector<DWORD> px;
    Picture(int width, int height, DWORD fill) : w(width), h(height), px(size_t(width) * size_t(height), fill) {}
    void Set(int x, int y, DWORD c)
    {
        if (x >= 0 && y >= 0 && x < w && y < h)
            px[size_t(y) * size_t(w) + size_t(x)] = c;
    }
    void Fill(int l, int t, int r, int b, DWORD c)
    {
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x)
                Set(x, y, c);
    }
    void Disc(double cx, double cy, double radius, DWORD c)
    {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if ((x + 0.5 - cx) * (x + 0.5 - cx) + (y + 0.5 - cy) * (y + 0.5 - cy) <= radius * radius)
                    Set(x, y, c);
    }
    void Enter(WORD id) const { RegisterBitmapResource(MAKEINTRESOURCEA(id), w, h, px.data()); }
};

constexpr DWORD Rgb(int r, int g, int b)
{
    return DWORD(r) << 16 | DWORD(g) << 8 | DWORD(b);
}

constexpr DWORD kKey = Rgb(255, 0, 255);
constexpr DWORD kCaptionDark = Rgb(30, 110, 210);
constexpr DWORD kCaptionLight = Rgb(70, 150, 240);
constexpr DWORD kEdge = Rgb(36, 103, 194);
constexpr DWORD kBody = Rgb(93, 184, 255);

// The caption band shades from light at the top to dark, 26 rows; the sides
// and the foot are 6 pixels of the pane blue with a dark outer line.
DWORD CaptionRow(int y)
{
    const int r = 70 - y * 40 / 25, g = 150 - y * 40 / 25, b = 240 - y * 30 / 25;
    return Rgb(r, g, b);
}

void EnterFrame()
{
    Picture top(1, 26, 0);
    for (int y = 0; y < 26; ++y)
        top.Set(0, y, y == 0 ? kEdge : CaptionRow(y));
    top.Enter(IDB_FRAME_TOP);
    Picture left(6, 1, kBody), right(6, 1, kBody), bottom(1, 6, kBody);
    left.Set(0, 0, kEdge);
    right.Set(5, 0, kEdge);
    bottom.Set(0, 5, kEdge);
    left.Enter(IDB_FRAME_LEFT);
    right.Enter(IDB_FRAME_RIGHT);
    bottom.Enter(IDB_FRAME_BOTTOM);
    for (WORD id : {IDB_FRAME_TL, IDB_FRAME_TR}) {
        Picture corner(8, 26, 0);
        for (int y = 0; y < 26; ++y)
            for (int x = 0; x < 8; ++x)
                corner.Set(x, y, y == 0 ? kEdge : CaptionRow(y));
        const int outer = id == IDB_FRAME_TL ? 0 : 7;
        for (int y = 0; y < 26; ++y)
            corner.Set(outer, y, kEdge);
        corner.Enter(id);
    }
    for (WORD id : {IDB_FRAME_BL, IDB_FRAME_BR}) {
        Picture corner(8, 6, kBody);
        corner.Fill(0, 5, 8, 6, kEdge);
        corner.Fill(id == IDB_FRAME_BL ? 0 : 7, 0, id == IDB_FRAME_BL ? 1 : 8, 6, kEdge);
        corner.Enter(id);
    }
}

// The three system buttons, 15 × 15: a light face with a glyph; darker when
// pressed.
void EnterSystemButtons()
{
    for (int pressed = 0; pressed < 2; ++pressed) {
        const DWORD face = pressed ? Rgb(40, 99, 157) : Rgb(130, 199, 255);
        const DWORD ink = Rgb(255, 255, 255);
        Picture close(15, 15, face), max(15, 15, face), min(15, 15, face);
        for (Picture *p : {&close, &max, &min}) {
            p->Fill(0, 0, 15, 1, kEdge);
            p->Fill(0, 14, 15, 15, kEdge);
            p->Fill(0, 0, 1, 15, kEdge);
            p->Fill(14, 0, 15, 15, kEdge);
        }
        for (int i = 4; i <= 10; ++i) {
            close.Set(i, i, ink);
            close.Set(i + 1, i, ink);
            close.Set(14 - i, i, ink);
            close.Set(13 - i, i, ink);
        }
        max.Fill(4, 4, 11, 6, ink);
        max.Fill(4, 4, 5, 11, ink);
        max.Fill(10, 4, 11, 11, ink);
        max.Fill(4, 10, 11, 11, ink);
        min.Fill(4, 9, 11, 11, ink);
        close.Enter(WORD(IDB_CLOSE + pressed));
        max.Enter(WORD(IDB_MAX + pressed));
        min.Enter(WORD(IDB_MIN + pressed));
    }
}

// A person: a head and shoulders on the transparent colour.
void EnterUserIcon(WORD id, DWORD body, DWORD head)
{
    Picture p(24, 24, kKey);
    p.Disc(12, 20, 9, body);
    p.Fill(0, 22, 24, 24, kKey);
    p.Disc(12, 8.5, 5.5, head);
    p.Enter(id);
}

void EnterPanePictures()
{
    Picture banner(23, 24, 0), bannerLeft(4, 24, 0), bannerRight(4, 24, 0);
    for (int y = 0; y < 24; ++y) {
        const DWORD c = Rgb(150 - y * 2, 210 - y, 255);
        for (Picture *p : {&banner, &bannerLeft, &bannerRight})
            for (int x = 0; x < p->w; ++x)
                p->Set(x, y, c);
    }
    bannerLeft.Fill(0, 0, 1, 24, kEdge);
    bannerRight.Fill(3, 0, 4, 24, kEdge);
    for (Picture *p : {&banner, &bannerLeft, &bannerRight})
        p->Fill(0, 0, p->w, 1, kEdge);
    banner.Enter(IDB_BANNER_TILE);
    bannerLeft.Enter(IDB_BANNER_LEFT);
    bannerRight.Enter(IDB_BANNER_RIGHT);

    Picture inputLeft(6, 6, Rgb(93, 184, 255)), inputRight(6, 6, Rgb(93, 184, 255));
    inputLeft.Fill(0, 0, 1, 6, kEdge);
    inputLeft.Fill(0, 5, 6, 6, kEdge);
    inputRight.Fill(5, 0, 6, 6, kEdge);
    inputRight.Fill(0, 5, 6, 6, kEdge);
    inputLeft.Enter(IDB_INPUT_BL);
    inputRight.Enter(IDB_INPUT_BR);

    const struct {
        WORD id;
        DWORD colour;
    } states[] = {{IDB_STATUS_OFFLINE, Rgb(150, 150, 150)},
                  {IDB_STATUS_ONLINE, Rgb(40, 190, 60)},
                  {IDB_STATUS_BUSY, Rgb(220, 50, 40)},
                  {IDB_STATUS_AWAY, Rgb(240, 180, 20)}};
    for (const auto &s : states) {
        Picture p(15, 8, kKey);
        p.Disc(4, 4, 3.6, s.colour);
        p.Fill(9, 3, 14, 5, s.colour);
        p.Enter(s.id);
    }

    EnterUserIcon(IDB_STAFF, Rgb(30, 100, 200), Rgb(255, 214, 170));
    EnterUserIcon(IDB_CLIENT, Rgb(40, 160, 70), Rgb(255, 214, 170));
    EnterUserIcon(IDB_STAFF_OFFLINE, Rgb(130, 130, 150), Rgb(200, 200, 200));
    EnterUserIcon(IDB_CLIENT_OFFLINE, Rgb(140, 150, 140), Rgb(200, 200, 200));

    Picture search(18, 18, kKey);
    search.Disc(7.5, 7.5, 6, Rgb(36, 103, 194));
    search.Disc(7.5, 7.5, 4, Rgb(220, 240, 255));
    for (int i = 11; i < 17; ++i) {
        search.Set(i, i, Rgb(36, 103, 194));
        search.Set(i + 1, i, Rgb(36, 103, 194));
        search.Set(i, i + 1, Rgb(36, 103, 194));
    }
    search.Enter(IDB_SEARCH);

    // The unread mark: a letter in two shades.
    for (int k = 0; k < 2; ++k) {
        Picture mail(16, 16, kKey);
        const DWORD paper = k ? Rgb(255, 200, 40) : Rgb(255, 250, 210);
        mail.Fill(1, 3, 15, 13, Rgb(160, 100, 0));
        mail.Fill(2, 4, 14, 12, paper);
        for (int i = 0; i < 6; ++i) {
            mail.Set(2 + i, 4 + i, Rgb(160, 100, 0));
            mail.Set(13 - i, 4 + i, Rgb(160, 100, 0));
        }
        mail.Enter(WORD(IDB_UNREAD_A + k));
    }

    Picture icon(16, 16, kKey);
    icon.Disc(8, 7, 7, Rgb(255, 255, 255));
    icon.Disc(8, 7, 6, Rgb(40, 160, 240));
    for (int i = 0; i < 4; ++i)
        icon.Fill(3 + i, 12 + i, 6 + i, 13 + i, Rgb(40, 160, 240));
    icon.Fill(5, 6, 7, 8, Rgb(255, 255, 255));
    icon.Fill(9, 6, 11, 8, Rgb(255, 255, 255));
    icon.Enter(IDB_CAPTION_ICON);
}

// A 24-bit BMP of 32 × 32 pixels for the window icon.
std::vector<uint8_t> IconFile()
{
    const int n = 32;
    std::vector<uint8_t> f(54 + n * n * 3, 0);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&f[at], &v, 4); };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, uint32_t(f.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, n);
    put32(22, n);
    f[26] = 1;
    f[28] = 24;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const double dx = x - 15.5, dy = (n - 1 - y) - 14.5;
            const bool inside = dx * dx + dy * dy < 14 * 14;
            uint8_t *p = &f[54 + size_t(y * n + x) * 3];
            p[0] = inside ? 240 : 255;
            p[1] = inside ? 160 : 255;
            p[2] = inside ? 40 : 255;
        }
    return f;
}

std::vector<uint8_t> MakeWave()
{
    const int rate = 8000, count = rate * 3 / 10;
    std::vector<uint8_t> f(44 + size_t(count));
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&f[at], &v, 4); };
    auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&f[at], &v, 2); };
    std::memcpy(&f[0], "RIFF", 4);
    put32(4, uint32_t(f.size() - 8));
    std::memcpy(&f[8], "WAVEfmt ", 8);
    put32(16, 16);
    put16(20, 1);
    put16(22, 1);
    put32(24, rate);
    put32(28, rate);
    put16(32, 1);
    put16(34, 8);
    std::memcpy(&f[36], "data", 4);
    put32(40, uint32_t(count));
    for (int i = 0; i < count; ++i) {
        const double t = double(i) / rate;
        const double tone = i < count / 2 ? 880.0 : 660.0;
        const double fade = 1.0 - double(i) / count;
        f[44 + size_t(i)] = uint8_t(128 + 90 * fade * std::sin(2 * M_PI * tone * t));
    }
    return f;
}

// Dialog templates: the panes' controls; the windows place them in pixels
// when they are sized.
// The main window's parts are made in code when it is created.
const DialogTemplate kMain = {WS_POPUP | WS_CLIPCHILDREN | DS_SETFONT, 0, 0, 0, 300, 240, "", nullptr, 0, nullptr,
                              0};

const DialogItemTemplate kTranscriptItems[] = {
    {"Edit", IDC_EDIT, 4, 18, 180, 100,
     ES_MULTILINE | ES_READONLY | WS_VSCROLL | ES_AUTOVSCROLL | ES_NOHIDESEL | ES_WANTRETURN, 0, ""},
};
const DialogTemplate kTranscript = {WS_CHILD | DS_CONTROL | DS_SETFONT | WS_CLIPCHILDREN, 0, 0, 0, 190, 120, "",
                                    nullptr, 0, kTranscriptItems, 1};

const DialogItemTemplate kInputItems[] = {
    {"Edit", IDC_EDIT, 4, 2, 180, 30, ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | ES_WANTRETURN | WS_TABSTOP, 0,
     ""},
    {"Button", IDC_SEND, 140, 34, 44, 14, BS_OWNERDRAW | WS_TABSTOP, 0, "发送(&S)"},
};
const DialogTemplate kInput = {WS_CHILD | DS_CONTROL | DS_SETFONT | WS_CLIPCHILDREN, 0, 0, 0, 190, 50, "", nullptr,
                               0, kInputItems, 2};

const DialogItemTemplate kUserListItems[] = {
    {"Edit", IDC_EDIT, 0, 0, 60, 12, ES_AUTOHSCROLL | WS_TABSTOP, 0, ""},
    {"Button", IDC_SEARCH, 62, 0, 12, 12, BS_OWNERDRAW | WS_TABSTOP, 0, ""},
};
const DialogTemplate kUserList = {WS_CHILD | DS_CONTROL | DS_SETFONT | WS_CLIPCHILDREN, 0, 0, 0, 80, 120, "",
                                  nullptr, 0, kUserListItems, 2};

const MenuTemplateItem kMenu[] = {
    {0, MF_POPUP, 0, "设置(&O)"},
    {1, MF_STRING, ID_CONNECT, "连接主站(&C)"},
    {1, MF_SEPARATOR, 0, nullptr},
    {1, MF_STRING, ID_NOTIFY, "消息提醒(&N)"},
};

} // namespace

bool ExtractNotifySound()
{
    const HRSRC found = FindResourceA(0, MAKEINTRESOURCEA(IDR_NOTIFY_WAVE), kNotifyWaveType);
    const HGLOBAL loaded = found ? LoadResource(0, found) : 0;
    const void *bytes = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = found ? SizeofResource(0, found) : 0;
    if (!bytes || size == 0)
        return false;
    // Written under another name and renamed when whole, so that a failed write
    // never leaves a cut sound file that would then be kept for good.
    const HANDLE file =
        CreateFileA(kSoundPart, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_FLAG_SEQUENTIAL_SCAN, 0);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool whole = WriteFile(file, bytes, size, &written, nullptr) && written == size;
    const bool closed = CloseHandle(file) != FALSE;
    if (!whole || !closed || !MoveFileExA(kSoundPart, kSound, MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(kSoundPart);
        return false;
    }
    return true;
}

const std::vector<uint8_t> &NotifyWaveBytes()
{
    static const std::vector<uint8_t> wave = MakeWave();
    return wave;
}

void RegisterChatResources()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterDialogResource(IDD_CHAT_MAIN, kMain);
    RegisterDialogResource(IDD_TRANSCRIPT, kTranscript);
    RegisterDialogResource(IDD_INPUT, kInput);
    RegisterDialogResource(IDD_USERLIST, kUserList);
    RegisterMenuResource(IDR_CHAT_MENU, kMenu, int(sizeof kMenu / sizeof kMenu[0]));
    RegisterStringResource(IDS_SOCKETS_FAILED, "Windows 通信端口初始化失败。");
    RegisterStringResource(IDS_PRODUCT, "在线服务");
    EnterFrame();
    EnterSystemButtons();
    EnterPanePictures();
    static const std::vector<uint8_t> icon = IconFile();
    RegisterIconResource(kIconName, icon.data(), icon.size());
    const std::vector<uint8_t> &wave = NotifyWaveBytes();
    RegisterDataResource(kNotifyWaveType, MAKEINTRESOURCEA(IDR_NOTIFY_WAVE), wave.data(), wave.size());
}

SIZE PictureSize(WORD id)
{
    HBITMAP picture = LoadBitmapA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(id));
    BITMAP info{};
    if (picture) {
        GetObjectA(picture, sizeof info, &info);
        DeleteObject(picture);
    }
    return SIZE{info.bmWidth, info.bmHeight};
}

void DrawPicture(CDC &dc, WORD id, int x, int y, int w, int h, bool transparent)
{
    HBITMAP picture = LoadBitmapA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(id));
    if (!picture)
        return;
    BITMAP info{};
    GetObjectA(picture, sizeof info, &info);
    CDC memory;
    memory.CreateCompatibleDC(&dc);
    HGDIOBJ old = SelectObject(memory.GetSafeHdc(), picture);
    const int width = w < 0 ? info.bmWidth : w, height = h < 0 ? info.bmHeight : h;
    if (transparent)
        dc.TransparentBlt(x, y, width, height, &memory, 0, 0, info.bmWidth, info.bmHeight, kMagenta);
    else if (width == info.bmWidth && height == info.bmHeight)
        dc.BitBlt(x, y, width, height, &memory, 0, 0, SRCCOPY);
    else
        dc.StretchBlt(x, y, width, height, &memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(memory.GetSafeHdc(), old);
    DeleteObject(picture);
}

} // namespace chatui
