// Reading a skin configuration: the profile API against our in-memory reader,
// with the loader's own questions (every key of APPLICATION, the button and
// animation sections) asked in the loader's order.
//   profile_bench [FILE.tvc|-] [RUNS]
// Without a file (or with "-"), a typical skin (8 buttons, 2 animations) is
// written first.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/profile_reader.h"

namespace {

struct ApiReader {
    const char* path;
    void Text(const char* s, const char* k, const char* d, char* out, DWORD size) const
    {
        GetPrivateProfileStringA(s, k, d, out, size, path);
    }
    int Int(const char* s, const char* k, int d) const
    {
        return static_cast<int>(GetPrivateProfileIntA(s, k, d, path));
    }
};

struct OurReader {
    const char* path;
    ProfileFile file;
    void Open() { file = ProfileFile::Load(path); }
    void Text(const char* s, const char* k, const char* d, char* out, DWORD size) const
    {
        file.GetString(s, k, d, out, size);
    }
    int Int(const char* s, const char* k, int d) const
    {
        return static_cast<int>(file.GetInt(s, k, d));
    }
};

// The loader's questions; answers how many were asked and folds the answers
// into `sum` so that nothing is optimised away.
template <class Reader>
int ReadSkin(const Reader& r, unsigned* sum)
{
    static char big[2058], small[260];
    int asked = 0;
    auto text = [&](const char* s, const char* k, const char* d, char* out, DWORD size) {
        r.Text(s, k, d, out, size);
        *sum += static_cast<unsigned char>(out[0]);
        ++asked;
    };
    auto integer = [&](const char* s, const char* k, int d) {
        ++asked;
        const int v = r.Int(s, k, d);
        *sum += static_cast<unsigned>(v);
        return v;
    };
    const char* app = "APPLICATION";
    text(app, "NAME", "", big, 2058);
    text(app, "DIR", "", big, 2058);
    for (const char* k : {"X", "Y", "CX", "CY"})
        integer(app, k, 0);
    const int buttons = integer(app, "BTNNUMBER", 0);
    const int animations = integer(app, "ANINUMBER", 0);
    integer(app, "ENCRYPT", 0);
    text(app, "ENCRYPTKEY", "", small, 255);
    integer(app, "LAUNCHOPTION", 1);
    for (const char* k : {"POLICY", "ALIGN", "TOPMOST", "STARTMENULINK", "DESKTOPLINK", "ANTIALIAS"})
        integer(app, k, 0);
    for (const char* k : {"LINKNAME", "BACKGROUND", "TAL"})
        text(app, k, "", small, 260);
    for (const char* k : {"WEBCONTROLLOCATION", "URLEDITLOCATION", "STATUSLOCATION", "CURSORAREA"})
        text(app, k, "0,0,0,0", small, 260);
    text(app, "H-RESIZEAREA", "0,0", small, 260);
    text(app, "V-RESIZEAREA", "0,0", small, 260);
    text(app, "STATUSCOLOR", "0,0,0", small, 260);
    char section[32];
    for (int n = 1; n <= animations; ++n) {
        snprintf(section, sizeof section, "ANI%d", n);
        text(section, "LOCATION", "0,0,0,0", small, 260);
        text(section, "BMP", "", small, 260);
        text(section, "FUNCTION", "", small, 260);
        integer(section, "DELAY", 100);
        integer(section, "FRAME", 1);
        integer(section, "INDIGATOR", 0);
    }
    for (int n = 1; n <= buttons; ++n) {
        snprintf(section, sizeof section, "BTN%d", n);
        char function[2058];
        text(section, "LOCATION", "0,0,0,0", small, 260);
        text(section, "BMP", "", small, 260);
        text(section, "FUNCTION", "", function, 2058);
        text(section, "TOOLTIP", function, big, 2058);
        text(section, "HOTKEY", "", small, 64);
    }
    integer(app, "ANIFRAME", 0);
    integer(app, "ANIDELAY", 0);
    text(app, "ANIMATIONLOCATION", "0,0,0,0", small, 259);
    text(app, "ANIMATION", "", small, 260);
    return asked;
}

std::string TypicalSkin()
{
    std::string s =
        "[APPLICATION]\r\nNAME=Typical skin\r\nDIR=Typical\r\nVersion=3\r\nX=0\r\nY=0\r\n"
        "CX=720\r\nCY=500\r\nBTNNUMBER=8\r\nANINUMBER=2\r\nENCRYPT=1\r\nENCRYPTKEY=TavikDemo2026\r\n"
        "LAUNCHOPTION=1\r\nPOLICY=1\r\nALIGN=0\r\nTOPMOST=0\r\nSTARTMENULINK=1\r\nDESKTOPLINK=1\r\n"
        "ANTIALIAS=1\r\nLINKNAME=Typical\r\nBACKGROUND=back.bmp\r\n"
        "WEBCONTROLLOCATION=20,84,700,446\r\nURLEDITLOCATION=172,38,598,60\r\n"
        "STATUSLOCATION=20,454,700,476\r\nCURSORAREA=8,8,712,492\r\nH-RESIZEAREA=350,370\r\n"
        "V-RESIZEAREA=250,270\r\nSTATUSCOLOR=255,255,255\r\nANIFRAME=8\r\nANIDELAY=100\r\n"
        "ANIMATIONLOCATION=612,32,644,64\r\nANIMATION=busy.bmp\r\n";
    const char* functions[] = {"BACK", "FORWARD", "STOP", "REFRESH", "HOME", "MINIMIZE", "CLOSE",
                               "NAVIGATE:http://127.0.0.1/help.html"};
    for (int n = 1; n <= 8; ++n) {
        char section[256];
        snprintf(section, sizeof section,
                 "[BTN%d]\r\nLOCATION=%d,36,%d,60\r\nBMP=btn%d.bmp\r\nFUNCTION=%s\r\n"
                 "TOOLTIP=Button %d\r\nHOTKEY=ALT+%d\r\n",
                 n, 20 + n * 26, 44 + n * 26, n, functions[n - 1], n, n);
        s += section;
    }
    for (int n = 1; n <= 2; ++n) {
        char section[160];
        snprintf(section, sizeof section,
                 "[ANI%d]\r\nLOCATION=%d,4,%d,28\r\nBMP=ani%d.bmp\r\nFUNCTION=HOME\r\nDELAY=80\r\n"
                 "FRAME=6\r\nINDIGATOR=%d\r\n",
                 n, 560 + n * 30, 584 + n * 30, n, n - 1);
        s += section;
    }
    return s;
}

double Now()
{
    static LARGE_INTEGER f = [] {
        LARGE_INTEGER q;
        QueryPerformanceFrequency(&q);
        return q;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Copies the file under a new name dated in the past, so that the system's
// profile cache treats it as a file never read before in this process.
std::string FreshCopy(const std::string& source, int n)
{
    char name[MAX_PATH];
    snprintf(name, sizeof name, "%s.%d.tvc", source.c_str(), n);
    CopyFileA(source.c_str(), name, FALSE);
    HANDLE h = CreateFileA(name, FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    SYSTEMTIME st = {2001, 1, 1, 1, 12, 0, 0, 0};
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
    return name;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string path;
    bool written = false;
    if (argc > 1 && argv[1][0] && strcmp(argv[1], "-") != 0) {
        path = argv[1];
    } else {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        path = std::string(temp) + "tavik_profile_bench.tvc";
        const std::string text = TypicalSkin();
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD done = 0;
        WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
        CloseHandle(h);
        written = true;
    }
    const int runs = argc > 2 ? atoi(argv[2]) : 15;
    unsigned sum = 0;
    int asked = 0;

    // Each run reads a copy the process has not seen: what a starting client pays.
    std::vector<double> apiFirst, ours;
    std::vector<std::string> copies;
    for (int i = 0; i < runs; ++i)
        copies.push_back(FreshCopy(path, i));
    for (int i = 0; i < runs; ++i) {
        ApiReader api{copies[i].c_str()};
        const double t0 = Now();
        asked = ReadSkin(api, &sum);
        apiFirst.push_back(Now() - t0);
    }
    for (int i = 0; i < runs; ++i) {
        OurReader reader{copies[i].c_str(), ProfileFile()};
        const double t0 = Now();
        reader.Open();
        ReadSkin(reader, &sum);
        ours.push_back(Now() - t0);
    }
    // Asked again of a file the system already holds in its cache.
    std::vector<double> apiCached;
    for (int i = 0; i < runs; ++i) {
        ApiReader api{copies[0].c_str()};
        const double t0 = Now();
        ReadSkin(api, &sum);
        apiCached.push_back(Now() - t0);
    }
    for (const std::string& copy : copies)
        DeleteFileA(copy.c_str());
    if (written)
        DeleteFileA(path.c_str());

    const double a = Median(apiFirst), c = Median(apiCached), o = Median(ours);
    printf("skin read, %d questions, median of %d (checksum %u):\n", asked, runs, sum);
    printf("  profile API, file new to the process: %8.3f ms (%.3f ms per question)\n", a, a / asked);
    printf("  profile API, file already cached:     %8.3f ms (%.3f ms per question)\n", c, c / asked);
    printf("  our reader, file read and parsed:     %8.3f ms (%.1fx faster than the first)\n", o,
           a / o);
    return 0;
}
