// The manager's cache catalogue against real folders, cabinets and files:
// index.dat and image.dat byte for byte, the rebuild's choices, hostile
// catalogue files, Delete host, Clear and links that lead out of the cache.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core/cache_index_format.h"
#include "core/dib_format.h"
#include "core/package_cipher.h"
#include "core/thumbnail.h"
#include "manager/cache_index.h"
#include "tests/support/bmp_writer.h"
#include "tests/support/cab_writer.h"
#include "tests/support/win_files.h"

namespace {

using Catalogue = std::map<std::string, std::vector<cache::CacheEntry>>;

std::string Picture(uint32_t rgb, int width = 40, int height = 30)
{
    // A frame of `rgb` round a white inside, so the thumbnail keeps colour.
    std::vector<uint32_t> pixels = Solid(width, height, 0xFFFFFF);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (x < 3 || y < 3 || x >= width - 3 || y >= height - 3)
                pixels[static_cast<size_t>(y) * width + x] = rgb;
    const std::vector<uint8_t> bmp = MakeBmp(width, height, 24, pixels);
    return std::string(bmp.begin(), bmp.end());
}

struct Skin {
    std::string host = "a.example";
    std::string path = "app";
    std::string name = "skin";
    int version = 1;
    std::string dir = "";  // none: the default caption
    std::string background = "back.bmp";
    std::string picture = Picture(0x2040C0);
    bool withPackage = true;
    // Enciphered package: ENCRYPT=1 with this key ("" leaves it plain).
    std::string key = "";
    // The key the configuration names, when it differs from the one used.
    std::string configKey = "-";
};

std::string ConfigText(const Skin& s)
{
    std::string text = "[Application]\r\nVersion=" + std::to_string(s.version) + "\r\n";
    if (!s.dir.empty())
        text += "dir=" + s.dir + "\r\n";
    if (!s.background.empty())
        text += "Background=" + s.background + "\r\n";
    if (!s.key.empty())
        text += "ENCRYPT=1\r\nENCRYPTKEY=" + (s.configKey == "-" ? s.key : s.configKey) + "\r\n";
    return text;
}

void AddSkin(const std::string& root, const Skin& s)
{
    const std::string folder = root + s.host + "\\" + s.path + "\\";
    CreateDirectoryA((root + s.host).c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(folder + s.name + ".tvc", ConfigText(s)));
    if (s.withPackage) {
        CabEntry entry;
        entry.name = s.background.empty() ? "back.bmp" : s.background;
        entry.data = s.picture;
        std::vector<uint8_t> package = BuildStoredCabinet({entry});
        if (!s.key.empty()) {
            PackageCipher cipher(reinterpret_cast<const unsigned char*>(s.key.data()), s.key.size());
            cipher.Apply(package.data(), package.size());
        }
        ASSERT_TRUE(WriteBytes(folder + s.name + ".tvd", package));
    }
}

std::string Read(const std::string& path)
{
    std::string bytes;
    ReadBytes(path, &bytes);
    return bytes;
}

Catalogue Snapshot(const CCacheIndex& index)
{
    Catalogue all;
    for (int i = 0; i < index.HostCount(); ++i) {
        const std::string host = index.HostName(i);
        for (int n = 0; n < index.EntryCount(host); ++n)
            all[host].push_back(*index.Entry(host, n));
    }
    return all;
}

std::string ThumbnailOf(const CCacheIndex& index, const cache::CacheEntry& e)
{
    std::vector<unsigned char> bytes;
    EXPECT_TRUE(index.ReadThumbnail(&bytes, e.offset, e.length));
    return std::string(bytes.begin(), bytes.end());
}

// Marks one thumbnail in image.dat: its last colour entry changes, which
// leaves it a valid bitmap. A reused thumbnail keeps the mark.
void MarkThumbnail(const std::string& imagePath, const cache::CacheEntry& e)
{
    std::string image = Read(imagePath);
    ASSERT_LE(static_cast<size_t>(e.offset) + e.length, image.size());
    image[e.offset + thumb::kHeadersSize - 4] = '\x5A';
    ASSERT_TRUE(WriteBytes(imagePath, image));
}

bool Marked(const std::string& thumbnail)
{
    return thumbnail.size() == thumb::kFileSize && thumbnail[thumb::kHeadersSize - 4] == '\x5A';
}

std::vector<std::string> RootNames(const std::string& root)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((root + "*.*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (strcmp(found.cFileName, ".") && strcmp(found.cFileName, ".."))
            names.push_back(found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(CacheIndex, EmptyRootGivesEmptyFiles)
{
    ScratchDir root;
    {
        CCacheIndex index(nullptr, root.path());
        EXPECT_EQ(0, index.HostCount());
        EXPECT_EQ("", index.HostName(0));
        EXPECT_EQ(-1, index.EntryCount("a.example"));
        EXPECT_EQ(nullptr, index.Entry("a.example", 0));
        EXPECT_EQ(root.path() + "index.dat", index.indexPath());
        EXPECT_EQ(root.path() + "image.dat", index.imagePath());
        EXPECT_TRUE(FileExists(index.imagePath()));
        EXPECT_EQ("", Read(index.imagePath()));
    }
    const std::string indexFile = Read(root / "index.dat");
    ASSERT_EQ(cache::kHeaderSize, indexFile.size());
    EXPECT_EQ(0, memcmp(indexFile.data(), "TAVIK CACHE INFORMATION FILE V1.0", 34));
    EXPECT_EQ(std::string(4, '\0'), indexFile.substr(36));
    // Nothing else is left behind: no work files.
    EXPECT_EQ((std::vector<std::string>{"image.dat", "index.dat"}), RootNames(root.path()));
}

TEST(CacheIndex, IndexFilesWrittenAndReadBack)
{
    ScratchDir root;
    Skin a;
    AddSkin(root.path(), a);
    Skin b = a;
    b.path = "other";
    b.name = "two";
    b.dir = "Second Skin";
    b.version = 7;
    AddSkin(root.path(), b);
    Skin c = a;
    c.host = "b.example";
    c.picture = Picture(0x00A000, 20, 60);
    AddSkin(root.path(), c);

    HWND progress = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_POPUP, 0, 0, 100, 10, nullptr,
                                    nullptr, nullptr, nullptr);
    CCacheIndex index(progress, root.path());
    ASSERT_EQ(2, index.HostCount());
    EXPECT_EQ(0, SendMessageA(progress, PBM_GETPOS, 0, 0));
    EXPECT_EQ(100, SendMessageA(progress, PBM_GETRANGE, FALSE, 0));
    DestroyWindow(progress);
    ASSERT_EQ(2, index.EntryCount("a.example"));
    ASSERT_EQ(1, index.EntryCount("b.example"));
    EXPECT_EQ(nullptr, index.Entry("a.example", 2));

    // The records: paths, host, caption (default "tavik") and version.
    const cache::CacheEntry* first = index.Entry("a.example", 0);
    const cache::CacheEntry* second = index.Entry("a.example", 1);
    if (std::string(first->configPath).find("other") != std::string::npos)
        std::swap(first, second);
    EXPECT_EQ(root.path() + "a.example\\app\\skin.tvc", first->configPath);
    EXPECT_EQ(root.path() + "a.example\\app\\skin.tvd", first->dataPath);
    EXPECT_STREQ("a.example", first->host);
    EXPECT_STREQ("tavik", first->dir);
    EXPECT_EQ(1, first->version);
    EXPECT_STREQ("Second Skin", second->dir);
    EXPECT_EQ(7, second->version);

    // image.dat: the thumbnails one after another, each a 120 x 120 8-bit file.
    const std::string image = Read(index.imagePath());
    EXPECT_EQ(3 * thumb::kFileSize, image.size());
    for (const auto& host : Snapshot(index)) {
        for (const cache::CacheEntry& e : host.second) {
            ASSERT_EQ(thumb::kFileSize, e.length);
            const std::string t = ThumbnailOf(index, e);
            EXPECT_EQ(image.substr(e.offset, e.length), t);
            DibLayout layout;
            ASSERT_EQ(DIB_OK, ParseDib(reinterpret_cast<const uint8_t*>(t.data()), t.size(), &layout));
            EXPECT_EQ(120, layout.width);
            EXPECT_EQ(8, layout.bitCount);
            const std::vector<uint32_t> px = DibPixels(reinterpret_cast<const uint8_t*>(t.data()), layout);
            EXPECT_EQ(thumb::kMagenta, px[0]);  // the corner is transparent magenta
        }
    }
    std::vector<unsigned char> beyond;
    EXPECT_FALSE(index.ReadThumbnail(&beyond, static_cast<unsigned long>(image.size()) - 10, 11));
    EXPECT_FALSE(index.ReadThumbnail(&beyond, 0xFFFFFFF0ul, 0x20));

    // index.dat: exactly the catalogue's bytes; read back to the same records.
    ASSERT_TRUE(index.WriteIndex());
    const std::string written = Read(index.indexPath());
    std::vector<cache::HostBlock> blocks;
    for (const auto& host : Snapshot(index)) {
        cache::HostBlock block;
        ASSERT_TRUE(cache::MakeHostBlock(host.first, &block));
        block.entries = host.second;
        blocks.push_back(block);
    }
    const std::vector<uint8_t> expected = cache::SerialiseIndex(blocks);
    EXPECT_EQ(std::string(expected.begin(), expected.end()), written);
    Catalogue back;
    ASSERT_TRUE(index.ReadIndex(&back));
    const Catalogue now = Snapshot(index);
    ASSERT_EQ(now.size(), back.size());
    for (const auto& host : now) {
        ASSERT_EQ(host.second.size(), back[host.first].size());
        for (size_t i = 0; i < host.second.size(); ++i)
            EXPECT_EQ(0, memcmp(&host.second[i], &back[host.first][i], sizeof(cache::CacheEntry)));
    }
}

TEST(CacheIndex, MagicCaseAndZeroHostCount)
{
    ScratchDir root;
    AddSkin(root.path(), Skin());
    CCacheIndex index(nullptr, root.path());
    ASSERT_TRUE(index.WriteIndex());
    const cache::CacheEntry entry = *index.Entry("a.example", 0);

    // A lower-case magic is ours: the marked thumbnail is reused.
    std::string file = Read(index.indexPath());
    memcpy(&file[0], "tavik cache information file v1.0", 33);
    ASSERT_TRUE(WriteBytes(index.indexPath(), file));
    MarkThumbnail(index.imagePath(), entry);
    Catalogue read;
    EXPECT_TRUE(index.ReadIndex(&read));
    index.Rebuild();
    EXPECT_TRUE(Marked(ThumbnailOf(index, *index.Entry("a.example", 0))));

    // A zero host count is no index: the thumbnail is made afresh.
    ASSERT_TRUE(index.WriteIndex());
    MarkThumbnail(index.imagePath(), *index.Entry("a.example", 0));
    file = Read(index.indexPath());
    memset(&file[36], 0, 4);
    ASSERT_TRUE(WriteBytes(index.indexPath(), file));
    read.clear();
    EXPECT_FALSE(index.ReadIndex(&read));
    index.Rebuild();
    EXPECT_FALSE(Marked(ThumbnailOf(index, *index.Entry("a.example", 0))));
    EXPECT_EQ(1, index.EntryCount("a.example"));

    // Without image.dat the index does not count either.
    ASSERT_TRUE(index.WriteIndex());
    ASSERT_TRUE(DeleteFileA(index.imagePath().c_str()));
    EXPECT_FALSE(index.ReadIndex(&read));
}

TEST(CacheIndex, RebuildLeavesOutWhatIsNotASkin)
{
    ScratchDir root;
    Skin good;
    AddSkin(root.path(), good);
    Skin noPackage = good;
    noPackage.name = "nopackage";
    noPackage.withPackage = false;
    AddSkin(root.path(), noPackage);
    // Host folders with one more attribute than the directory bit. (Wine
    // keeps hidden and system on folders but not read-only.)
    const DWORD extra[] = {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_SYSTEM,
                           FILE_ATTRIBUTE_ARCHIVE};
    std::vector<std::pair<std::string, bool>> marked;  // host, whether the mark held
    for (DWORD bit : extra) {
        Skin s = good;
        s.host = "attr" + std::to_string(bit) + ".example";
        AddSkin(root.path(), s);
        const std::string folder = root / s.host;
        SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_DIRECTORY | bit);
        marked.emplace_back(s.host, GetFileAttributesA(folder.c_str()) != FILE_ATTRIBUTE_DIRECTORY);
    }
    ASSERT_TRUE(marked[0].second) << "a hidden folder stays hidden";
    Skin hiddenPath = good;
    hiddenPath.path = "hiddenpath";
    AddSkin(root.path(), hiddenPath);
    SetFileAttributesA((root / "a.example\\hiddenpath").c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
    Skin empty = noPackage;
    empty.host = "nothing.example";
    AddSkin(root.path(), empty);
    ASSERT_TRUE(WriteBytes(root / "loose.tvc", ConfigText(good)));
    ASSERT_TRUE(WriteBytes(root / "a.example\\loose.tvc", ConfigText(good)));

    CCacheIndex index(nullptr, root.path());
    int markedHosts = 0;
    for (const auto& host : marked) {
        EXPECT_EQ(host.second ? -1 : 1, index.EntryCount(host.first)) << host.first;
        markedHosts += host.second;
    }
    ASSERT_EQ(1 + 4 - markedHosts, index.HostCount());
    ASSERT_EQ(1, index.EntryCount("a.example"));
    EXPECT_EQ(root.path() + "a.example\\app\\skin.tvc", index.Entry("a.example", 0)->configPath);
    EXPECT_EQ(-1, index.EntryCount("nothing.example"));
    for (const auto& host : marked)
        SetFileAttributesA((root / host.first).c_str(), FILE_ATTRIBUTE_DIRECTORY);
}

TEST(CacheIndex, VersionChangeAndUnchangedSkinReuse)
{
    ScratchDir root;
    const uint32_t colours[] = {0x2040C0, 0x804000, 0x008080};
    for (int i = 0; i < 3; ++i) {
        Skin s;
        s.path = "p" + std::to_string(i);
        s.picture = Picture(colours[i]);
        AddSkin(root.path(), s);
    }
    CCacheIndex index(nullptr, root.path());
    ASSERT_EQ(3, index.EntryCount("a.example"));
    ASSERT_TRUE(index.WriteIndex());
    // In enumeration order: the first goes, the second gets a new Version,
    // the third stays as it is and so moves up in image.dat.
    const cache::CacheEntry gone = *index.Entry("a.example", 0);
    const cache::CacheEntry changed = *index.Entry("a.example", 1);
    const cache::CacheEntry same = *index.Entry("a.example", 2);
    for (const cache::CacheEntry* e : {&gone, &changed, &same})
        MarkThumbnail(index.imagePath(), *e);
    ASSERT_TRUE(DeleteFileA(gone.dataPath));
    std::string config = Read(changed.configPath);
    ASSERT_EQ(0u, config.find("[Application]\r\nVersion=1\r\n"));
    config.replace(0, 25, "[Application]\r\nVersion=2\r\n");
    ASSERT_TRUE(WriteBytes(changed.configPath, config));

    index.Rebuild();
    ASSERT_EQ(2, index.EntryCount("a.example"));
    const cache::CacheEntry* now[2] = {index.Entry("a.example", 0), index.Entry("a.example", 1)};
    ASSERT_STREQ(changed.configPath, now[0]->configPath);
    EXPECT_EQ(2, now[0]->version);
    EXPECT_FALSE(Marked(ThumbnailOf(index, *now[0]))) << "a new Version makes a new thumbnail";
    ASSERT_STREQ(same.configPath, now[1]->configPath);
    EXPECT_TRUE(Marked(ThumbnailOf(index, *now[1]))) << "an unchanged skin keeps its thumbnail";
    EXPECT_EQ(2 * thumb::kFileSize, same.offset);
    EXPECT_EQ(thumb::kFileSize, now[1]->offset) << "at its new place";
    EXPECT_EQ(same.length, now[1]->length);
    EXPECT_EQ(2 * thumb::kFileSize, Read(index.imagePath()).size());
}

// The thumbnail a skin's picture must get, made from the picture itself.
std::string ExpectedThumbnail(const std::string& picture)
{
    std::vector<uint8_t> file;
    EXPECT_EQ(thumb::ThumbError::kOk,
              thumb::MakeThumbnail(reinterpret_cast<const uint8_t*>(picture.data()), picture.size(), &file));
    return std::string(file.begin(), file.end());
}

// A white picture with a block of `rgb` in its middle: the white round it
// turns magenta, the block stays, so each colour gives its own thumbnail.
std::string BlockPicture(uint32_t rgb)
{
    const int width = 40, height = 30;
    std::vector<uint32_t> pixels = Solid(width, height, 0xFFFFFF);
    for (int y = 10; y < 20; ++y)
        for (int x = 15; x < 25; ++x)
            pixels[static_cast<size_t>(y) * width + x] = rgb;
    const std::vector<uint8_t> bmp = MakeBmp(width, height, 24, pixels);
    return std::string(bmp.begin(), bmp.end());
}

namespace {

// Started with these two variables set, this program only rebuilds the
// catalogue of the named root, reporting its progress to the named window of
// the process that started it, and ends before any test runs.
const char kChildRoot[] = "TAVIK_TEST_REBUILD_ROOT";
const char kChildProgress[] = "TAVIK_TEST_REBUILD_PROGRESS";

struct RebuildChild {
    RebuildChild()
    {
        char root[MAX_PATH] = "", progress[32] = "";
        if (!GetEnvironmentVariableA(kChildRoot, root, sizeof root) ||
            !GetEnvironmentVariableA(kChildProgress, progress, sizeof progress))
            return;
        HWND bar = reinterpret_cast<HWND>(static_cast<uintptr_t>(strtoull(progress, nullptr, 16)));
        { CCacheIndex index(bar, root); }
        ExitProcess(0);
    }
} rebuildChild;

// A window in this process that records every progress position a rebuild
// in another process sends it, and kills that process at one of them.
struct Recorder {
    HANDLE child = nullptr;
    int killAt = -1;  // which position message kills the child; -1: none
    std::vector<int> positions;

    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<Recorder*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (message == PBM_SETPOS && self) {
            self->positions.push_back(static_cast<int>(wParam));
            if (static_cast<int>(self->positions.size()) - 1 == self->killAt) {
                TerminateProcess(self->child, 9);
                WaitForSingleObject(self->child, 10000);
            }
            return 0;
        }
        if (message == PBM_SETRANGE)
            return 0;
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
};

// Rebuilds `root` in a second process, killed at its `killAt`th progress
// message; answers the positions it sent.
std::vector<int> RebuildInAnotherProcess(const std::string& root, int killAt)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Recorder::Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TavikTestProgressRecorder";
    RegisterClassA(&wc);
    Recorder recorder;
    recorder.killAt = killAt;
    HWND window = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    EXPECT_NE(nullptr, window);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&recorder));
    char handle[32];
    snprintf(handle, sizeof handle, "%llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
    SetEnvironmentVariableA(kChildRoot, root.c_str());
    SetEnvironmentVariableA(kChildProgress, handle);
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string command = std::string("\"") + self + "\" --gtest_filter=-*";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                        nullptr, &startup, &process);
    SetEnvironmentVariableA(kChildRoot, nullptr);
    SetEnvironmentVariableA(kChildProgress, nullptr);
    EXPECT_TRUE(started);
    if (started) {
        recorder.child = process.hProcess;
        const DWORD until = GetTickCount() + 60000;
        while (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT && GetTickCount() < until) {
            MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 1000, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
        }
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 0));
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    DestroyWindow(window);
    return recorder.positions;
}

