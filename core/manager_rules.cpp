#include "core/manager_rules.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <strings.h>

#include "core/designation.h"
#include "core/file_names.h"

namespace mgr {

namespace {

// MAX_PATH, without the Windows header: the skin pair is written into the
// folder under names that GetTempFileName makes there, so the folder is
// bounded as the client bounds its own (MakeCacheFolders): at most
// 260 - 14 = 246 characters with its trailing backslash.
const size_t kMaxPath = 260;

}  // namespace

bool CacheFolderOf(const std::string& windowsDir, const std::string& address,
                   std::string* folder)
{
    // The folder's name ends at a zero byte wherever it is used, so the
    // address is read only up to one: "..\0x" must not pass as a host and
    // then name the cache's parent.
    AddressParts parts;
    CacheFolders folders;
    if (!SplitAddress(address.substr(0, address.find('\0')), &parts) ||
        !MakeCacheFolders(windowsDir, parts.host, parts.path, "", kMaxPath, &folders))
        return false;
    *folder = folders.skinFolder;
    return true;
}

bool IsPersonalFileArgument(const std::string& commandLine, std::string* path)
{
    const size_t first = commandLine.find_first_not_of(" \t");
    if (first == std::string::npos)
        return false;
    std::string text = commandLine.substr(first, commandLine.find_last_not_of(" \t") - first + 1);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    const size_t dot = text.rfind('.');
    // The whole rest is compared: a zero byte must not end the extension early.
    const size_t extension = sizeof kPersonalExtension - 1;
    if (dot == std::string::npos || text.size() - dot - 1 != extension ||
        strncasecmp(text.c_str() + dot + 1, kPersonalExtension, extension) != 0)
        return false;
    *path = text;
    return true;
}

bool IsSafeSkinName(const std::string& name)
{
    // A device name stays one with ".tvc" added ("nul.tvc").
    return name.find("..") == std::string::npos && IsPlainFileName(name);
}

std::string BrowserCommandLine(const std::string& browser, const std::string& configTarget,
                               const std::string& startUrl)
{
    // The program's path is quoted: a folder with a blank must not leave the
    // system to guess which program is meant.
    return "\"" + browser + "\" -c:" + configTarget + " -u:" + startUrl;
}

std::string DetailsText(const std::string& title, const std::string& author,
                        const std::string& comment)
{
    return "-----Title-----\r\n" + title + "\r\n\r\n----Author----\r\n" + author +
           "\r\n\r\n---Comment---\r\n" + comment;
}

std::string FileSizeText(unsigned long long totalBytes)
{
    char text[40];
    std::snprintf(text, sizeof text, "%llu Bytes", totalBytes);
    return text;
}

std::vector<Point> WrapLayout(int count, int clientWidth)
{
    std::vector<Point> cells;
    Point at;
    for (int i = 0; i < count; ++i) {
        cells.push_back(at);
        at.x += kCellSize;
        if (clientWidth < at.x + kCellSize) {
            at.x = 0;
            at.y += kCellSize;
        }
    }
    return cells;
}

CachePageLayout LayOutCachePage(const std::vector<size_t>& entryCounts, int clientWidth)
{
    CachePageLayout page;
    page.width = std::max(clientWidth, kMinCacheWidth);
    const int64_t columns = std::max(1, (page.width - 2 * kGroupMargin) / kCellSize);
    const int64_t limit = kMaxPageHeight;
    int64_t y = 0;
    for (size_t entries : entryCounts) {
        const int64_t rows = (static_cast<int64_t>(std::min<size_t>(entries, static_cast<size_t>(limit))) +
                              columns - 1) / columns;
        Rect group;
        group.left = kGroupMargin;
        group.right = page.width - kGroupMargin;
        group.top = static_cast<int>(std::min(limit, y + kGroupMargin));
        y = std::min(limit, y + rows * kCellSize + kGroupStripHeight);
        group.bottom = static_cast<int>(y);
        page.groups.push_back(group);
    }
    page.scrollHeight = static_cast<int>(std::min(limit, y + kGroupMargin));
    return page;
}

GroupParts HostGroupParts(int width, int buttonWidth, int buttonHeight)
{
    GroupParts parts;
    parts.caption.left = kGroupCaptionIndent;
    parts.caption.top = 0;
    parts.caption.right = width - buttonWidth - kGroupCaptionGap;
    parts.caption.bottom = kGroupStripHeight;
    parts.deleteButton.left = width - kDeleteButtonRight - buttonWidth;
    parts.deleteButton.top = kDeleteButtonTop;
    parts.deleteButton.right = width - kDeleteButtonRight;
    parts.deleteButton.bottom = kDeleteButtonTop + buttonHeight;
    return parts;
}

ItemParts ThumbItemParts(Point cell)
{
    ItemParts parts;
    parts.cell = {cell.x, cell.y + kGroupStripHeight, cell.x + kCellSize,
                  cell.y + kGroupStripHeight + kCellSize};
    parts.face = {parts.cell.left + kItemFaceIndent, parts.cell.top};
    parts.caption = {parts.cell.left, parts.cell.top + kItemCaptionTop, parts.cell.right,
                     parts.cell.bottom - kItemCaptionBottomGap};
    return parts;
}

namespace {

// Where the "%2" that the client's escape wrote for a port's ':' is in a host
// folder's name, or npos. The escape turns ':' into "%2" and leaves '%' as it
// is, so only the last "%2", followed by the port's digits to the end, can
// stand for the ':' before a port; any other "%2" is the host's own text.
size_t PortEscapeAt(const std::string& hostFolder)
{
    const size_t at = hostFolder.rfind("%2");
    if (at == std::string::npos || at == 0 || at + 2 == hostFolder.size())
        return std::string::npos;
    for (size_t i = at + 2; i < hostFolder.size(); ++i)
        if (hostFolder[i] < '0' || hostFolder[i] > '9')
            return std::string::npos;
    return at;
}

}  // namespace

std::string HostAddress(const std::string& hostFolder)
{
    std::string host = hostFolder;
    const size_t at = PortEscapeAt(host);
    if (at != std::string::npos)
        host.replace(at, 2, ":");
    return kVisitScheme + host;
}

std::string SkinStartAddress(const std::string& hostFolder)
{
    return PortEscapeAt(hostFolder) == std::string::npos ? hostFolder : HostAddress(hostFolder);
}

ScrollSizes ScrollSizesFor(int count, int clientWidth)
{
    int columns = clientWidth / kCellSize;
    if (columns <= 0)
        columns = 1;
    ScrollSizes s;
    s.width = kCellSize;
    s.height = ((count + columns - 1) / columns) * kCellSize;
    return s;
}

std::string ShortenCaption(const std::string& caption, int available,
                           const std::function<int(const std::string&)>& width)
{
    std::string text = caption;
    while (text.size() > 3 && width(text) > available) {
        text.pop_back();
        text.replace(text.size() - 3, 3, "...");
    }
    return text;
}

std::string NameFromPath(const std::string& path)
{
    const size_t slash = path.rfind('\\');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

UpResult FolderUp(std::string* folder)
{
    std::string f = *folder;
    if (f.empty())
        return UP_STAY;  // already the drive list
    const size_t length = f.size();
    if (f.back() == '\\')
        f.pop_back();
    const size_t slash = f.rfind('\\');
    if (slash == std::string::npos) {
        if (length >= 1 && length <= 3) {
            folder->clear();
            return UP_DRIVES;
        }
        return UP_STAY;
    }
    *folder = f.substr(0, slash + 1);
    return UP_PARENT;
}

}  // namespace mgr
