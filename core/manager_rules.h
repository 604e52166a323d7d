// Rules of the personal manager that need no Windows header: where a
// personal file's skin goes in the client's cache, which command lines name a
// personal file, how the page of buttons wraps and scrolls, how captions are
// shortened, and which stored names may become file names.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/skin_limits.h"

namespace mgr {

// The personal browser beside the manager, and how it is started.
const char kBrowserFileName[] = "tvfbrowser.tve";
const char kBrowserCommandFormat[] = "\"%s\" -c:%s -u:%s";
const char kPersonalExtension[] = "tvf";
const char kDefaultFolderName[] = "mytavik";
const char kDrivesTitle[] = "Drives";

// One button cell of the personal page, and the face inside it.
const int kCellSize = 150;
const int kFaceSize = 120;
// Buttons are numbered from 10; a command carries the id in one byte.
const int kFirstButtonId = 10;
const int kLastButtonId = 255;
const int kMaxButtons = kLastButtonId - kFirstButtonId + 1;  // 246
// A personal-file button's "Property" command: its id ORed with this.
const int kPropertyFlag = 0x800;

// The skin cache folder of a personal file's address, with a trailing
// backslash: "<windows>\tavik\cache\<host>\<path>\" where host and path are
// escaped as the client escapes them (so "127.0.0.1:8080" gives
// "127.0.0.1%28080", the folder the client itself uses). False when the
// address has no host, the host is "." or "..", or the folder is too long
// for the system to name temporary files in it (MakeCacheFolders: more than
// 246 characters).
bool CacheFolderOf(const std::string& windowsDir, const std::string& address,
                   std::string* folder);

// The command line names a personal file: after removing blanks around it
// and one pair of double quotes, its extension (after the last '.'), in any
// letter case, is "tvf". `path` gets the path without the quotes.
bool IsPersonalFileArgument(const std::string& commandLine, std::string* path);

// A skin name that may become a file name inside the cache folder: a plain
// file name (core/file_names.h: at most 255 characters, no folder part,
// stream or device name, ...) without "..".
bool IsSafeSkinName(const std::string& name);

// The personal browser's command line: the program's path in double quotes,
// then "-c:" and the configuration, "-u:" and the address.
std::string BrowserCommandLine(const std::string& browser, const std::string& configTarget,
                               const std::string& startUrl);

// The details text of a personal file's tooltip.
std::string DetailsText(const std::string& title, const std::string& author,
                        const std::string& comment);

// "%d Bytes" of 5600 plus the three sizes.
std::string FileSizeText(unsigned long long totalBytes);

struct Point {
    int x = 0;
    int y = 0;
};

// Top-left corners of `count` cells laid out from (0,0): after each cell the
// next is one cell to the right, or at the start of the next row when the
// client width is less than x + 2 cells.
std::vector<Point> WrapLayout(int count, int clientWidth);

struct ScrollSizes {
    int width = 0;
    int height = 0;
};
// Columns = width / cell (1 when that is 0); rows = ceiling(count /
// columns); height = rows x cell; width = the cell width.
ScrollSizes ScrollSizesFor(int count, int clientWidth);

// A caption that fits: while `width(text)` exceeds `available` and the text
// is longer than three characters, drop one character and put "..." in place
// of the last three. `width` measures a candidate caption.
std::string ShortenCaption(const std::string& caption, int available,
                           const std::function<int(const std::string&)>& width);

// The file name without folder and extension: after the last '\', before
// the last '.'.
std::string NameFromPath(const std::string& path);

// Going up from a folder (always ending in '\').
enum UpResult {
    UP_PARENT,  // `folder` became the parent, with its trailing '\'
    UP_DRIVES,  // a drive root: show the drive list
    UP_STAY,    // nothing changes
};
UpResult FolderUp(std::string* folder);

// ---- The visited-skins page ----

// Host groups: the page keeps at least this width (a narrower client
// scrolls), a margin around each group, and the group's top strip with the
// host's caption and the delete button.
const int kMinCacheWidth = 170;
const int kGroupMargin = 10;
const int kGroupStripHeight = 20;
const int kGroupCaptionIndent = 20;  // the caption's left edge in the strip
const int kGroupCaptionGap = 10;     // between the caption and the delete button
const int kDeleteButtonRight = 5;    // the delete button's gap to the right edge
const int kDeleteButtonTop = 1;
const int kFirstGroupId = 500;       // group i is child window 500 + i
// A thumbnail item: its 120 x 120 face at (cell x + 15, cell y), its
// caption from 115 below the cell's top to 5 above its bottom.
const int kItemFaceIndent = 15;
const int kItemCaptionTop = 115;
const int kItemCaptionBottomGap = 5;
// Commands a group sends to the page, with the group as lParam.
const int kVisitHostCommand = 112;
const int kDeleteHostCommand = 121;
const int kFirstItemCommand = 150;  // item n: 150 + n
// The most items a group can address with a 16-bit command id.
const int kMaxItemCommands = 0xFFFF - kFirstItemCommand + 1;
// A thumbnail is 1078 + 120 x 120 bytes; nothing larger is read for one.
const unsigned long kMaxThumbnailBytes = skin_limits::kMaxThumbnailBytes;
// The shell's address of a host folder.
const char kVisitScheme[] = "http://";

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Where the groups go in a page of `clientWidth`: width = clientWidth, at
// least 170; columns = (width - 20) / 150 (at least 1); group i at
// (10, y + 10) to (width - 10, y + rows x 150 + 20) with rows = ceiling(its
// entries / columns), the next group from that bottom; scroll height = the
// last bottom + 10 (10 without groups). Heights stop growing at kMaxPageHeight
// rather than overflow.
const int kMaxPageHeight = 0x3FFFFFFF;
struct CachePageLayout {
    int width = 0;         // the scroll width
    int scrollHeight = 0;
    std::vector<Rect> groups;
};
CachePageLayout LayOutCachePage(const std::vector<size_t>& entryCounts, int clientWidth);

// The parts of a host group of client width `width` whose delete button
// (one state) is `buttonWidth` x `buttonHeight`.
struct GroupParts {
    Rect caption;       // (20, 0) to (width - button width - 10, 20)
    Rect deleteButton;  // 5 from the right edge, 1 from the top
};
GroupParts HostGroupParts(int width, int buttonWidth, int buttonHeight);

// An item's cell (from WrapLayout, moved down by the strip) and its parts.
struct ItemParts {
    Rect cell;
    Point face;     // top-left of the 120 x 120 face
    Rect caption;
};
ItemParts ThumbItemParts(Point cell);

// The item whose command this is, or -1.
inline int ItemOfCommand(int command)
{
    return command >= kFirstItemCommand && command < kFirstItemCommand + kMaxItemCommands
               ? command - kFirstItemCommand
               : -1;
}

// The address a host folder stands for: "http://" and the host, with the
// port's ':' (kept in the folder's name as "%2") given back. Only the "%2"
// before a port (the last one, followed by digits to the end) is read back:
// "a%20b" stays "a%20b", "a%2b%28080" gives "a%2b:8080".
std::string HostAddress(const std::string& hostFolder);

// The "-u:" address the personal browser gets for a skin of a host folder:
// the folder's name as it is, or, when the name keeps a port's ':' as "%2",
// the whole address of HostAddress (the bare "host%2port" reaches nothing,
// and "host:port" alone would read as a scheme).
std::string SkinStartAddress(const std::string& hostFolder);

// The id of the n-th button (from 0) and whether a button may have one.
inline bool HasButtonId(int index) { return index >= 0 && index < kMaxButtons; }
inline int ButtonId(int index) { return kFirstButtonId + index; }

}  // namespace mgr
