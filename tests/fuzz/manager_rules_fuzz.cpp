// The personal manager's rules: the cache folder of an address, personal-file
// arguments, safe skin names, the page layout and caption shortening.
#include <string>
#include <vector>

#include "core/manager_rules.h"
#include "fuzz_check.h"

using namespace mgr;

namespace {

const char kWindows[] = "C:\\WINDOWS";
const char kRoot[] = "C:\\WINDOWS\\tavik\\cache\\";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    // The cache folder stays inside the cache root: it starts with the root,
    // ends with '\', and no piece of it below the root leaves it or names a
    // drive or stream.
    std::string folder;
    if (CacheFolderOf(kWindows, text, &folder)) {
        const std::string root = kRoot;
        FUZZ_CHECK(folder.compare(0, root.size(), root) == 0);
        FUZZ_CHECK(folder.back() == '\\');
        FUZZ_CHECK(folder.size() <= 246);  // room for the system's temporary names
        const std::string below = folder.substr(root.size());
        FUZZ_CHECK(below.find(':') == std::string::npos);
        FUZZ_CHECK(below.find('\0') == std::string::npos);
        size_t start = 0;
        bool first = true;
        for (size_t i = 0; i <= below.size(); ++i) {
            if (i < below.size() && below[i] != '\\' && below[i] != '/')
                continue;
            const std::string piece = below.substr(start, i - start);
            FUZZ_CHECK(piece != "..");
            if (first)
                FUZZ_CHECK(!piece.empty() && piece != ".");  // the host's folder
            first = false;
            start = i + 1;
        }
    }

    // A personal-file argument ends in ".tvf", any case, quotes removed.
    std::string path;
    if (IsPersonalFileArgument(text, &path)) {
        FUZZ_CHECK(path.size() >= 4 && path.size() <= text.size());
        std::string tail = path.substr(path.size() - 4);
        for (char& c : tail)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        FUZZ_CHECK(tail == ".tvf");
    }

    // A safe name makes one file name inside a folder.
    if (IsSafeSkinName(text)) {
        FUZZ_CHECK(!text.empty() && text.size() <= 255 && text != "." &&
                   text.find("..") == std::string::npos);
        for (unsigned char c : text)
            FUZZ_CHECK(c >= 32 && c != '\\' && c != '/' && c != ':');
    }

    const std::string name = NameFromPath(text);
    FUZZ_CHECK(name.size() <= text.size() && name.find('\\') == std::string::npos);
    FileSizeText(size * 0x9E3779B97F4A7C15ull);

    // Going up keeps a folder ending in '\' and only ever shortens it.
    std::string up = text + "\\";
    const std::string before = up;
    const UpResult r = FolderUp(&up);
    if (r == UP_PARENT)
        FUZZ_CHECK(up.size() < before.size() && !up.empty() && up.back() == '\\' &&
                   before.compare(0, up.size(), up) == 0);
    else if (r == UP_DRIVES)
        FUZZ_CHECK(up.empty() && before.size() <= 4);  // a drive root: the drive list
    else
        FUZZ_CHECK(up == before);

    // The page: cells in rows from (0,0), each inside the client width when
    // there is room for one; the scroll height holds them all.
    if (size >= 3) {
        const int count = data[0];
        const int width = (data[1] | data[2] << 8) - 1000;
        const std::vector<Point> cells = WrapLayout(count, width);
        FUZZ_CHECK(static_cast<int>(cells.size()) == count);
        const ScrollSizes sizes = ScrollSizesFor(count, width);
        FUZZ_CHECK(sizes.width == kCellSize && sizes.height >= 0);
        for (size_t i = 0; i < cells.size(); ++i) {
            FUZZ_CHECK(cells[i].x >= 0 && cells[i].y >= 0 && cells[i].x % kCellSize == 0 &&
                       cells[i].y % kCellSize == 0);
            if (i == 0)
                FUZZ_CHECK(cells[i].x == 0 && cells[i].y == 0);
        }
        // A caption shortened against its own length fits or is three long.
        const int available = data[0] % 64;
        const std::string caption = ShortenCaption(
            text, available, [](const std::string& s) { return static_cast<int>(s.size()); });
        FUZZ_CHECK(static_cast<int>(caption.size()) <= available || caption.size() <= 3 ||
                   caption == text);
        FUZZ_CHECK(caption.size() <= text.size() || caption.size() <= 3);
    }
    return 0;
}