// The paths (the folder below the host) index.dat lists, each checked to
// point at the thumbnail of its own skin's picture in image.dat.
std::vector<std::string> IndexOnDisk(const std::string& root, const std::map<std::string, std::string>& pictures)
{
    std::vector<std::string> paths;
    std::string indexBytes;
    if (!ReadBytes(root + "index.dat", &indexBytes))
        return paths;
    const std::string image = Read(root + "image.dat");
    std::vector<cache::HostBlock> blocks;
    const auto* data = reinterpret_cast<const uint8_t*>(indexBytes.data());
    EXPECT_EQ(cache::IndexError::kOk, cache::ParseIndex(data, indexBytes.size(), &blocks));
    EXPECT_TRUE(cache::IndexFitsImage(blocks, image.size()));
    for (const cache::HostBlock& block : blocks)
        for (const cache::CacheEntry& e : block.entries) {
            const std::string path = std::string(e.configPath).substr(root.size() + 10, 1);  // "a.example\\" + path
            paths.push_back(path);
            EXPECT_LE(static_cast<size_t>(e.offset) + e.length, image.size());
            if (static_cast<size_t>(e.offset) + e.length <= image.size() && pictures.count(path)) {
                EXPECT_TRUE(ExpectedThumbnail(pictures.at(path)) == image.substr(e.offset, e.length))
                    << "the thumbnail of " << path << " is another skin's";
            }
        }
    std::sort(paths.begin(), paths.end());
    return paths;
}

}  // namespace

