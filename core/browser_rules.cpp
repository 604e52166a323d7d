#include "core/browser_rules.h"

#include <cstdio>
#include <strings.h>

#include "core/designation.h"

namespace {

// Tested in this order; "Add Favorite" comes before "Favorite".
const CommandWord kVocabulary[] = {
    {"BACK", kCmdBack},
    {"FORWARD", kCmdForward},
    {"REFRESH", kCmdRefresh},
    {"STOP", kCmdStop},
    {"EXIT", kCmdExit},
    {"HOME", kCmdHome},
    {"NAVIGATE", kCmdNavigate},
    {"Print", kCmdPrint},
    {"ShortCut", kCmdShortCut},
    {"Add Favorite", kCmdAddFavorite},
    {"View Source", kCmdViewSource},
    {"Minimize", kCmdMinimize},
    {"MailTo:", kCmdMailTo},
    {"Internet Option", kCmdInternetOption},
    {"Javascript", kCmdScript},
    {"VbScript", kCmdScript},
    {"Favorite", kCmdFavorite},
    {"NewTavik", kCmdNewTavik},
};

bool StartsWith(const std::string& text, const char* prefix)
{
    return strncasecmp(text.c_str(), prefix, std::char_traits<char>::length(prefix)) == 0;
}

}  // namespace

CommandKind MatchCommandWord(const std::string& text, const CommandWord* words, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (StartsWith(text, words[i].text))
            return words[i].kind;
    return kCmdNone;
}

CommandKind MatchCommand(const std::string& text)
{
    return MatchCommandWord(text, kVocabulary, sizeof kVocabulary / sizeof kVocabulary[0]);
}

std::string CommandParameter(const std::string& text)
{
    return text.size() > 9 ? text.substr(9) : std::string();
}

std::string NewWindowLaunchText(const std::string& parameter, unsigned long frameHandle)
{
    if (SplitLaunchText(parameter).size() < 2)
        return {};
    char handle[16];
    std::snprintf(handle, sizeof handle, "%lx", frameHandle);
    return parameter + " " + handle;
}

std::string SkinLinkLaunchText(const std::string& address, const std::string& designation,
                               unsigned long frameHandle)
{
    char handle[24];
    std::snprintf(handle, sizeof handle, "%lx", frameHandle);
    return address.substr(0, kLongText) + " " + designation.substr(0, kLongText) + " " + handle;
}

bool ParseSkinLink(const std::string& url, std::string* address, std::string* designation)
{
    static const char kPrefix[] = "tavik://";
    if (!StartsWith(url, kPrefix))
        return false;
    const std::string rest = url.substr(sizeof kPrefix - 1);
    const size_t first = rest.find('%');
    if (first == std::string::npos || first == 0)
        return false;
    size_t second = rest.find('%', first + 1);
    if (second == std::string::npos)
        second = rest.size();
    const std::string piece = rest.substr(first + 1, second - first - 1);
    if (piece.size() <= 2)
        return false;
    *address = "http://" + rest.substr(0, first);
    *designation = piece.substr(2);
    return true;
}

bool IsSecureAddress(const std::string& address) { return StartsWith(address, "https://"); }

std::string WindowTitle(const std::string& title) { return "Tavik - " + title; }

const char* const kPageMarkers[] = {
    "B2ABE86F-F912-11D1-A8B1-004095E28034",
    "B2ABE84F-F912-11D1-A8B1-004095E28034",
    "",
};

bool PageHasMarker(const std::string& page)
{
    for (int i = 0; kPageMarkers[i][0]; ++i)
        if (page.find(kPageMarkers[i]) != std::string::npos)
            return true;
    return false;
}

PolicyVerdict DecidePolicy(int policy, bool fetched, const std::string& page)
{
    if (!fetched || PageHasMarker(page))
        return kPolicyEnd;
    if (policy == 1)
        return kPolicyAsk;
    if (policy == 2)
        return kPolicyHandOver;
    return kPolicyEnd;
}
