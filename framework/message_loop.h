// One message loop for all windows of a thread. Filters see each message
// before it is translated and dispatched (accelerators, dialog keys, a
// hosted control's own accelerators); the first that takes it ends its road.
#pragma once
#include <windows.h>

#include <functional>
#include <vector>

namespace fw {

class MessageLoop {
public:
    using Filter = std::function<bool(MSG&)>;

    // Answers a handle for RemoveFilter.
    int AddFilter(Filter filter);
    void RemoveFilter(int handle);

    // True when a filter took the message.
    bool PreTranslate(MSG& msg);

    // Runs until WM_QUIT; answers its exit code.
    int Run();

    // The loop of this thread, for windows that add filters.
    static MessageLoop& Current();

private:
    struct Entry {
        int handle;
        Filter filter;
    };
    std::vector<Entry> filters_;
    int next_ = 1;
};

}  // namespace fw
