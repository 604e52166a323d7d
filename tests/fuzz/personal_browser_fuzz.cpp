// The personal browser's command line, NAVIGATE rule, start address and
// placement.
#include <cstring>
#include <string>

#include "core/personal_browser.h"
#include "fuzz_check.h"

namespace {

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

int Pick(const uint8_t* data, size_t size, size_t at)
{
    int32_t v = 0;
    if (at + 4 <= size)
        std::memcpy(&v, data + at, 4);
    return v % 40000;  // coordinates of any screen of ours
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    // The command line: the package lies beside the configuration, named
    // like it, and the configuration's file name has its dot.
    const std::string arguments = CommandLineArguments(text);
    FUZZ_CHECK(arguments.size() <= text.size());
    for (const std::string* line : {&text, &arguments}) {
        PersonalCommandLine parsed;
        if (!ParsePersonalCommandLine(*line, &parsed))
            continue;
        FUZZ_CHECK(line->find("-c:") != std::string::npos);
        const size_t dot = parsed.configPath.rfind('.');
        FUZZ_CHECK(dot != std::string::npos);
        const size_t slash = parsed.configPath.find_last_of("\\/");
        FUZZ_CHECK(slash == std::string::npos || slash < dot);
        FUZZ_CHECK(parsed.packagePath == parsed.configPath.substr(0, dot) + ".tvd");
        FUZZ_CHECK(parsed.configPath.size() <= line->size());
        FUZZ_CHECK(parsed.address.size() <= line->size());
        if (line->find("-u:") == std::string::npos)
            FUZZ_CHECK(parsed.address.empty());
    }

    // NAVIGATE: the text split in three at '\n' (text, current page, folder).
    std::string part[3];
    int which = 0;
    for (char c : text) {
        if (c == '\n' && which < 2)
            ++which;
        else
            part[which] += c;
    }
    std::string target = "untouched";
    const bool go = NavigateTarget(part[0], part[1], part[2], &target);
    const bool placeholder = part[0].find("%%url%%") != std::string::npos ||
                             part[0].find("%%URL%%") != std::string::npos;
    if (!placeholder) {
        FUZZ_CHECK(go == !part[0].empty());
        if (go && part[0][0] == '.')
            FUZZ_CHECK(target == part[2] + part[0].substr(1));
        else if (go)
            FUZZ_CHECK(target == part[0]);
    } else if (go) {
        // The page shown is wrapped, the text around the placeholder kept.
        FUZZ_CHECK(target.find(part[1]) != std::string::npos);
        FUZZ_CHECK(target.size() == part[0].size() - 7 + part[1].size());
        // Asked again with the result, a wrapper with a prefix does nothing.
        size_t at = part[0].find("%%url%%");
        if (at == std::string::npos)
            at = part[0].find("%%URL%%");
        std::string again;
        if (at > 0)
            FUZZ_CHECK(!NavigateTarget(part[0], target, part[2], &again));
    }
    if (!go && !placeholder)
        FUZZ_CHECK(target == "untouched");

    const std::string start = StartAddress(part[0], part[1], part[2]);
    const std::string& chosen = part[0].empty() ? part[1] : part[0];
    FUZZ_CHECK(start == (!chosen.empty() && chosen[0] == '.' ? part[2] + chosen.substr(1) : chosen));
    const std::string folder = ProgramFolder(text);
    FUZZ_CHECK(folder.size() < text.size() || folder.empty());
    FUZZ_CHECK(text.compare(0, folder.size(), folder) == 0);

    BrowserVersionAccepted(part[0].c_str(), part[1].c_str());
    BrowserVersionAccepted(nullptr, part[1].c_str());
    BrowserVersionAccepted(part[0].c_str(), nullptr);
    MatchPersonalCommand(text);

    // The placement keeps the window's size for any anchoring.
    Box window{Pick(data, size, 0), Pick(data, size, 4), 0, 0};
    window.right = window.left + (Pick(data, size, 8) & 0xFFF);
    window.bottom = window.top + (Pick(data, size, 12) & 0xFFF);
    Box work{Pick(data, size, 16), Pick(data, size, 20), 0, 0};
    work.right = work.left + (Pick(data, size, 24) & 0x3FFF);
    work.bottom = work.top + (Pick(data, size, 28) & 0x3FFF);
    const Box center = work;
    const int option = size > 32 ? data[32] % 2 : 0, align = size > 33 ? data[33] % 12 : 0;
    const Box placed = PersonalPlacement(window, option, align, center, work);
    FUZZ_CHECK(placed.width() == window.width() && placed.height() == window.height());
    return 0;
}
