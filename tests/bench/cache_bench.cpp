// Times the manager's cache catalogue over a cache of many skins: a cold
// rebuild (no index: every background extracted and made into a thumbnail)
// and a warm one (index and thumbnails reused), in one process.
// Usage: cache_bench <empty folder\> [hosts] [skins per host]
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "cabinet/cabinet.h"
#include "core/profile_reader.h"
#include "core/thumbnail.h"
#include "manager/cache_index.h"
#include "tests/support/bmp_writer.h"
#include "tests/support/cab_writer.h"

namespace {

bool Write(const std::string& path, const std::vector<uint8_t>& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// A skin's background: 400 x 300 at 8 bits, a framed picture of a few colours.
std::vector<uint8_t> Background(int seed)
{
    const int w = 400, h = 300;
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * h, 0xFFFFFF);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (x < 10 || y < 10 || x >= w - 10 || y >= h - 10)
                pixels[static_cast<size_t>(y) * w + x] = 0x203040 + static_cast<uint32_t>(seed % 64);
            else if ((x / 20 + y / 20) % 3 == 0)
                pixels[static_cast<size_t>(y) * w + x] = 0x80A0C0 + static_cast<uint32_t>((x * y) % 50);
        }
    return MakeBmp(w, h, 8, pixels);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: cache_bench <empty folder\\> [hosts] [skins per host]\n");
        return 2;
    }
    std::string root = argv[1];
    if (root.back() != '\\')
        root += '\\';
    const int hosts = argc > 2 ? atoi(argv[2]) : 50;
    const int perHost = argc > 3 ? atoi(argv[3]) : 10;

    LARGE_INTEGER t0, t1, t2, t3, t4;
    QueryPerformanceCounter(&t0);
    for (int h = 0; h < hosts; ++h) {
        const std::string host = root + "host" + std::to_string(h) + ".example\\";
        CreateDirectoryA(host.c_str(), nullptr);
        for (int s = 0; s < perHost; ++s) {
            const std::string folder = host + "path" + std::to_string(s) + "\\";
            CreateDirectoryA(folder.c_str(), nullptr);
            const std::string config = "[Application]\r\nVersion=3\r\ndir=Skin " +
                                       std::to_string(h * perHost + s) +
                                       "\r\nBackground=back.bmp\r\n";
            CabEntry entry;
            entry.name = "back.bmp";
            const std::vector<uint8_t> bmp = Background(h * perHost + s);
            entry.data.assign(bmp.begin(), bmp.end());
            if (!Write(folder + "skin.tvc", std::vector<uint8_t>(config.begin(), config.end())) ||
                !Write(folder + "skin.tvd", BuildStoredCabinet({entry}))) {
                fprintf(stderr, "cannot write the cache under %s\n", root.c_str());
                return 1;
            }
        }
    }
    QueryPerformanceCounter(&t1);
    int cold = 0, warm = 0;
    {
        CCacheIndex index(nullptr, root);
        QueryPerformanceCounter(&t2);
        for (int i = 0; i < index.HostCount(); ++i)
            cold += index.EntryCount(index.HostName(i));
    }  // writes index.dat
    QueryPerformanceCounter(&t3);
    {
        LARGE_INTEGER w0;
        QueryPerformanceCounter(&w0);
        CCacheIndex index(nullptr, root);
        QueryPerformanceCounter(&t4);
        t3 = w0;
        for (int i = 0; i < index.HostCount(); ++i)
            warm += index.EntryCount(index.HostName(i));
    }
    // Where a cold rebuild's time goes: its steps one by one over the same
    // skins, each step in a loop of its own.
    LARGE_INTEGER p0, p1, p2, p3, p4;  // p2 is taken again before the thumbnails
    const std::string work = root + "work\\";
    CreateDirectoryA(work.c_str(), nullptr);
    std::vector<uint8_t> picture;
    QueryPerformanceCounter(&p0);
    for (int h = 0; h < hosts; ++h)
        for (int s = 0; s < perHost; ++s) {
            const std::string folder = root + "host" + std::to_string(h) + ".example\\path" + std::to_string(s) + "\\";
            const ProfileFile profile = ProfileFile::Load((folder + "skin.tvc").c_str());
            char value[256];
            profile.GetString("Application", "Background", "", value, sizeof value);
        }
    QueryPerformanceCounter(&p1);
    for (int h = 0; h < hosts; ++h)
        for (int s = 0; s < perHost; ++s) {
            const std::string folder = root + "host" + std::to_string(h) + ".example\\path" + std::to_string(s) + "\\";
            ExtractCabinetFile((folder + "skin.tvd").c_str(), work.c_str(), "back.bmp",
                               CabinetOptionsFor(CABINET_BUILD_MANAGER));
        }
    QueryPerformanceCounter(&p2);
    const double extract = Seconds(p1, p2);
    LARGE_INTEGER k0, k1;
    {
        const HMODULE pin = LoadLibraryA("CABINET");  // as a rebuild keeps it
        QueryPerformanceCounter(&k0);
        for (int h = 0; h < hosts; ++h)
            for (int s = 0; s < perHost; ++s) {
                const std::string folder = root + "host" + std::to_string(h) + ".example\\path" + std::to_string(s) + "\\";
                ExtractCabinetFile((folder + "skin.tvd").c_str(), work.c_str(), "back.bmp",
                                   CabinetOptionsFor(CABINET_BUILD_MANAGER));
            }
        QueryPerformanceCounter(&k1);
        FreeLibrary(pin);
    }
    {
        HANDLE file = CreateFileA((work + "back.bmp").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        picture.resize(GetFileSize(file, nullptr));
        DWORD got = 0;
        ReadFile(file, picture.data(), static_cast<DWORD>(picture.size()), &got, nullptr);
        CloseHandle(file);
    }
    std::vector<uint8_t> thumbnail;
    QueryPerformanceCounter(&p2);
    for (int i = 0; i < hosts * perHost; ++i)
        thumb::MakeThumbnail(picture.data(), picture.size(), &thumbnail);
    QueryPerformanceCounter(&p3);
    for (int i = 0; i < hosts * perHost; ++i) {
        char temp[MAX_PATH];
        GetTempFileNameA(root.c_str(), "tav", 0, temp);
        Write(temp, thumbnail);
        DeleteFileA(temp);
    }
    QueryPerformanceCounter(&p4);
    DeleteFileA((work + "back.bmp").c_str());
    RemoveDirectoryA(work.c_str());
    printf("skins %d cold %d warm %d\n", hosts * perHost, cold, warm);
    printf("pinned %.3f\n", Seconds(k0, k1));
    printf("profiles %.3f\nextract %.3f\nthumbnails %.3f\ntempfiles %.3f\n", Seconds(p0, p1),
           extract, Seconds(p2, p3), Seconds(p3, p4));
    printf("setup %.3f\ncold %.3f\nwarm %.3f\n", Seconds(t0, t1), Seconds(t1, t2), Seconds(t3, t4));
    return cold == hosts * perHost && warm == cold ? 0 : 1;
}
