// Launch texts, dock handles and skin designations.
#include <string>

#include "core/designation.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const std::string& token : SplitLaunchText(text)) {
        FUZZ_CHECK(!token.empty());
        FUZZ_CHECK(token.find(' ') == std::string::npos);
        ParseDockTarget(token);
    }
    SkinDesignation d;
    if (ParseSkinDesignation(text, &d)) {
        // A base name that could leave the cache folder is refused.
        FUZZ_CHECK(!d.baseName.empty() && d.baseName != "." && d.baseName != "..");
        FUZZ_CHECK(d.baseName.find_first_of("\\/:") == std::string::npos);
        if (!d.explicitUrls)
            FUZZ_CHECK(d.configUrl.empty() && d.packageUrl.empty());
    }
    return 0;
}