TEST(CacheIndex, ARunCutShortLeavesOnlyTheIndexOfTheNewImage)
{
    ScratchDir root;
    Skin x, y, z;
    x.path = "x";
    x.picture = BlockPicture(0xC02020);
    y.path = "y";
    y.picture = BlockPicture(0x20C020);
    z.path = "z";
    z.picture = BlockPicture(0x2020C0);
    ASSERT_TRUE(ExpectedThumbnail(x.picture) != ExpectedThumbnail(z.picture));
    const std::map<std::string, std::string> pictures = {{"x", x.picture}, {"y", y.picture}, {"z", z.picture}};
    AddSkin(root.path(), x);
    AddSkin(root.path(), y);
    { CCacheIndex first(nullptr, root.path()); }  // leaves index.dat and image.dat for x and y
    const std::string oldIndex = Read(root / "index.dat"), oldImage = Read(root / "image.dat");
    ASSERT_EQ(std::vector<std::string>({"x", "y"}), IndexOnDisk(root.path(), pictures));

    // Runs in which x has gone and z has come, each killed at one of its
    // progress steps: what is on disk then is always a matching pair, and
    // once the new image is in place, so is its index.
    ASSERT_TRUE(DeleteFileA((root / "a.example\\x\\skin.tvc").c_str()));
    AddSkin(root.path(), z);
    const std::vector<int> whole = RebuildInAnotherProcess(root.path(), -1);
    ASSERT_GE(whole.size(), 4u);
    ASSERT_EQ(90, whole[whole.size() - 3]);
    ASSERT_EQ(100, whole[whole.size() - 2]);
    EXPECT_EQ(std::vector<std::string>({"y", "z"}), IndexOnDisk(root.path(), pictures));
    for (int killAt = 0; killAt < static_cast<int>(whole.size()); ++killAt) {
        for (const std::string& name : RootNames(root.path()))
            if (name.size() > 4 && name.substr(name.size() - 4) == ".tmp")
                DeleteFileA((root / name).c_str());  // what a killed run leaves
        ASSERT_TRUE(WriteBytes(root / "index.dat", oldIndex));
        ASSERT_TRUE(WriteBytes(root / "image.dat", oldImage));
        const std::vector<int> seen = RebuildInAnotherProcess(root.path(), killAt);
        ASSERT_EQ(static_cast<size_t>(killAt) + 1, seen.size());
        const std::vector<std::string> listed = IndexOnDisk(root.path(), pictures);
        if (killAt >= static_cast<int>(whole.size()) - 2)
            EXPECT_EQ(std::vector<std::string>({"y", "z"}), listed) << "killed after the new image was in place";
        else
            EXPECT_EQ(std::vector<std::string>({"x", "y"}), listed) << "killed at step " << killAt;
    }

    // x comes back unchanged: every skin shows its own picture.
    AddSkin(root.path(), x);
    CCacheIndex next(nullptr, root.path());
    ASSERT_EQ(3, next.EntryCount("a.example"));
    for (int n = 0; n < 3; ++n) {
        const cache::CacheEntry& e = *next.Entry("a.example", n);
        const std::string config = e.configPath;
        const std::string path = config.substr(root.path().size() + 10, 1);  // "a.example\\" + path
        EXPECT_TRUE(ExpectedThumbnail(pictures.at(path)) == ThumbnailOf(next, e)) << config;
    }
}

