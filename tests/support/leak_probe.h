// What a leak test compares: the process's private bytes, the heap bytes in
// use, the GDI and USER objects our owners hold, the windows of the thread
// and the browser objects not yet freed; and WinINet's own cost per request.
#pragma once
#include <windows.h>

#include <psapi.h>
#include <stdio.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/handles.h"
#include "skinui/browser_host.h"
#include "tests/support/win_ui.h"

namespace leak {

struct Snapshot {
    size_t privateBytes;
    size_t heapBytes;
    long gdi;
    long user;
    int windows;
    long hosts;   // browser hosts and event sinks not yet freed
};

// The bytes in use in every heap of the process: exact, where the private
// bytes move in whole heap segments.
inline size_t HeapBytesInUse()
{
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    size_t total = 0;
    for (DWORD i = 0; i < count && i < 64; ++i) {
        if (!HeapLock(heaps[i]))
            continue;
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                total += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return total;
}

inline BOOL CALLBACK CountChild(HWND, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

inline BOOL CALLBACK CountTop(HWND hwnd, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    EnumChildWindows(hwnd, CountChild, count);
    return TRUE;
}

inline Snapshot Take()
{
    PumpMessages(50);
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof memory);
    int windows = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountTop, reinterpret_cast<LPARAM>(&windows));
    // Private bytes: PrivateUsage, which some systems leave 0; the commit
    // charge (PagefileUsage) is the same figure there.
    const size_t privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    return {privateBytes, HeapBytesInUse(), fw::LiveObjects(fw::Counted::kGdi).load(),
            fw::LiveObjects(fw::Counted::kUser).load(), windows,
            BrowserHost::Live().load() + BrowserEvents::Live().load()};
}

inline void Report(const char* what, const Snapshot& a, const Snapshot& b)
{
    printf("[ figures  ] %s: private bytes %zu -> %zu (%+lld), heap bytes in use %zu -> %zu (%+lld), "
           "GDI %ld -> %ld, USER %ld -> %ld, windows %d -> %d, browser objects %ld -> %ld\n",
           what, a.privateBytes, b.privateBytes,
           static_cast<long long>(b.privateBytes) - static_cast<long long>(a.privateBytes),
           a.heapBytes, b.heapBytes,
           static_cast<long long>(b.heapBytes) - static_cast<long long>(a.heapBytes), a.gdi, b.gdi,
           a.user, b.user, a.windows, b.windows, a.hosts, b.hosts);
}

// Flat: no object or window more; the bytes in use within `heapAllowance`;
// and the private bytes within what the heap's segments move: it grows and
// shrinks by 1-2 MB at a time whatever the program does, so the bytes in use
// are the close check.
constexpr long long kPrivateSlack = 3 * 1024 * 1024;
// What the system's caches move between two snapshots (a few entries of
// about 1.7 KB come and go); a leak of 80 bytes a round over 50 rounds shows.
constexpr long long kHeapJitter = 4 * 1024;

inline void ExpectFlat(const Snapshot& before, const Snapshot& after, long long heapAllowance)
{
    EXPECT_EQ(before.gdi, after.gdi);
    EXPECT_EQ(before.user, after.user);
    EXPECT_EQ(before.windows, after.windows);
    EXPECT_EQ(before.hosts, after.hosts);
    EXPECT_LT(static_cast<long long>(after.heapBytes) - static_cast<long long>(before.heapBytes),
              heapAllowance);
    EXPECT_LT(static_cast<long long>(after.privateBytes) - static_cast<long long>(before.privateBytes),
              kPrivateSlack);
}

// The heap bytes WinINet keeps per request of `url`, with nothing of ours in
// the way: one session, one request, read to the end, both closed.
inline long long WinInetBytesPerRequest(const std::string& url)
{
    auto once = [&] {
        HINTERNET session = InternetOpenA("leak", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        ASSERT_NE(nullptr, session);
        HINTERNET request =
            InternetOpenUrlA(session, url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0);
        EXPECT_NE(nullptr, request);
        char buffer[512];
        DWORD got = 0;
        while (request && InternetReadFile(request, buffer, sizeof buffer, &got) && got > 0) {
        }
        if (request)
            InternetCloseHandle(request);
        InternetCloseHandle(session);
    };
    const int kWarmUp = 5, kRequests = 30;
    for (int i = 0; i < kWarmUp; ++i)
        once();
    const size_t before = Take().heapBytes;
    for (int i = 0; i < kRequests; ++i)
        once();
    const long long grown = static_cast<long long>(Take().heapBytes) - static_cast<long long>(before);
    printf("[ figures  ] WinINet alone: %+lld heap bytes over %d requests (%lld per request)\n",
           grown, kRequests, grown / kRequests);
    return grown > 0 ? grown / kRequests : 0;
}

}  // namespace leak
