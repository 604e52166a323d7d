// Address split, folder-name escape and the cache folders.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "core/designation.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const size_t maxPath = in.ConsumeIntegralInRange<size_t>(0, 300);
    const std::string base = in.ConsumeRandomLengthString(40);
    const std::string address = in.ConsumeRemainingBytesAsString();
    AddressParts parts;
    parts.scheme = "kept";
    if (!SplitAddress(address, &parts)) {
        FUZZ_CHECK(parts.scheme == "kept");  // left as it was
        return 0;
    }
    FUZZ_CHECK(parts.scheme.empty() || parts.scheme == "http:" || parts.scheme == "https:");
    FUZZ_CHECK(!parts.path.empty() && parts.path.front() == '/' && parts.path.back() == '/');
    FolderAddress(parts);
    for (const std::string* s : {&parts.host, &parts.path}) {
        const std::string escaped = EscapeFolderName(*s);
        FUZZ_CHECK(escaped.find_first_of("\\/:*?\"<>|") == std::string::npos);
        FUZZ_CHECK(escaped.size() >= s->size() && escaped.size() <= 2 * s->size());
    }
    CacheFolders folders;
    if (MakeCacheFolders("C:\\windows", parts.host, parts.path, base, maxPath, &folders)) {
        FUZZ_CHECK(!IsUnsafeHostPiece(parts.host));
        FUZZ_CHECK(folders.skinFolder.size() + base.size() + 4 < maxPath);
        FUZZ_CHECK(folders.skinFolder.size() + 14 <= maxPath);
        FUZZ_CHECK(folders.skinFolder.compare(0, folders.hostFolder.size(), folders.hostFolder) == 0);
    }
    return 0;
}