TEST(CacheIndex, ProgressStepsWrapAndEnd)
{
    // 25 empty host folders and one host with two skins: with ".", ".." and
    // the new image's work file the root lists 29 names.
    ScratchDir root;
    for (int i = 0; i < 25; ++i)
        CreateDirectoryA((root / ("h" + std::to_string(i))).c_str(), nullptr);
    Skin a, b;
    b.path = "other";
    AddSkin(root.path(), a);
    AddSkin(root.path(), b);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Recorder::Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TavikTestProgressSteps";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    Recorder recorder;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&recorder));
    { CCacheIndex index(window, root.path()); }
    DestroyWindow(window);
    const std::vector<int>& p = recorder.positions;
    // 0 at the start; +1 for each skin, +5 for each further name of the
    // root, both modulo 100; 90 while closing, 100 when done, then 0.
    ASSERT_EQ(34u, p.size());
    EXPECT_EQ(0, p.front());
    EXPECT_EQ(42, p[30]);  // (28 * 5 + 2) % 100
    EXPECT_EQ(std::vector<int>({90, 100, 0}), std::vector<int>(p.end() - 3, p.end()));
    int ones = 0, fives = 0, wraps = 0;
    for (size_t i = 1; i <= 30; ++i) {
        const int step = (p[i] - p[i - 1] + 100) % 100;
        ones += step == 1;
        fives += step == 5;
        wraps += p[i] < p[i - 1];
    }
    EXPECT_EQ(2, ones);
    EXPECT_EQ(28, fives);
    EXPECT_EQ(1, wraps);
}

