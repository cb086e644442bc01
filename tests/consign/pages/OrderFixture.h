// The order client's main sheet against the simulated trade gateway, for the
// tests of the order entry, pre-order and batch settings pages: a login as a
// trader (or a customer), the sheet with its thirteen pages as the session's
// listener, the day's enciphered log, and what the gateway received.
#pragma once

#include <QWidget>

#include <cstring>
#include <string>
#include <vector>

#include "consign/pages/BatchOrder.h"
#include "consign/pages/CConsignDlg.h"
#include "consign/pages/OrderListUpdates.h"
#include "consign/pages/PreOrderStore.h"
#include "consign/session/Des.h"
#include "platform/appframe/CommCtrl.h"
#include "platform/forms/TCommonDialog.h"
#include "platform/forms/WindowHost.h"
#include "platform/win/CAsyncSocket.h"
#include "platform/win/Profile.h"
#include "tests/consign/pages/PagesFixture.h"
#include "tests/support/GatewayPeer.h"
#include "tests/support/MiniJson.h"

namespace pagestest {

// A packet the gateway received: its marker and its deciphered body.
struct ReceivedPacket {
    char marker = 0;
    std::string body;
    int32_t Number(size_t at) const // big-endian
    {
        const auto *b = reinterpret_cast<const unsigned char *>(body.data() + at);
        return static_cast<int32_t>(uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3]);
    }
    std::string Text(size_t at, size_t width) const
    {
        const std::string field = body.substr(at, width);
        return field.substr(0, field.find('\0'));
    }
};

class OrderFixture : public PagesFixture {
protected:
    void SetUp() override
    {
        PagesFixture::SetUp();
        ASSERT_EQ(DesInit(0), 0);
        ASSERT_TRUE(win::AfxSocketInit());
        win::RecordDialogs(true);
        ClearRecordLists();
        RejectedOrderList.clear();
        PreOrderList.clear();
        LocalOrderNumber = 1;
        BatchSequenceNumber = 1;
        std::memset(&CmdLineRecord, 0, sizeof CmdLineRecord);
        std::memset(&LoginConnection, 0, sizeof LoginConnection);
    }
    void TearDown() override
    {
        CTradeSession &s = TheTradeSession();
        s.m_pListener = nullptr;
        s.Close();
        s.m_bLoggedIn = 0;
        if (sheet) {
            if (sheet->m_hWnd)
                sheet->DestroyWindow();
            delete sheet;
            sheet = nullptr;
        }
        ConsignLog().Close();
        gateway.Stop();
        win::RecordDialogs(false);
        PagesFixture::TearDown();
    }

    // Settings lines under [Config] and other sections, then the start settings
    // read from the file as the program reads them.
    void Settings(const std::string &text)
    {
        WriteFile(settings, text);
        ReadStartSettings(settings.c_str(), StartSettings);
    }

    // Starts the gateway, logs in and opens the sheet, waiting for the
    // customers (trader) and the contracts.
    void Open(const char *account = "8001", const char *password = "123456", win::BYTE kind = 1)
    {
        if (StartSettings.keyBuy == 0)
            Settings("[Config]\r\nClearAllAfterOrder=0\r\n");
        ASSERT_TRUE(gateway.StartGateway({"--control", "0"}, "gateway.log"));
        ClientMode = kind;
        LoginAccount = account;
        CTradeSession &s = TheTradeSession();
        ASSERT_TRUE(s.Create());
        s.m_TargetAddress = "127.0.0.1";
        s.m_TargetPort = static_cast<win::UINT>(gateway.Port());
        win::CString rights, number;
        ASSERT_TRUE(s.Connect("127.0.0.1", static_cast<win::UINT>(gateway.Port()), nullptr, nullptr));
        ASSERT_TRUE(s.Login('*', kind, account, password, rights, number));
        RightsText = rights;
        if (kind == 7) {
            ASSERT_TRUE(s.QueryClientMode('*', nullptr));
        }
        ConsignLog().Open(CLogFile::TodayFileName());
        sheet = new CConsignDlg("委托测试");
        s.m_pListener = sheet;
        ASSERT_TRUE(sheet->Create(nullptr, win::WS_POPUP | win::WS_CAPTION | win::WS_SYSMENU | win::WS_VISIBLE));
        ASSERT_TRUE(PumpUntil([&] { return !ContractList.empty() && !ClientList.empty(); }));
        Pump(20);
    }

