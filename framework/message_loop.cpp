#include "framework/message_loop.h"

namespace fw {

int MessageLoop::AddFilter(Filter filter)
{
    filters_.push_back({next_, std::move(filter)});
    return next_++;
}

void MessageLoop::RemoveFilter(int handle)
{
    for (auto it = filters_.begin(); it != filters_.end(); ++it) {
        if (it->handle == handle) {
            filters_.erase(it);
            return;
        }
    }
}

bool MessageLoop::PreTranslate(MSG& msg)
{
    // A filter may remove filters (a window closing); walk a copy.
    const std::vector<Entry> filters = filters_;
    for (const Entry& entry : filters) {
        if (entry.filter(msg))
            return true;
    }
    return false;
}

int MessageLoop::Run()
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (PreTranslate(msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

MessageLoop& MessageLoop::Current()
{
    static thread_local MessageLoop loop;
    return loop;
}

}  // namespace fw