TEST(CacheIndex, HostileIndexFilesMakeThumbnailsAfresh)
{
    ScratchDir root;
    AddSkin(root.path(), Skin());
    CCacheIndex index(nullptr, root.path());
    ASSERT_TRUE(index.WriteIndex());
    const std::string good = Read(index.indexPath());
    const size_t entryAt = cache::kHeaderSize + cache::kHostBlockHeadSize;
    auto patched = [&](size_t at, uint32_t value) {
        std::string s = good;
        memcpy(&s[at], &value, 4);
        return s;
    };
    struct Case {
        const char* what;
        std::string index;
    } cases[] = {
        {"huge host count", patched(36, 0xFFFFFFFFu)},
        {"huge entry count", patched(cache::kHeaderSize + cache::kHostNameSize, 0x7FFFFFFFu)},
        {"offset beyond image.dat", patched(entryAt + 1804, 0x7FFFFFF0u)},
        {"length beyond image.dat", patched(entryAt + 1808, 0xFFFFFFFFu)},
        {"offset and length wrapping", patched(entryAt + 1808, 0xFFFFFFFFu).replace(entryAt + 1804, 4, "\x10\0\0\0", 4)},
        {"cut short", good.substr(0, good.size() - 100)},
        {"unterminated path", std::string(good).replace(entryAt, 260, std::string(260, 'A'))},
        {"not an index", std::string(5000, '\xFF')},
    };
    for (const Case& c : cases) {
        MarkThumbnail(index.imagePath(), *index.Entry("a.example", 0));
        ASSERT_TRUE(WriteBytes(index.indexPath(), c.index));
        Catalogue read;
        EXPECT_FALSE(index.ReadIndex(&read)) << c.what;
        EXPECT_TRUE(read.empty()) << c.what;
        EXPECT_TRUE(index.Rebuild());
        ASSERT_EQ(1, index.EntryCount("a.example")) << c.what;
        EXPECT_FALSE(Marked(ThumbnailOf(index, *index.Entry("a.example", 0)))) << c.what;
        ASSERT_TRUE(index.WriteIndex());
    }

    // A sound index whose thumbnail bytes are no bitmap: made afresh too.
    const cache::CacheEntry e = *index.Entry("a.example", 0);
    std::string image = Read(index.imagePath());
    image.replace(e.offset, 2, "XX");
    ASSERT_TRUE(WriteBytes(index.imagePath(), image));
    index.Rebuild();
    const std::string t = ThumbnailOf(index, *index.Entry("a.example", 0));
    EXPECT_EQ("BM", t.substr(0, 2));
}

