// Skin links, the command vocabulary and the leave-the-site policy.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "core/browser_rules.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int policy = in.ConsumeIntegral<int>();
    const bool fetched = in.ConsumeBool();
    const unsigned long handle = in.ConsumeIntegral<unsigned long>();
    const std::string text = in.ConsumeRemainingBytesAsString();

    std::string address, designation;
    if (ParseSkinLink(text, &address, &designation)) {
        FUZZ_CHECK(address.compare(0, 7, "http://") == 0);
        FUZZ_CHECK(address.size() > 7 && !designation.empty());
    }
    const CommandKind kind = MatchCommand(text);
    FUZZ_CHECK(kind >= kCmdNone && kind <= kCmdNewTavik);
    const std::string parameter = CommandParameter(text);
    FUZZ_CHECK(parameter.size() <= text.size());
    const std::string launch = NewWindowLaunchText(text, handle);
    if (!launch.empty())
        FUZZ_CHECK(launch.size() > text.size());
    IsSecureAddress(text);
    WindowTitle(text);
    const PolicyVerdict verdict = DecidePolicy(policy, fetched, text);
    FUZZ_CHECK(verdict == kPolicyEnd || verdict == kPolicyAsk || verdict == kPolicyHandOver);
    if (PageHasMarker(text))
        FUZZ_CHECK(!text.empty());
    return 0;
}
