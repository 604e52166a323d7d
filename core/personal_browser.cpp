#include "core/personal_browser.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {

const char kConfigTag[] = "-c:";
const char kAddressTag[] = "-u:";
const size_t kTagLength = 3;
const char kPackageExtension[] = ".tvd";
const char kPlaceholderLower[] = "%%url%%";
const char kPlaceholderUpper[] = "%%URL%%";
const size_t kPlaceholderLength = 7;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Trimmed(const std::string& text)
{
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    std::string value = text.substr(first, last - first);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return value;
}

// The value of the tag at `at`: up to `other` when that comes later, else to
// the end.
std::string TagValue(const std::string& text, size_t at, size_t other)
{
    const size_t start = at + kTagLength;
    const size_t end = (other != std::string::npos && other > at) ? other : text.size();
    return Trimmed(text.substr(start, end - start));
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() &&
           strncasecmp(text.c_str(), prefix.c_str(), prefix.size()) == 0;
}

std::string RelativeToProgram(const std::string& text, const std::string& programFolder)
{
    return programFolder + text.substr(1);
}

}  // namespace

bool ParsePersonalCommandLine(const std::string& arguments, PersonalCommandLine* out)
{
    const size_t config = arguments.find(kConfigTag);
    if (config == std::string::npos)
        return false;
    const size_t address = arguments.find(kAddressTag);
    PersonalCommandLine line;
    line.configPath = TagValue(arguments, config, address);
    if (address != std::string::npos)
        line.address = TagValue(arguments, address, config);
    const size_t separator = line.configPath.find_last_of("\\/");
    const size_t dot = line.configPath.rfind('.');
    if (dot == std::string::npos || (separator != std::string::npos && dot < separator))
        return false;
    line.packagePath = line.configPath.substr(0, dot) + kPackageExtension;
    *out = line;
    return true;
}

std::string CommandLineArguments(const std::string& commandLine)
{
    size_t i = 0;
    while (i < commandLine.size() && IsBlank(commandLine[i]))
        ++i;
    if (i < commandLine.size() && commandLine[i] == '"') {
        const size_t close = commandLine.find('"', i + 1);
        i = close == std::string::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && !IsBlank(commandLine[i]))
            ++i;
    }
    while (i < commandLine.size() && IsBlank(commandLine[i]))
        ++i;
    return commandLine.substr(i);
}

bool BrowserVersionAccepted(const char* version, const char* build)
{
    if (version && std::atoi(version) > kBrowserMajorAbove)
        return true;  // atoi stops at the first '.'
    return build && std::atol(build) >= kBrowserMinimumBuild;
}

const CommandWord kPersonalCommandWords[] = {
    {"BACK", kCmdBack},
    {"FORWARD", kCmdForward},
    {"REFRESH", kCmdRefresh},
    {"STOP", kCmdStop},
    {"EXIT", kCmdExit},
    {"HOME", kCmdHome},
    {"NAVIGATE:", kCmdNavigate},
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
};
const size_t kPersonalCommandWordCount = sizeof kPersonalCommandWords / sizeof kPersonalCommandWords[0];

CommandKind MatchPersonalCommand(const std::string& function)
{
    return MatchCommandWord(function, kPersonalCommandWords, kPersonalCommandWordCount);
}

bool NavigateTarget(const std::string& text, const std::string& current,
                    const std::string& programFolder, std::string* target)
{
    size_t at = text.find(kPlaceholderLower);
    if (at == std::string::npos)
        at = text.find(kPlaceholderUpper);
    if (at != std::string::npos) {
        const std::string before = text.substr(0, at);
        if (!before.empty() && StartsWithNoCase(current, before))
            return false;  // the page is already wrapped
        *target = before + current + text.substr(at + kPlaceholderLength);
        return !target->empty();
    }
    if (text.empty())
        return false;
    *target = text[0] == '.' ? RelativeToProgram(text, programFolder) : text;
    return true;
}

std::string StartAddress(const std::string& address, const std::string& home,
                         const std::string& programFolder)
{
    const std::string& start = address.empty() ? home : address;
    if (!start.empty() && start[0] == '.')
        return RelativeToProgram(start, programFolder);
    return start;
}

std::string ProgramFolder(const std::string& modulePath)
{
    const size_t slash = modulePath.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : modulePath.substr(0, slash);
}

MailVerdict DecideMail(bool keyOpened, const char* defaultValue)
{
    if (!keyOpened)
        return kMailNoClients;
    if (defaultValue == nullptr || defaultValue[0] == '\0')
        return kMailNotInstalled;
    return kMailNavigate;
}

Box PersonalPlacement(const Box& window, int launchOption, int align, const Box& center,
                      const Box& work)
{
    const int w = window.width(), h = window.height();
    if (launchOption != 0)
        return CenterPlacement(w, h, center, work);
    Box r = PullInside(window, work);
    if (align == 1 || align == 6 || align == 3)
        r.left += work.width() - kDesignScreenWidth;
    if (align == 2 || align == 7 || align == 3)
        r.top += work.height() - kDesignScreenHeight;
    r.left -= kPersonalOutlineShift;
    r.top -= kPersonalOutlineShift;
    r.right = r.left + w;
    r.bottom = r.top + h;
    return r;
}
