// Times a program from its start until a visible window of the given class
// belonging to it exists, then measures its working set once it waits for
// input (its window made whole); then closes it. Prints the medians of N
// runs: "MILLISECONDS KILOBYTES".
//   start_bench CLASS RUNS COMMAND-LINE...
#include <windows.h>
#include <psapi.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Find {
    const char* cls;
    DWORD process;
    HWND found;
};

BOOL CALLBACK Visit(HWND hwnd, LPARAM param)
{
    Find* f = reinterpret_cast<Find*>(param);
    char name[64];
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (process == f->process && IsWindowVisible(hwnd) && GetClassNameA(hwnd, name, sizeof name) &&
        lstrcmpA(name, f->cls) == 0) {
        f->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    const char* cls = argv[1];
    const int runs = atoi(argv[2]);
    // The program's path quoted (it may hold blanks); its arguments as given,
    // since the client reads its launch text unquoted.
    std::string line = std::string("\"") + argv[3] + "\"";
    for (int i = 4; i < argc; ++i)
        line += std::string(" ") + argv[i];
    std::vector<double> times;
    std::vector<double> sets;
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    for (int run = 0; run < runs; ++run) {
        STARTUPINFOA si = {sizeof si};
        PROCESS_INFORMATION pi = {};
        std::string copy = line;
        LARGE_INTEGER t0, t1;
        QueryPerformanceCounter(&t0);
        if (!CreateProcessA(nullptr, &copy[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return 1;
        Find find = {cls, pi.dwProcessId, nullptr};
        while (!find.found) {
            EnumWindows(Visit, reinterpret_cast<LPARAM>(&find));
            if (!find.found)
                Sleep(1);
            if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0)
                return 1;
        }
        QueryPerformanceCounter(&t1);
        times.push_back(1000.0 * (t1.QuadPart - t0.QuadPart) / f.QuadPart);
        // The rest of its start-up (controls, the browser) before the count.
        WaitForInputIdle(pi.hProcess, 5000);
        Sleep(200);
        PROCESS_MEMORY_COUNTERS memory = {sizeof memory};
        if (!GetProcessMemoryInfo(pi.hProcess, &memory, sizeof memory))
            return 1;
        sets.push_back(memory.WorkingSetSize / 1024.0);
        PostMessageA(find.found, WM_CLOSE, 0, 0);
        WaitForSingleObject(pi.hProcess, 10000);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    std::sort(times.begin(), times.end());
    std::sort(sets.begin(), sets.end());
    printf("%.1f %.0f\n", times[times.size() / 2], sets[sets.size() / 2]);
    return 0;
}
