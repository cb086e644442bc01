// What the chat connection tells the chat windows: the transcript, the online and
// recent-contacts lists with their tab strip, the main window's state and
// raising, and the notice sound. The windows implement it; tests use a double.
#pragma once

#include <cstddef>

struct ChatUser;

// The lParam of WM_CHAT_NETSTATUS.
enum ChatNetStatus { ChatNetDisconnected = 0, ChatNetConnecting = 1, ChatNetConnected = 2, ChatNetListsChanged = 3 };

class CChatWindows {
public:
    virtual ~CChatWindows() = default;

    // Puts "\r\n" and then the `length` bytes of `text` at the end of the
    // transcript and scrolls the caret into view.
    virtual void AppendTranscript(const char *text, size_t length) = 0;
    // Posts WM_CHAT_NETSTATUS (2326) with `status` to the main window.
    virtual void PostNetStatus(ChatNetStatus status) = 0;

    // The online list, kept sorted by name and then id. AddOnlineUser inserts the
    // user with the 68-byte key and sets the item's data; the index, or -1 when
    // the list refuses it. Deleting an item leaves the user's references alone.
    virtual int AddOnlineUser(ChatUser *user) = 0;
    virtual int GetOnlineCount() = 0;
    virtual ChatUser *GetOnlineUser(int index) = 0;
    virtual void DeleteOnlineUser(int index) = 0;

    // The recent-contacts list, latest sender first. InsertRecentUser gives the
    // index, or -1 when the list refuses it; SelectRecentUser selects the item
    // through the list's selection rules (the user becomes the partner).
    virtual int GetRecentCount() = 0;
    virtual ChatUser *GetRecentUser(int index) = 0;
    virtual bool IsRecentSelected(int index) = 0;
    virtual void DeleteRecentUser(int index) = 0;
    virtual int InsertRecentUser(int index, ChatUser *user) = 0;
    virtual void SelectRecentUser(int index) = 0;
    virtual void RepaintRecentList() = 0;

    // Empties both lists; each drops its reference to every user it held that is
    // not moving (ChatUser::DropReference) and the strip's unread mark follows
    // UnreadUserCount.
    virtual void ResetUserLists() = 0;

    // The tab strip: whether the recent list is the open one (WM_CHAT_QUERYTAB),
    // the toggle command 1001, and the posted selection of the recent list's
    // first item.
    virtual bool IsRecentListShown() = 0;
    virtual void ToggleUserLists() = 0;
    virtual void PostSelectFirstRecent() = 0;

    // The message-notify setting.
    virtual bool IsMessageNotifyOn() = 0;
    // Whether the main window is hidden, minimised or not in the foreground;
    // with `raise` it is then shown, restored or brought to the foreground.
    virtual bool RaiseMainWindow(bool raise) = 0;
    // Plays "MsgNtfy.wav" asynchronously, without a default sound, not at all
    // while the sound device is busy.
    virtual void PlayNotifySound() = 0;
};
