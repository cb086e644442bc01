// WSAAsyncSelect: the sockets with selected events are watched by socket
// notifiers in the GUI application's event loop, which turn readiness into the
// selected messages following Windows' re-enabling rules.
#include <QCoreApplication>
#include <QObject>
#include <QSocketNotifier>
#include <QThread>

#include <unordered_map>
#include <vector>

#include "platform/win/Messages.h"
#include "platform/win/SocketRecord.h"
#include "platform/win/Window.h"

namespace win {
namespace {

struct PendingEvent {
    HWND hwnd;
    UINT msg;
    SOCKET s;
    LONG event;
    int error;
};
using Events = std::vector<PendingEvent>;

// Notes an event decided under the lock, to be posted after it.
void Note(Events &out, const SocketRecord &rec, LONG event, int error)
{
    if (rec.events & event)
        out.push_back({rec.hwnd, rec.msg, rec.handle, event, error});
}

void PostAll(const Events &events)
{
    for (const PendingEvent &e : events)
        PostSocketEvent(e.hwnd, e.msg, e.s, e.event, e.error);
}

// The connect's outcome: FD_CONNECT with its error, then FD_WRITE when it worked.
// Under the lock.
void ConnectEnded(SocketRecord &rec, int error, Events &out)
{
    rec.connecting = false;
    Note(out, rec, FD_CONNECT, error);
    if (error) {
        // A failed connection has nothing more to report.
        rec.closeSeen = true;
        rec.closePosted = true;
        return;
    }
    rec.established = true;
    rec.writeWanted = false;
    Note(out, rec, FD_WRITE, 0);
}

class SocketWatcher : public QObject {
public:
    // Makes the notifiers of the socket match its state; on the watcher's thread.
    void Sync(const std::shared_ptr<SocketRecord> &rec);

private:
    struct Watch {
        std::shared_ptr<SocketRecord> rec;
        QSocketNotifier *read = nullptr;
        QSocketNotifier *write = nullptr;
    };

    void SetNotifier(QSocketNotifier *&n, QSocketNotifier::Type type, bool on, const SocketRecord &rec);
    void OnReadable(SOCKET s);
    void OnWritable(SOCKET s);

