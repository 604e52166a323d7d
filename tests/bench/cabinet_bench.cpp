// The cost a window pays at every open, inside one process: our extractor
// called in a loop, and the deciphering pass over an enciphered package.
//   cabinet_bench PACKAGE.tvd ENCIPHERED.tvd KEY OUTDIR\ RUNS [SMALL.tvd]
// The deciphering pass is the one the client runs (64 KB blocks), beside the
// same pass in 1 KB blocks for comparison. With SMALL (a package of a skin's
// size) the cost of one extraction of it is timed too: the process's first,
// which binds cabinet.dll, and the median of the later ones.
// Prints, for each figure, "NAME SECONDS BYTES" (median of RUNS), where BYTES
// is what the figure's throughput is counted in.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cabinet/cabinet.h"
#include "cabinet/package_file.h"
#include "core/package_cipher.h"

namespace {

double Now()
{
    static LARGE_INTEGER f = [] {
        LARGE_INTEGER q;
        QueryPerformanceFrequency(&q);
        return q;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Deletes the files of `dir` (ending with a backslash); answers their total size.
unsigned long long EmptyFolder(const std::string& dir)
{
    unsigned long long total = 0;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((dir + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        total += (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        DeleteFileA((dir + data.cFileName).c_str());
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return total;
}

// A deciphering pass in blocks of `blockSize` bytes read, deciphered and
// written to a temporary file: the client's pass before it read 64 KB at once.
bool DecipherFileInBlocks(const char* in, const char* out, const std::string& key,
                          DWORD blockSize)
{
    HANDLE src = CreateFileA(in, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (src == INVALID_HANDLE_VALUE)
        return false;
    HANDLE dst = CreateFileA(out, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
    if (dst == INVALID_HANDLE_VALUE) {
        CloseHandle(src);
        return false;
    }
    PackageCipher cipher(reinterpret_cast<const unsigned char*>(key.data()), key.size());
    std::vector<unsigned char> buffer(blockSize);
    unsigned char* block = buffer.data();
    bool ok = true;
    for (;;) {
        DWORD got = 0, written = 0;
        if (!ReadFile(src, block, blockSize, &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0)
            break;
        cipher.Apply(block, got);
        if (!WriteFile(dst, block, got, &written, nullptr) || written != got) {
            ok = false;
            break;
        }
    }
    CloseHandle(src);
    CloseHandle(dst);
    return ok;
}

// The client's deciphering pass.
bool Decipher(const char* in, const std::string& out, const std::string& key)
{
    return CipherPackageFile(in, out.c_str(), reinterpret_cast<const unsigned char*>(key.data()),
                             key.size());
}

std::string ReadAll(const char* path)
{
    std::string bytes;
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return bytes;
    bytes.resize(GetFileSize(h, nullptr));
    DWORD got = 0;
    ReadFile(h, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
    bytes.resize(got);
    CloseHandle(h);
    return bytes;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 6) {
        fprintf(stderr, "usage: cabinet_bench PACKAGE ENCIPHERED KEY OUTDIR\\ RUNS\n");
        return 2;
    }
    const char* package = argv[1];
    const char* enciphered = argv[2];
    const std::string key = argv[3];
    const std::string out = argv[4];
    const int runs = std::max(1, atoi(argv[5]));
    const std::string temp = out + "tvd00001.tmp";
    const CabinetOptions client = CabinetOptionsFor(CABINET_BUILD_CLIENT);

    // The first extraction in the process binds cabinet.dll; the later ones
    // find it bound.
    EmptyFolder(out);
    double first = 0;
    if (argc > 6) {
        const double t0 = Now();
        if (!ExtractCabinet(argv[6], out.c_str(), client))
            return 1;
        first = Now() - t0;
        EmptyFolder(out);
    }
    // Warm-up: learns the unpacked size.
    if (!ExtractCabinet(package, out.c_str(), client)) {
        fprintf(stderr, "extraction failed\n");
        return 1;
    }
    const unsigned long long unpacked = EmptyFolder(out);

    std::vector<double> extract, decipherSmall, decipher, memoryPass, whole;
    for (int i = 0; i < runs; ++i) {
        double t0 = Now();
        const BOOL ok = ExtractCabinet(package, out.c_str(), client);
        extract.push_back(Now() - t0);
        EmptyFolder(out);
        if (!ok)
            return 1;
    }
    const std::string packageBytes = ReadAll(enciphered);
    for (int i = 0; i < runs; ++i) {
        double t0 = Now();
        if (!DecipherFileInBlocks(enciphered, temp.c_str(), key, PackageCipher::kBlockSize))
            return 1;
        decipherSmall.push_back(Now() - t0);
        DeleteFileA(temp.c_str());
    }
    for (int i = 0; i < runs; ++i) {
        double t0 = Now();
        if (!Decipher(enciphered, temp, key))
            return 1;
        decipher.push_back(Now() - t0);
        DeleteFileA(temp.c_str());
    }
    std::string scratch = packageBytes;
    for (int i = 0; i < runs; ++i) {
        PackageCipher cipher(reinterpret_cast<const unsigned char*>(key.data()), key.size());
        double t0 = Now();
        cipher.Apply(reinterpret_cast<unsigned char*>(&scratch[0]), scratch.size());
        memoryPass.push_back(Now() - t0);
    }
    for (int i = 0; i < runs; ++i) {
        double t0 = Now();
        const bool ok = Decipher(enciphered, temp, key) &&
                        ExtractCabinet(temp.c_str(), out.c_str(), client);
        whole.push_back(Now() - t0);
        DeleteFileA(temp.c_str());
        EmptyFolder(out);
        if (!ok)
            return 1;
    }
    printf("extract %.6f %llu\n", Median(extract), unpacked);
    printf("decipher %.6f %llu\n", Median(decipher),
           static_cast<unsigned long long>(packageBytes.size()));
    printf("decipher-1k %.6f %llu\n", Median(decipherSmall),
           static_cast<unsigned long long>(packageBytes.size()));
    printf("cipher-memory %.6f %llu\n", Median(memoryPass),
           static_cast<unsigned long long>(packageBytes.size()));
    printf("decipher+extract %.6f %llu\n", Median(whole), unpacked);
    if (argc > 6) {
        const char* small = argv[6];
        std::vector<double> each;
        unsigned long long smallSize = 0;
        for (int i = 0; i < runs; ++i) {
            double t0 = Now();
            const BOOL ok = ExtractCabinet(small, out.c_str(), client);
            each.push_back(Now() - t0);
            smallSize = EmptyFolder(out);
            if (!ok)
                return 1;
        }
        printf("extract-small-first %.6f %llu\n", first, smallSize);
        printf("extract-small %.6f %llu\n", Median(each), smallSize);
    }
    return scratch.size() == packageBytes.size() ? 0 : 1;
}
