// The installer control's DownloadUrl split, hand-over record and client
// command line.
#include <cstring>
#include <string>
#include <vector>

#include "core/control_rules.h"
#include "fuzz_check.h"

using namespace control_rules;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    // The split: three tokens as strtok gives them, none holding its own
    // delimiter, none empty, the version bounded; a refusal changes nothing.
    DownloadUrlParts parts;
    parts.baseUrl = "unchanged";
    if (SplitDownloadUrl(text, &parts)) {
        const std::string whole = text.substr(0, text.find('\0'));
        FUZZ_CHECK(!parts.baseUrl.empty() && parts.baseUrl.find('#') == std::string::npos);
        FUZZ_CHECK(!parts.key.empty() && parts.key.find('=') == std::string::npos);
        FUZZ_CHECK(!parts.version.empty() && parts.version.find(' ') == std::string::npos);
        FUZZ_CHECK(parts.version.size() <= kMaxVersionChars);
        for (const std::string* s : {&parts.baseUrl, &parts.key, &parts.version}) {
            FUZZ_CHECK(s->find('\0') == std::string::npos);
            FUZZ_CHECK(whole.find(*s) != std::string::npos);
        }
        // The base is the text's start after any leading '#'.
        FUZZ_CHECK(whole.compare(whole.find_first_not_of('#'), parts.baseUrl.size(),
                                 parts.baseUrl) == 0);
    } else {
        FUZZ_CHECK(parts.baseUrl == "unchanged" && parts.key.empty() && parts.version.empty());
    }

    // The builders over two addresses cut from the input at a chosen point.
    const size_t cut = size ? data[0] * size / 256 : 0;
    const std::string current = text.substr(0, cut), dataUrl = text.substr(cut);
    const bool fits = AddressFits(current) && AddressFits(dataUrl);
    std::vector<uint8_t> record(3, 1);
    FUZZ_CHECK(BuildHandOverRecord(current, dataUrl, &record) == fits);
    std::string command = "x";
    FUZZ_CHECK(BuildLaunchCommand("tavik.tve", current, dataUrl, size * 2654435761u, &command) ==
               fits);
    if (!fits) {
        FUZZ_CHECK(record.empty() && command.empty());
        return 0;
    }
    FUZZ_CHECK(record.size() == kHandOverSize);
    const std::string c0 = current.substr(0, current.find('\0'));
    const std::string d0 = dataUrl.substr(0, dataUrl.find('\0'));
    // Each slot holds its text and is zero after it: both end inside the slot.
    FUZZ_CHECK(std::memcmp(record.data(), c0.data(), c0.size()) == 0);
    FUZZ_CHECK(std::memcmp(record.data() + kHandOverSlot, d0.data(), d0.size()) == 0);
    for (size_t i = c0.size(); i < kHandOverSlot; ++i)
        FUZZ_CHECK(record[i] == 0);
    for (size_t i = kHandOverSlot + d0.size(); i < kHandOverSize; ++i)
        FUZZ_CHECK(record[i] == 0);
    FUZZ_CHECK(command.compare(0, 10, "tavik.tve ") == 0);
    FUZZ_CHECK(command.find('\0') == std::string::npos);
    FUZZ_CHECK(command.size() <= 10 + c0.size() + 1 + d0.size() + 1 + 8);
    return 0;
}
