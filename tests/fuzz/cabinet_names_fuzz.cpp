// Cabinet stored names, the plain file name rule, path splitting and
// joining, and the answers to FDI's requests for the next part of a set.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <string>

#include "core/cabinet_paths.h"
#include "core/file_names.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::string a = in.ConsumeRandomLengthString(300);
    const std::string b = in.ConsumeRandomLengthString(300);
    const int error = in.ConsumeIntegralInRange(0, 12);
    const std::string rest = in.ConsumeRemainingBytesAsString();

    if (CabinetStoredNameIsSafe(a.c_str())) {
        FUZZ_CHECK(!a.empty() && a[0] != '\\' && a[0] != '/');
        FUZZ_CHECK(std::strchr(a.c_str(), ':') == nullptr);
    }
    if (CabinetNameIsPlain(a.c_str()))
        FUZZ_CHECK(std::strpbrk(a.c_str(), "\\/:") == nullptr);
    // A plain file name is also a safe stored name, and stays one component
    // that Windows opens as written.
    if (IsPlainFileName(a)) {
        FUZZ_CHECK(CabinetStoredNameIsSafe(a.c_str()) && CabinetNameIsPlain(a.c_str()));
        FUZZ_CHECK(a.size() <= 255 && a.find_first_of("\\/:*?\"<>|") == std::string::npos);
        FUZZ_CHECK(a.back() != '.' && a.back() != ' ');
        FUZZ_CHECK(!IsDeviceName(a.c_str(), a.size()));
    }
    char out[CABINET_PATH_BUFFER];
    if (CabinetJoinPath(out, sizeof out, a.c_str(), b.c_str()))
        FUZZ_CHECK(std::string(out) == std::string(a.c_str()) + b.c_str());
    else
        FUZZ_CHECK(out[0] == '\0');
    if (CabinetCopyText(out, sizeof out, a.c_str()))
        FUZZ_CHECK(std::strcmp(out, a.c_str()) == 0);
    char name[CABINET_PATH_BUFFER], dir[CABINET_PATH_BUFFER];
    if (CabinetSplitPath(a.c_str(), name, sizeof name, dir, sizeof dir)) {
        FUZZ_CHECK(std::string(dir) + name == a.c_str());
        FUZZ_CHECK(std::strchr(name, '\\') == nullptr);
    }
    CabinetErrorText(error - 1);

    // The same part is never let through twice, and at most 64 in all.
    CabinetSetWalk walk;
    walk.Reset();
    int continued = 0;
    for (size_t at = 0; at < rest.size();) {
        size_t end = rest.find('\n', at);
        if (end == std::string::npos)
            end = rest.size();
        const std::string part = rest.substr(at, end - at);
        if (walk.NextCabinet(part.c_str(), at % 7 == 3 ? error : 0) == CabinetSetWalk::kContinue) {
            ++continued;
            FUZZ_CHECK(walk.NextCabinet(part.c_str(), 0) == CabinetSetWalk::kAbort);
        }
        at = end + 1;
    }
    FUZZ_CHECK(continued <= 64);
    CabinetHeaderIsSetPart(reinterpret_cast<const unsigned char*>(rest.data()), rest.size());
    return 0;
}
