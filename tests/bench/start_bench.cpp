// Times a program from its start until a visible window of the given class
// belonging to it exists; then closes it. Median of N runs.
//   start_bench CLASS RUNS COMMAND-LINE...
#include <windows.h>

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
        PostMessageA(find.found, WM_CLOSE, 0, 0);
        WaitForSingleObject(pi.hProcess, 10000);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    std::sort(times.begin(), times.end());
    printf("%.1f\n", times[times.size() / 2]);
    return 0;
}
