#include "core/control_rules.h"

#include <algorithm>
#include <cstdio>

namespace control_rules {

namespace {

// One strtok step over `text` from `*at`: skips leading `delim`, takes
// everything up to the next `delim` (or the end) and moves `*at` past that
// delimiter. False when only delimiters (or nothing) remain.
bool NextToken(const std::string& text, size_t* at, char delim, std::string* token)
{
    size_t start = *at;
    while (start < text.size() && text[start] == delim)
        ++start;
    if (start >= text.size()) {
        *at = text.size();
        return false;
    }
    size_t end = text.find(delim, start);
    if (end == std::string::npos) {
        *token = text.substr(start);
        *at = text.size();
    } else {
        *token = text.substr(start, end - start);
        *at = end + 1;
    }
    return true;
}

}  // namespace

bool SplitDownloadUrl(const std::string& text, DownloadUrlParts* parts)
{
    // strtok stops at the first zero byte.
    const std::string whole = text.substr(0, text.find('\0'));
    size_t at = 0;
    DownloadUrlParts found;
    if (!NextToken(whole, &at, '#', &found.baseUrl))
        return false;
    if (!NextToken(whole, &at, '=', &found.key))
        return false;
    if (!NextToken(whole, &at, ' ', &found.version))
        return false;
    if (found.version.size() > kMaxVersionChars)
        found.version.resize(kMaxVersionChars);
    *parts = found;
    return true;
}

bool BuildHandOverRecord(const std::string& currentUrl, const std::string& dataUrl,
                         std::vector<uint8_t>* record)
{
    record->clear();
    if (!AddressFits(currentUrl) || !AddressFits(dataUrl))
        return false;
    record->assign(kHandOverSize, 0);
    // An embedded zero ends the text, as it would for the receiver.
    const std::string current = currentUrl.substr(0, currentUrl.find('\0'));
    const std::string data = dataUrl.substr(0, dataUrl.find('\0'));
    std::copy(current.begin(), current.end(), record->begin());
    std::copy(data.begin(), data.end(), record->begin() + kHandOverSlot);
    return true;
}

bool BuildLaunchCommand(const std::string& programPath, const std::string& currentUrl,
                        const std::string& dataUrl, uint32_t frameWindow, std::string* command)
{
    command->clear();
    if (!AddressFits(currentUrl) || !AddressFits(dataUrl))
        return false;
    char handle[16];
    std::snprintf(handle, sizeof handle, "%x", static_cast<unsigned>(frameWindow));
    *command = programPath + " " + currentUrl.substr(0, currentUrl.find('\0')) + " " +
               dataUrl.substr(0, dataUrl.find('\0')) + " " + handle;
    return true;
}

}  // namespace control_rules
