// Rules of the personal manager that need no Windows header: where a
// personal file's skin goes in the client's cache, which command lines name a
// personal file, how the page of buttons wraps and scrolls, how captions are
// shortened, and which stored names may become file names.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace mgr {

// The personal browser beside the manager, and how it is started.
const char kBrowserFileName[] = "tvfbrowser.tve";
const char kBrowserCommandFormat[] = "%s -c:%s -u:%s";
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
// address has no host, or the host is "." or "..".
bool CacheFolderOf(const std::string& windowsDir, const std::string& address,
                   std::string* folder);

// The command line names a personal file: after removing blanks around it
// and one pair of double quotes, its extension (after the last '.'), in any
// letter case, is "tvf". `path` gets the path without the quotes.
bool IsPersonalFileArgument(const std::string& commandLine, std::string* path);

// A skin name that may become a file name inside the cache folder: not
// empty, no '\', '/' or ':', no "..", no control character, and not "."; at
// most 255 characters.
bool IsSafeSkinName(const std::string& name);

// The personal browser's command line.
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

// The id of the n-th button (from 0) and whether a button may have one.
inline bool HasButtonId(int index) { return index >= 0 && index < kMaxButtons; }
inline int ButtonId(int index) { return kFirstButtonId + index; }

}  // namespace mgr