TEST(CacheIndex, BackgroundsThatGiveNoThumbnail)
{
    ScratchDir root;
    Skin good;
    AddSkin(root.path(), good);
    Skin notBitmap = good;
    notBitmap.name = "text";
    notBitmap.picture = "this is no picture";
    AddSkin(root.path(), notBitmap);
    Skin headerBeyond = good;  // the pixel offset points past the end
    headerBeyond.name = "beyond";
    headerBeyond.picture[10] = '\xFF';
    headerBeyond.picture[11] = '\x7F';
    AddSkin(root.path(), headerBeyond);
    Skin infoBeyond = good;  // an info header larger than the file
    infoBeyond.name = "info";
    infoBeyond.picture[14] = '\x00';
    infoBeyond.picture[15] = '\x40';
    AddSkin(root.path(), infoBeyond);
    Skin emptyPicture = good;
    emptyPicture.name = "empty";
    emptyPicture.picture.clear();
    AddSkin(root.path(), emptyPicture);
    Skin noBackground = good;
    noBackground.name = "nobackground";
    noBackground.background.clear();
    AddSkin(root.path(), noBackground);
    Skin missing = good;  // the package lacks the named picture
    missing.name = "missing";
    AddSkin(root.path(), missing);
    ASSERT_TRUE(WriteBytes(root.path() + "a.example\\app\\missing.tvc",
                           "[Application]\r\nBackground=absent.bmp\r\n"));
    Skin escaping = good;  // a name that leaves the cache root
    escaping.name = "escaping";
    escaping.background = "..\\escaped.bmp";
    AddSkin(root.path(), escaping);
    Skin ownFile = good;  // a name of the cache's own files
    ownFile.name = "own";
    ownFile.background = "index.dat";
    AddSkin(root.path(), ownFile);
    Skin notCabinet = good;
    notCabinet.name = "notcab";
    AddSkin(root.path(), notCabinet);
    ASSERT_TRUE(WriteBytes(root.path() + "a.example\\app\\notcab.tvd", "MSCF but not really"));

    {
        CCacheIndex index(nullptr, root.path());
        ASSERT_EQ(1, index.EntryCount("a.example"));
        EXPECT_EQ(root.path() + "a.example\\app\\skin.tvc", index.Entry("a.example", 0)->configPath);
        // No extracted picture and no work file is left in the root.
        EXPECT_EQ((std::vector<std::string>{"a.example", "image.dat", "index.dat"}), RootNames(root.path()));
    }
    std::string parent = root.path();
    parent.pop_back();
    parent = parent.substr(0, parent.rfind('\\') + 1);
    EXPECT_FALSE(FileExists(parent + "escaped.bmp"));
    EXPECT_EQ((std::vector<std::string>{"a.example", "image.dat", "index.dat"}), RootNames(root.path()));
}