    COrderPage &Page() { return sheet->m_OrderPage; }

    static void Click(win::CWnd &page, int id)
    {
        page.SendMessage(win::WM_COMMAND, static_cast<win::WPARAM>(id) | (static_cast<win::WPARAM>(win::BN_CLICKED) << 16),
                         static_cast<win::LPARAM>(page.GetDlgItem(id)->m_hWnd));
    }
    static win::CString Text(win::CWnd &page, int id)
    {
        win::CString text;
        page.GetDlgItemText(id, text);
        return text;
    }
    // A key pressed in the focused control, through the program's pre-translation.
    static void Key(win::UINT key)
    {
        win::CWnd *focus = win::CWnd::GetFocus();
        ASSERT_NE(focus, nullptr);
        win::MSG msg{};
        msg.hwnd = focus->m_hWnd;
        msg.message = win::WM_KEYDOWN;
        msg.wParam = key;
        win::AfxPreTranslateMessage(&msg);
    }
    // The control id of the focus, 0 without one.
    static int FocusId()
    {
        win::CWnd *focus = win::CWnd::GetFocus();
        return focus ? focus->GetDlgCtrlID() : 0;
    }
    // The text of the sheet's status button.
    win::CString StatusButton() const
    {
        win::CString text;
        sheet->m_StatusButton.GetWindowText(text);
        return text;
    }

    // Every packet of `code` the gateway received, in order.
    static std::vector<ReceivedPacket> Received(int code)
    {
        std::vector<ReceivedPacket> packets;
        const std::string text = ReadFile("gateway.log");
        size_t at = 0;
        while (at < text.size()) {
            size_t end = text.find('\n', at);
            if (end == std::string::npos)
                end = text.size();
            const Json line = Json::Parse(text.substr(at, end - at));
            at = end + 1;
            if (line["dir"].text != "in" || line["code"].Int() != code)
                continue;
            ReceivedPacket p;
            p.marker = line["marker"].text.empty() ? 0 : line["marker"].text[0];
            const std::string &hex = line["body"].text;
            for (size_t i = 0; i + 1 < hex.size(); i += 2)
                p.body += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
            packets.push_back(p);
        }
        return packets;
    }
    // Waits until the gateway has received `count` packets of `code`.
    static bool WaitReceived(int code, size_t count)
    {
        return PumpUntil([&] { return Received(code).size() >= count; });
    }

    // The lines of today's log, deciphered.
    static std::string LogText()
    {
        ConsignLog().Flush();
        std::string logged = ReadFile(std::string("Log/") + static_cast<const char *>(CLogFile::TodayFileName()));
        DesSetKey(reinterpret_cast<const unsigned char *>(CLogFile::LOG_KEY));
        for (size_t at = 0; at + 8 <= logged.size(); at += 8)
            DesDecryptBlock(reinterpret_cast<unsigned char *>(&logged[at]));
        return logged;
    }

    static std::vector<std::string> BoxTexts()
    {
        std::vector<std::string> texts;
        for (const win::ShownMessageBox &box : win::ShownMessageBoxes())
            texts.push_back(box.text);
        return texts;
    }
    static std::string LastBox()
    {
        const auto texts = BoxTexts();
        return texts.empty() ? std::string() : texts.back();
    }

    // A batch group of the session's table from (customer, quantity) pairs.
    static std::list<CBatchMemberRecord> Group(std::initializer_list<std::pair<const char *, int>> members)
    {
        std::list<CBatchMemberRecord> group;
        int priority = 1;
        for (const auto &[customer, quantity] : members) {
            CBatchMemberRecord m{};
            std::memcpy(m.trader, "8001", 4);
            std::memcpy(m.customer, customer, std::strlen(customer));
            m.priority = static_cast<uint16_t>(priority++);
            m.quantity = static_cast<uint16_t>(quantity);
            group.push_back(m);
        }
        return group;
    }

    // Keeps a picture of the sheet in the test folder, for a person to look at.
    void KeepPicture(const char *name)
    {
        Pump(50);
        if (QWidget *widget = win::WindowWidget(sheet->m_hWnd))
            widget->grab().save(QString::fromStdString(std::string(LUMO_TEST_BINARY_DIR) + "/" + name));
    }

    ChildPeer gateway;
    CConsignDlg *sheet = nullptr;
};

} // namespace pagestest
