#include "chatdesk/ui/ChatGlobals.h"

#include "platform/win/Window.h"

namespace chatui {

ChatGlobalState &ChatGlobals()
{
    static ChatGlobalState state;
    return state;
}

void FocusInput()
{
    if (ChatGlobals().inputEdit && win::IsWindow(ChatGlobals().inputEdit))
        win::SetFocus(ChatGlobals().inputEdit);
}

} // namespace chatui
