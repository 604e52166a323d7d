// The download plan, and the names of leftover temporary files.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "core/download_plan.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int option = in.ConsumeIntegralInRange(-1, 2);
    std::vector<std::string> addresses, names, folders;
    const int n = in.ConsumeIntegralInRange(0, 4);
    for (int i = 0; i < n; ++i) {
        addresses.push_back(in.ConsumeRandomLengthString(100));
        names.push_back(in.ConsumeRandomLengthString(40));
        folders.push_back(in.ConsumeRandomLengthString(60));
    }
    if (in.ConsumeBool() && n)
        folders.pop_back();  // lists of different lengths
    const std::vector<DownloadItem> plan = BuildDownloadPlan(addresses, names, folders, option);
    if (!plan.empty()) {
        FUZZ_CHECK(plan.size() == addresses.size());
        for (size_t i = 0; i < plan.size(); ++i) {
            FUZZ_CHECK(plan[i].target == folders[i] + names[i]);
            FUZZ_CHECK(plan[i].name == names[i]);
        }
    }
    const std::string text = in.ConsumeRemainingBytesAsString();
    const std::string folder = FolderOfPath(text);
    FUZZ_CHECK(folder == "." || text.compare(0, folder.size(), folder) == 0);
    JoinFolderUrl(text, text);
    IsHttpUrl(text);
    if (IsDownloadTempName(text))
        FUZZ_CHECK(text.size() >= 8 && text.size() <= 11);
    return 0;
}