    std::unordered_map<SOCKET, Watch> watches_;
};

std::mutex watcherLock;
SocketWatcher *watcher = nullptr;

// The watcher, made in the GUI application's thread on first use; false when
// there is no application.
bool EnsureWatcher()
{
    std::lock_guard<std::mutex> guard(watcherLock);
    if (watcher)
        return true;
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return false;
    watcher = new SocketWatcher;
    if (watcher->thread() != app->thread())
        watcher->moveToThread(app->thread());
    QObject::connect(app, &QObject::destroyed, [] {
        std::lock_guard<std::mutex> g(watcherLock);
        delete watcher;
        watcher = nullptr;
    });
    return true;
}

// Brings the watch of the socket up to date: at once on the watcher's thread,
// else through its event loop.
void RequestSync(const std::shared_ptr<SocketRecord> &rec)
{
    SocketWatcher *w;
    {
        std::lock_guard<std::mutex> guard(watcherLock);
        w = watcher;
        if (!w)
            return;
        if (QThread::currentThread() != w->thread()) {
            QMetaObject::invokeMethod(w, [w, rec] { w->Sync(rec); }, Qt::QueuedConnection);
            return;
        }
    }
    w->Sync(rec);
}

void SocketWatcher::SetNotifier(QSocketNotifier *&n, QSocketNotifier::Type type, bool on,
                                const SocketRecord &rec)
{
    if (!n) {
        if (!on)
            return;
        n = new QSocketNotifier(rec.fd, type, this);
        const SOCKET s = rec.handle;
        if (type == QSocketNotifier::Read)
            QObject::connect(n, &QSocketNotifier::activated, this, [this, s] { OnReadable(s); });
        else
            QObject::connect(n, &QSocketNotifier::activated, this, [this, s] { OnWritable(s); });
        return;
    }
    if (n->isEnabled() != on)
        n->setEnabled(on);
}

void SocketWatcher::Sync(const std::shared_ptr<SocketRecord> &rec)
{
    bool keep;
    bool wantRead;
    bool wantWrite;
    {
        std::lock_guard<std::mutex> guard(SocketLock());
        keep = !rec->closed && rec->events != 0;
        // A stream socket is read only once connected: before that the system
        // reports it as hung up.
        wantRead = keep && !rec->connecting && (rec->established || !rec->stream) && !rec->readPosted &&
                   !rec->closeSeen && (rec->events & (FD_READ | FD_CLOSE)) != 0;
        wantWrite = keep && (rec->connecting || (rec->writeWanted && (rec->events & FD_WRITE) != 0));
        rec->watched = keep;
    }
    auto it = watches_.find(rec->handle);
    if (!keep) {
        if (it == watches_.end())
            return;
        // Disabled at once, so that the descriptor is no longer polled when the
        // record closes it; deleted later, as the call may come from its signal.
        for (QSocketNotifier *n : {it->second.read, it->second.write}) {
            if (n) {
                n->setEnabled(false);
                n->deleteLater();
            }
        }
        watches_.erase(it);
        return;
    }
    if (it == watches_.end())
        it = watches_.emplace(rec->handle, Watch{rec}).first;
    SetNotifier(it->second.read, QSocketNotifier::Read, wantRead, *rec);
    SetNotifier(it->second.write, QSocketNotifier::Write, wantWrite, *rec);
}

void SocketWatcher::OnReadable(SOCKET s)
{
    auto it = watches_.find(s);
    if (it == watches_.end())
        return;
    std::shared_ptr<SocketRecord> rec = it->second.rec;
    int error = 0;
    const ReadState state = ProbeReadable(*rec, &error);
    Events out;
    {
        std::lock_guard<std::mutex> guard(SocketLock());
        if (!rec->closed && rec->events != 0) {
            if (state == ReadState::Data && !rec->readPosted) {
                // Without FD_READ selected the data still wait for recv before
                // the close can be noticed.
                rec->readPosted = true;
                Note(out, *rec, FD_READ, 0);
            } else if (state == ReadState::Closed) {
                rec->closeSeen = true;
                rec->closeError = error;
                if (!rec->closePosted && (rec->events & FD_CLOSE)) {
                    rec->closePosted = true;
                    Note(out, *rec, FD_CLOSE, error);
                }
            }
        }
    }
    PostAll(out);
    Sync(rec);
}

void SocketWatcher::OnWritable(SOCKET s)
{
    auto it = watches_.find(s);
    if (it == watches_.end())
        return;
    std::shared_ptr<SocketRecord> rec = it->second.rec;
    bool connecting;
    {
        std::lock_guard<std::mutex> guard(SocketLock());
        connecting = rec->connecting;
    }
    const int error = connecting ? TakeSocketError(*rec) : 0;
    Events out;
    {
        std::lock_guard<std::mutex> guard(SocketLock());
        if (!rec->closed && rec->events != 0) {
            if (rec->connecting) {
                ConnectEnded(*rec, error, out);
            } else if (rec->writeWanted) {
                rec->writeWanted = false;
                Note(out, *rec, FD_WRITE, 0);
            }
        }
    }
    PostAll(out);
    Sync(rec);
}

} // namespace

void PostSocketEvent(HWND hwnd, UINT msg, SOCKET s, LONG event, int error)
{
    PostMessageA(hwnd, msg, static_cast<WPARAM>(s),
                 WSAMAKESELECTREPLY(static_cast<WORD>(event), static_cast<WORD>(error)));
}

bool OnWatcherThread()
{
    std::lock_guard<std::mutex> guard(watcherLock);
    return watcher && QThread::currentThread() == watcher->thread();
}

void AsyncAfterReceive(const std::shared_ptr<SocketRecord> &rec)
{
    {
        std::lock_guard<std::mutex> guard(SocketLock());
        if (!rec->readPosted)
            return;
        if (rec->closed || rec->events == 0) {
            rec->readPosted = false;
            return;
        }
    }
    const bool more = HasPendingData(*rec);
    Events out;
    {
        std::lock_guard<std::mutex> guard(SocketLock());
        if (!rec->readPosted || rec->closed)
            return;
        if (!more)
            rec->readPosted = false;
        else
            Note(out, *rec, FD_READ, 0);
    }
    if (more)
        PostAll(out);
    else
        RequestSync(rec);
}

void AsyncAfterBlockedSend(const std::shared_ptr<SocketRecord> &rec)
{
    {
        std::lock_guard<std::mutex> guard(SocketLock());
        if (rec->writeWanted)
            return;
        rec->writeWanted = true;
        if (rec->closed || (rec->events & FD_WRITE) == 0)
            return;
    }
    RequestSync(rec);
}

void AsyncConnectStarted(const std::shared_ptr<SocketRecord> &rec, int error)
{
    Events out;
    {
        std::lock_guard<std::mutex> guard(SocketLock());
        rec->connecting = true;
        rec->readPosted = false;
        rec->closeSeen = false;
        rec->closePosted = false;
        if (error >= 0)
            ConnectEnded(*rec, error, out);
    }
    PostAll(out);
    RequestSync(rec);
}

void AsyncForget(const std::shared_ptr<SocketRecord> &rec) { RequestSync(rec); }

int WSAAsyncSelect(SOCKET s, HWND hwnd, UINT msg, LONG events)
{
    std::shared_ptr<SocketRecord> rec = FindSocket(s);
    if (!rec)
        return SOCKET_ERROR;
    if (events != 0) {
        if (!IsWindow(hwnd)) {
            WSASetLastError(WSAEINVAL);
            return SOCKET_ERROR;
        }
        if (!EnsureWatcher()) {
            WSASetLastError(WSAENETDOWN);
            return SOCKET_ERROR;
        }
    }
    const bool connected = rec->stream && IsConnected(*rec);
    Events out;
    {
        std::lock_guard<std::mutex> guard(SocketLock());
        rec->hwnd = hwnd;
        rec->msg = msg;
        rec->events = events;
        rec->nonBlocking = true;
        // Conditions already met are reported anew: waiting data by FD_READ, a
        // connected socket by FD_WRITE, an ended connection by FD_CLOSE.
        rec->readPosted = false;
        if (connected)
            rec->established = true;
        rec->writeWanted = connected && !rec->connecting;
        if (rec->closeSeen && !rec->closePosted && (events & FD_CLOSE)) {
            rec->closePosted = true;
            Note(out, *rec, FD_CLOSE, rec->closeError);
        }
    }
    PostAll(out);
    RequestSync(rec);
    return 0;
}

} // namespace win
