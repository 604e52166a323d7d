// Value forms (integers, rectangles, pairs, colours) and ReadIniValue over
// arbitrary file contents.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "core/skin_values.h"
#include "fuzz_check.h"

namespace {
std::string TempPath()
{
    static std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir && *dir ? dir : "/tmp") + "/tavik-fuzz-ini-" +
               std::to_string(getpid()) + ".tvc";
    }();
    return path;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::string value = in.ConsumeRandomLengthString(64);
    int list[6] = {11, 12, 13, 14, 15, 16};
    const int count = in.ConsumeIntegralInRange(0, 6);
    const int read = ParseIntList(value.c_str(), list, count);
    FUZZ_CHECK(read >= 0 && read <= count);
    for (int i = read; i < 6; ++i)
        FUZZ_CHECK(list[i] == 11 + i);  // what was not read keeps its value
    Box rect;
    FUZZ_CHECK(ParseRectValue(value.c_str(), &rect) <= 4);
    int a = 1, b = 2;
    FUZZ_CHECK(ParsePairValue(value.c_str(), &a, &b) <= 2);
    ParseColorValue(value.c_str(), 0x123456);

    const std::string section = in.ConsumeRandomLengthString(16);
    const std::string key = in.ConsumeRandomLengthString(16);
    const size_t valueSize = in.ConsumeIntegralInRange<size_t>(1, 300);
    const std::string file = in.ConsumeRemainingBytesAsString();
    FILE* f = std::fopen(TempPath().c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(file.data(), 1, file.size(), f);
    std::fclose(f);
    char out[301];
    std::memset(out, 'x', sizeof out);
    if (ReadIniValue(TempPath().c_str(), section.c_str(), key.c_str(), out, valueSize)) {
        const void* end = std::memchr(out, '\0', valueSize);
        FUZZ_CHECK(end != nullptr);  // ended within the buffer
    }
    FUZZ_CHECK(out[valueSize] == 'x');  // nothing written beyond it
    ReadSkinVersion(TempPath().c_str());
    return 0;
}