TEST(CacheIndex, EncipheredPackagesAreDecipheredForTheirThumbnail)
{
    ScratchDir root;
    Skin plain;
    AddSkin(root.path(), plain);
    Skin enciphered = plain;  // a package of several 1024-byte blocks
    enciphered.host = "b.example";
    enciphered.key = "Kz7seven";
    AddSkin(root.path(), enciphered);
    Skin noKey = enciphered;  // ENCRYPT set, ENCRYPTKEY empty
    noKey.name = "nokey";
    noKey.configKey = "";
    AddSkin(root.path(), noKey);
    Skin wrongKey = enciphered;
    wrongKey.name = "wrongkey";
    wrongKey.configKey = "other";
    AddSkin(root.path(), wrongKey);

    CCacheIndex index(nullptr, root.path());
    ASSERT_EQ(1, index.EntryCount("a.example"));
    ASSERT_EQ(1, index.EntryCount("b.example"));
    EXPECT_EQ(root.path() + "b.example\\app\\skin.tvc", index.Entry("b.example", 0)->configPath);
    // The same picture gives the same thumbnail, enciphered or not.
    EXPECT_TRUE(ThumbnailOf(index, *index.Entry("a.example", 0)) ==
                ThumbnailOf(index, *index.Entry("b.example", 0)));
    // Neither the deciphered copy nor the picture is left in the root.
    EXPECT_EQ((std::vector<std::string>{"a.example", "b.example", "image.dat", "index.dat"}), RootNames(root.path()));
}

