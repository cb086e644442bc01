// The "SysDateTimePick32" window class on a QDateTimeEdit: the date (or the time
// with DTS_TIMEFORMAT) as a SYSTEMTIME, a custom display format, and
// DTN_DATETIMECHANGE to the parent when the user changes it.
#include <QDateTimeEdit>

#include "platform/appframe/NativeControl.h"
#include "platform/appframe/StandardControls.h"
#include "platform/appframe/WindowCreation.h"
#include "platform/forms/WindowHost.h"

namespace win {

namespace {

// A Windows picture format ("yyyy'-'MM'-'dd", "HH:mm:ss") in Qt's notation; the
// letters the two share mean the same.
QString QtFormat(const std::string &format)
{
    QString out;
    bool quoted = false;
    for (char c : format) {
        if (c == '\'') {
            quoted = !quoted;
            out.append(QChar(u'\''));
            continue;
        }
        if (!quoted && c == 't') {
            out.append(QChar(u'a'));
            continue;
        }
        out.append(QtText(std::string(1, c)));
    }
    return out;
}

SYSTEMTIME ToSystemTime(const QDateTime &dt)
{
    SYSTEMTIME st{};
    QDate d = dt.date();
    QTime t = dt.time();
    st.wYear = static_cast<WORD>(d.year());
    st.wMonth = static_cast<WORD>(d.month());
    st.wDayOfWeek = static_cast<WORD>(d.dayOfWeek() % 7);
    st.wDay = static_cast<WORD>(d.day());
    st.wHour = static_cast<WORD>(t.hour());
    st.wMinute = static_cast<WORD>(t.minute());
    st.wSecond = static_cast<WORD>(t.second());
    st.wMilliseconds = static_cast<WORD>(t.msec());
    return st;
}

class DateTimeControl : public NativeControl {
public:
    QWidget *CreateWidget(QWidget *parent, const CREATESTRUCTA &cs) override
    {
        edit_ = new QDateTimeEdit(QDateTime::currentDateTime(), parent);
        bool time = (static_cast<DWORD>(cs.style) & DTS_TIMEFORMAT) == DTS_TIMEFORMAT;
        edit_->setDisplayFormat(time ? QStringLiteral("HH:mm:ss") : QStringLiteral("yyyy-MM-dd"));
        edit_->setCalendarPopup(!time && !(static_cast<DWORD>(cs.style) & DTS_UPDOWN));
        QObject::connect(edit_, &QDateTimeEdit::dateTimeChanged, edit_, [this](const QDateTime &dt) {
            if (quiet_)
                return;
            HWND parent = Parent();
            if (!parent)
                return;
            NMDATETIMECHANGE nm{};
            nm.nmhdr = NMHDR{hwnd, Id(), DTN_DATETIMECHANGE};
            nm.dwFlags = static_cast<DWORD>(GDT_VALID);
            nm.st = ToSystemTime(dt);
            SendMessageA(parent, WM_NOTIFY, Id(), reinterpret_cast<LPARAM>(&nm));
        });
        return edit_;
    }

    std::string Text() const override { return edit_ ? GbkText(edit_->text()) : title_; }
    void SetText(const std::string &) override {}
    LRESULT DialogCode(WPARAM) const override { return DLGC_WANTARROWS | DLGC_WANTCHARS; }
    UINT CtlColorMessage() const override { return WM_CTLCOLOREDIT; }

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        switch (msg) {
        case DTM_GETSYSTEMTIME:
            if (!lParam)
                return GDT_ERROR;
            *reinterpret_cast<SYSTEMTIME *>(lParam) = ToSystemTime(edit_->dateTime());
            return GDT_VALID;
        case DTM_SETSYSTEMTIME: {
            if (wParam != GDT_VALID || !lParam)
                return FALSE;
            const auto &st = *reinterpret_cast<const SYSTEMTIME *>(lParam);
            QDate d(st.wYear, st.wMonth, st.wDay);
            QTime t(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
            if (!d.isValid() || !t.isValid())
                return FALSE;
            quiet_ = true;
            edit_->setDateTime(QDateTime(d, t));
            quiet_ = false;
            return TRUE;
        }
        case DTM_SETFORMATA:
            if (lParam)
                edit_->setDisplayFormat(QtFormat(reinterpret_cast<const char *>(lParam)));
            return TRUE;
        default:
            return NativeControl::WndProc(msg, wParam, lParam);
        }
    }

private:
    QDateTimeEdit *edit_ = nullptr;
    bool quiet_ = false;
};

} // namespace

void RegisterDateTimeControl()
{
    RegisterWidgetClass("SysDateTimePick32", NativeControlProc<DateTimeControl>, 0);
}

} // namespace win
