// Writes and reads back a personal file holding a data package of the given
// size, best of three; prints "write SECONDS", "read SECONDS" (the sections
// mapped into memory, every page touched), "copy SECONDS" (the sections
// copied into buffers of the program's own) and "save SECONDS" (the package
// copied out to a file).
// usage: personal_bench FOLDER\ MEGABYTES
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "personalfile/personal_file.h"

namespace {

double Now()
{
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

void Put(const std::string& path, const std::vector<uint8_t>& bytes)
{
    fw::File(path, fw::File::kCreate).Write(bytes);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    const std::string dir = argv[1];
    const size_t size = static_cast<size_t>(std::atoi(argv[2])) * 1024 * 1024;
    std::vector<uint8_t> package(size);
    for (size_t i = 0; i < size; ++i)
        package[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
    Put(dir + "skin.tvd", package);
    Put(dir + "skin.tvc", std::vector<uint8_t>(2000, 'c'));
    Put(dir + "preview.bmp", std::vector<uint8_t>(43254, 'p'));

    double bestWrite = 1e9, bestRead = 1e9, bestCopy = 1e9, bestSave = 1e9;
    for (int run = 0; run < 3; ++run) {
        PersonalFile file;
        file.SetConfiguration(dir + "skin.tvc");
        // Every write makes a new file, as cp and dd do in the script: the
        // time to free an earlier file's cached pages (over 10 ms for 50 MB in
        // a virtual machine) is the system's, and it is left out of all three.
        DeleteFileA((dir + "bench.tvf").c_str());
        DeleteFileA((dir + "out.tvd").c_str());
        double t = Now();
        file.Write(dir + "bench.tvf", dir + "preview.bmp", dir + "skin.tvc", dir + "skin.tvd");
        bestWrite = std::min(bestWrite, Now() - t);

        t = Now();
        PersonalFile back;
        if (!back.Open(dir + "bench.tvf"))
            return 1;
        {
            const fw::FileView preview = back.ViewPreview();
            const fw::FileView config = back.ViewConfiguration();
            const fw::FileView read = back.ViewPackage();
            // Every page is read, as a use of the bytes would read it.
            unsigned sum = 0;
            for (const fw::FileView* view : {&preview, &config, &read})
                for (size_t i = 0; i < view->size(); i += 4096)
                    sum += view->data()[i];
            bestRead = std::min(bestRead, Now() - t);
            if (read.size() != package.size() || !std::equal(read.begin(), read.end(), package.begin()) ||
                sum == 1)
                return 1;
        }

        t = Now();
        const auto preview = back.ReadPreview();
        const auto config = back.ReadConfiguration();
        const auto copied = back.ReadPackage();
        bestCopy = std::min(bestCopy, Now() - t);
        if (copied != package)
            return 1;

        // What the manager does with it: the package copied out to a file.
        t = Now();
        back.SavePackage(dir + "out.tvd");
        bestSave = std::min(bestSave, Now() - t);
    }
    std::printf("write %.4f\nread %.4f\ncopy %.4f\nsave %.4f\n", bestWrite, bestRead, bestCopy,
                bestSave);
    return 0;
}