TEST(CacheIndex, DeleteHostAndClear)
{
    ScratchDir root;
    Skin a;
    AddSkin(root.path(), a);
    Skin b = a;
    b.host = "b.example";
    AddSkin(root.path(), b);
    // Things the user never sees but Clear takes too: a read-only file, a
    // hidden folder and a loose file.
    Skin c = a;
    c.host = "c.example";
    AddSkin(root.path(), c);
    ASSERT_TRUE(WriteBytes(root / "c.example\\app\\locked.txt", "x"));
    SetFileAttributesA((root / "c.example\\app\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    CreateDirectoryA((root / "hidden").c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(root / "hidden\\f", "x"));
    SetFileAttributesA((root / "hidden").c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(WriteBytes(root / "loose.bin", "x"));

    CCacheIndex index(nullptr, root.path());
    ASSERT_EQ(3, index.HostCount());
    ASSERT_TRUE(index.WriteIndex());

    // Names that are not one folder below the root delete nothing.
    for (const char* bad : {"", ".", "..", "..\\..", "a.example\\app", "nohost.example", "loose.bin"})
        EXPECT_FALSE(index.DeleteHost(bad)) << bad;
    EXPECT_TRUE(FileExists(root / "a.example\\app\\skin.tvc"));

    EXPECT_TRUE(index.DeleteHost("a.example"));
    EXPECT_FALSE(FileExists(root / "a.example"));
    EXPECT_TRUE(FileExists(root / "b.example\\app\\skin.tvd"));
    index.Rebuild();
    EXPECT_EQ(2, index.HostCount());
    EXPECT_EQ(-1, index.EntryCount("a.example"));

    EXPECT_TRUE(index.Clear());
    EXPECT_TRUE(FileExists(root.path()));
    EXPECT_EQ(std::vector<std::string>{}, RootNames(root.path()));
    index.Rebuild();
    EXPECT_EQ(0, index.HostCount());
    EXPECT_TRUE(index.WriteIndex());
    EXPECT_EQ((std::vector<std::string>{"image.dat", "index.dat"}), RootNames(root.path()));
    EXPECT_EQ("", Read(root / "image.dat"));
    EXPECT_EQ(cache::kHeaderSize, Read(root / "index.dat").size());
}

namespace {

// Folder links for the test: under Wine Unix symbolic links, made and removed
// by the system's ln and rm through Wine's Unix file names (Wine makes
// neither a link with CreateSymbolicLink nor a junction with
// FSCTL_SET_REPARSE_POINT); on Windows directory symbolic links.
class FolderLinks {
    // Runs a Unix program (Wine starts those too); its exit code, -1 when it
    // did not run.
    static int RunUnix(std::string commandLine)
    {
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &si, &pi))
            return -1;
        DWORD code = static_cast<DWORD>(-1);
        if (WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0)
            GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return static_cast<int>(code);
    }

    static bool WaitFor(const std::string& path, bool present)
    {
        for (int i = 0; i < 500; ++i) {
            if (FileExists(path) == present)
                return true;
            Sleep(10);
        }
        return false;
    }

public:
    ~FolderLinks()
    {
        for (const auto& link : unixLinks_) {
            RunUnix("Z:\\bin\\rm -f \"" + link.second + "\"");
            WaitFor(link.first, false);
        }
    }

    // False when this system can make no folder link.
    bool Make(const std::string& link, const std::string& target)
    {
        typedef char*(CDECL * UnixNameFn)(LPCWSTR);
        const UnixNameFn unixName = reinterpret_cast<UnixNameFn>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
        if (unixName) {
            auto convert = [&](const std::string& path) {
                wchar_t wide[MAX_PATH];
                MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
                char* name = unixName(wide);
                std::string out = name ? name : "";
                HeapFree(GetProcessHeap(), 0, name);
                return out;
            };
            // The link does not exist yet: its folder is converted.
            const size_t cut = link.find_last_of('\\');
            const std::string from = convert(target);
            const std::string folder = convert(link.substr(0, cut));
            const std::string to = folder.empty() ? folder : folder + "/" + link.substr(cut + 1);
            if (from.empty() || to.empty())
                return false;
            // Wine gives no waitable handle for a Unix program: the test
            // waits for the link itself.
            RunUnix("Z:\\bin\\ln -s \"" + from + "\" \"" + to + "\"");
            if (!WaitFor(link, true))
                return false;
            unixLinks_.emplace_back(link, to);
            return true;
        }
        typedef BOOLEAN(WINAPI * SymlinkFn)(LPCSTR, LPCSTR, DWORD);
        const SymlinkFn symlink = reinterpret_cast<SymlinkFn>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkA")));
        return symlink && symlink(link.c_str(), target.c_str(), 1 /* directory */) &&
               FileExists(link);
    }

private:
    std::vector<std::pair<std::string, std::string>> unixLinks_;  // Windows and Unix names
};

}  // namespace

TEST(CacheIndex, LinksOutOfTheCacheAreNeverFollowed)
{
    ScratchDir outside;
    ScratchDir root;
    FolderLinks links;  // gone before the scratch folders
    ASSERT_TRUE(CreateDirectoryA((outside / "keep").c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(outside / "keep\\precious.txt", "keep me"));
    AddSkin(root.path(), Skin());
    Skin b;
    b.host = "b.example";
    AddSkin(root.path(), b);
    if (!links.Make(root / "a.example\\app\\link", outside / "keep"))
        GTEST_SKIP() << "this system makes no folder links";
    ASSERT_TRUE(links.Make(root / "hostlink", outside / "keep"));
    ASSERT_TRUE(links.Make(root / "b.example\\linkpath", outside / "keep"));
    Skin c;
    c.host = "c.example";
    AddSkin(root.path(), c);
    ASSERT_TRUE(links.Make(root / "c.example\\filelink", outside / "keep\\precious.txt"));
    const DWORD attributes = GetFileAttributesA((root / "hostlink").c_str());
    // The system shows the link as a reparse point, so the catalogue skips it.
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT), attributes);

    CCacheIndex index(nullptr, root.path());
    EXPECT_EQ(3, index.HostCount());
    EXPECT_EQ(-1, index.EntryCount("hostlink"));
    EXPECT_EQ(1, index.EntryCount("b.example"));

    // Delete host on a folder holding a link, on the link itself, then Clear:
    // the target and its file stay, whatever each answers. (Wine cannot
    // remove a Unix link to a folder, so there the deletion stops at it and
    // answers false; Windows removes the link.)
    const bool deleted = index.DeleteHost("a.example");
    EXPECT_EQ("keep me", Read(outside / "keep\\precious.txt"));
    EXPECT_EQ(deleted, !FileExists(root / "a.example"));
    index.DeleteHost("hostlink");
    EXPECT_EQ("keep me", Read(outside / "keep\\precious.txt"));
    // Wine shows a Unix link to a file as a plain file and cannot remove it
    // without deleting its target: the deletion stops there. Windows marks
    // the link and removes it.
    EXPECT_EQ(index.DeleteHost("c.example"), !FileExists(root / "c.example"));
    EXPECT_EQ("keep me", Read(outside / "keep\\precious.txt"));
    const bool cleared = index.Clear();
    EXPECT_EQ("keep me", Read(outside / "keep\\precious.txt"));
    EXPECT_EQ(std::vector<std::string>{"precious.txt"}, ListTree(outside / "keep\\"));
    if (cleared) {
        EXPECT_EQ(std::vector<std::string>{}, RootNames(root.path()));
    }
}

TEST(CacheIndex, ExtractionNeverWritesThroughALink)
{
    ScratchDir outside;
    ScratchDir root;
    FolderLinks links;
    ASSERT_TRUE(WriteBytes(outside / "precious.txt", "keep me"));
    AddSkin(root.path(), Skin());
    if (!links.Make(root / "back.bmp", outside / "precious.txt"))
        GTEST_SKIP() << "this system makes no links";
    CCacheIndex index(nullptr, root.path());
    EXPECT_EQ(-1, index.EntryCount("a.example"));
    EXPECT_EQ("keep me", Read(outside / "precious.txt"));
}
