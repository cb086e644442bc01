// A listener double for the session tests: keeps every notification as a line
// of text, the status texts apart, and lets a test act inside a notification.
#pragma once

#include <QCoreApplication>
#include <QEventLoop>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/win/GuiApplication.h"

#include "consign/session/RecordLists.h"
#include "consign/session/SessionListener.h"

class RecordingListener : public CSessionListener {
public:
    void ShowStatusText(win::LPCSTR text) override { status.push_back(text); }
    void ShowMessageLine(win::LPCSTR text) override { Note("line", text); }
    void SetMainTitle(win::LPCSTR text) override { Note("title", text); }
    void ShowInformation(const win::BYTE *, int length, bool manual) override
    {
        Note("information", std::to_string(length) + (manual ? " manual" : " system"));
    }
    void ShowErrorInformation(win::LPCSTR text) override { Note("error", text); }
    void ShowExchangeState(win::LPCSTR text) override { Note("exchange", text); }
    void RefreshList(SessionList list) override { Note("refresh", std::to_string(static_cast<int>(list))); }
    void OnOrderAnswer(const COrderRecord &order) override { Note("order", std::to_string(order.orderNumber)); }
    void OnOrderRejected(const COrderRecord &order, win::LPCSTR text) override
    {
        Note("rejected", std::to_string(order.orderNumber) + " " + text);
    }
    void OnCancelReport(const COrderRecord &order) override { Note("report", std::to_string(order.orderNumber)); }
    void OnDealReport(win::BYTE *) override { Note("deal", ""); }
    void AddFailedBatchOrder(const COrderRecord &order) override { Note("preorder", std::string(order.customer, 10).c_str()); }
    void OnQuote(const win::BYTE *record) override { Note("quote", record ? "ok" : "failed"); }
    void SetPositionText(win::LPCSTR text) override { Note("position", text); }
    void FillCustomerBox(const std::vector<win::CString> &texts, bool first, bool last) override
    {
        Note("customers", std::to_string(texts.size()) + (first ? " first" : "") + (last ? " last" : ""));
    }
    void ShowTransferResult(win::LPCSTR text) override { Note("transfer", text); }
    void ShowBankInfo(win::LPCSTR text) override { Note("bank", text); }
    void SetWithdrawableFunds(win::LPCSTR text) override { Note("withdrawable", text); }
    void ShowClientName(win::LPCSTR text) override { Note("name", text); }
    void EnableReconnectItem(bool enable) override { Note("reconnect-item", enable ? "on" : "off"); }
    void StartReconnectTimer(win::UINT elapse) override { Note("timer", std::to_string(elapse)); }
    void StopReconnectTimer() override { Note("timer", "stop"); }

    // How many notifications of `kind` (with `detail`, when given) were made.
    int Count(const std::string &kind, const std::string &detail = std::string()) const
    {
        int n = 0;
        for (const auto &[k, d] : events)
            n += k == kind && (detail.empty() || d == detail);
        return n;
    }

    std::vector<std::string> status;
    std::vector<std::pair<std::string, std::string>> events;
    // Runs inside every notification, as a page's code would.
    std::function<void(const std::string &kind)> during;

private:
    void Note(const std::string &kind, const std::string &detail)
    {
        events.emplace_back(kind, detail);
        if (during)
            during(kind);
    }
};

// The GUI thread's application, made once for all the tests of the folder.
inline void EnsureGui()
{
    static int argc = 1;
    static char name[] = "test_consign_session";
    static char *argv[] = {name, nullptr};
    static auto *app = new win::GuiApplication(argc, argv);
    (void)app;
}

// Runs the GUI thread's messages until `done` holds or 5 seconds have passed.
inline bool PumpUntil(const std::function<bool()> &done)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Runs the GUI thread's messages for `ms` milliseconds.
inline void PumpFor(int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}
