// The personal file reader and writer, the thumbnail and the framework's
// file errors and file dialog texts, on real files under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/dib_format.h"
#include "framework/app.h"
#include "framework/file.h"
#include "framework/file_dialogs.h"
#include "framework/file_error.h"
#include "personalfile/personal_file.h"
#include "tests/support/bmp_writer.h"
#include "tests/support/win_files.h"
#include "tests/support/win_ui.h"

namespace {

struct Sources {
    std::string preview, config, package;
};

Sources MakeSources(const ScratchDir& dir, const std::string& preview, const std::string& config,
                    const std::string& package)
{
    Sources s{dir / "p.bmp", dir / "skin.tvc", dir / "skin.tvd"};
    WriteBytes(s.preview, preview);
    WriteBytes(s.config, config);
    WriteBytes(s.package, package);
    return s;
}

std::string Read(const std::string& path)
{
    std::string bytes;
    ReadBytes(path, &bytes);
    return bytes;
}

// The bytes of a written header at an offset and size of the stored layout.
struct At {
    size_t offset, size;
};
const At kMagicAt{0, 33}, kTitleAt{33, 33}, kAuthorAt{66, 33}, kCommentAt{99, 257},
    kConfigPathAt{372, 261}, kPreviewPathAt{633, 261}, kSkinNameAt{894, 261},
    kStartUrlAt{1155, 2085}, kDataUrlAt{3240, 2085}, kRightsAt{5325, 259}, kVersionAt{5584, 4},
    kPreviewSizeAt{5588, 4}, kConfigSizeAt{5592, 4}, kPackageSizeAt{5596, 4};

std::string Field(const std::string& file, const At& f) { return file.substr(f.offset, f.size); }

std::string Padded(const std::string& text, const At& f)
{
    return text + std::string(f.size - text.size(), '\0');
}

// What is left in a folder besides `keep`.
std::vector<std::string> Others(const ScratchDir& dir, const std::vector<std::string>& keep)
{
    std::vector<std::string> left;
    for (const std::string& name : ListTree(dir.path()))
        if (std::find(keep.begin(), keep.end(), name) == keep.end())
            left.push_back(name);
    return left;
}

}  // namespace

TEST(PersonalFile, WrittenByteForByteAndReadBack)
{
    ScratchDir dir;
    const std::string config = "[Application]\r\nversion=12\r\nBACKGROUND=b.bmp\r\n";
    const Sources s = MakeSources(dir, "BMpreview", config, std::string("MSCF\0\x01\x02", 7));
    PersonalFile file;
    file.Initialize();
    file.header().SetTitle("Title");
    file.header().SetAuthor("Author");
    file.header().SetComment("one\r\ntwo");
    file.header().SetStartUrl("http://127.0.0.1/start/");
    file.header().SetDataUrl("");
    file.header().SetRights("(c) someone");
    file.SetConfiguration(s.config);
    file.header().SetPreviewPath(s.preview);
    SYSTEMTIME before;
    GetSystemTime(&before);
    file.Write(dir / "out.tvf", s.preview, s.config, s.package);

    const std::string out = Read(dir / "out.tvf");
    ASSERT_EQ(5600u + 9 + config.size() + 7, out.size());
    EXPECT_EQ(Padded("Tavik Personal Version File V1.0", kMagicAt), Field(out, kMagicAt));
    EXPECT_EQ(Padded("Title", kTitleAt), Field(out, kTitleAt));
    EXPECT_EQ(Padded("Author", kAuthorAt), Field(out, kAuthorAt));
    EXPECT_EQ(Padded("one\r\ntwo", kCommentAt), Field(out, kCommentAt));
    EXPECT_EQ(Padded(s.config, kConfigPathAt), Field(out, kConfigPathAt));
    EXPECT_EQ(Padded(s.preview, kPreviewPathAt), Field(out, kPreviewPathAt));
    EXPECT_EQ(Padded("skin", kSkinNameAt), Field(out, kSkinNameAt));
    EXPECT_EQ(Padded("http://127.0.0.1/start/", kStartUrlAt), Field(out, kStartUrlAt));
    EXPECT_EQ(std::string(kDataUrlAt.size, '\0'), Field(out, kDataUrlAt));  // empty data URL
    EXPECT_EQ(Padded("(c) someone", kRightsAt), Field(out, kRightsAt));
    EXPECT_EQ(std::string("\x0C\0\0\0", 4), Field(out, kVersionAt));
    EXPECT_EQ(std::string("\x09\0\0\0", 4), Field(out, kPreviewSizeAt));
    EXPECT_EQ(std::string(1, static_cast<char>(config.size())) + std::string(3, '\0'), Field(out, kConfigSizeAt));
    EXPECT_EQ(std::string("\x07\0\0\0", 4), Field(out, kPackageSizeAt));
    // The creation time: the writer's clock, in UTC.
    const uint16_t year = static_cast<uint8_t>(out[356]) | static_cast<uint8_t>(out[357]) << 8;
    const uint16_t hour = static_cast<uint8_t>(out[364]);
    EXPECT_EQ(before.wYear, year);
    EXPECT_TRUE(hour == before.wHour || hour == (before.wHour + 1) % 24);
    EXPECT_EQ("BMpreview", out.substr(5600, 9));
    EXPECT_EQ(config, out.substr(5609, config.size()));
    EXPECT_EQ(std::string("MSCF\0\x01\x02", 7), out.substr(5609 + config.size()));

    PersonalFile back;
    ASSERT_TRUE(back.Open(dir / "out.tvf"));
    EXPECT_EQ(0, std::memcmp(back.header().bytes(), out.data(), 5600));
    EXPECT_EQ("one\r\ntwo", back.header().comment());
    EXPECT_EQ(12, back.header().skinVersion());
    EXPECT_EQ("http://127.0.0.1/start/", back.header().placementUrl());
    const auto preview = back.ReadPreview();
    const auto cfg = back.ReadConfiguration();
    const auto pkg = back.ReadPackage();
    EXPECT_EQ("BMpreview", std::string(preview.begin(), preview.end()));
    EXPECT_EQ(config, std::string(cfg.begin(), cfg.end()));
    EXPECT_EQ(std::string("MSCF\0\x01\x02", 7), std::string(pkg.begin(), pkg.end()));
    back.Close();
    EXPECT_TRUE(Others(dir, {"out.tvf", "p.bmp", "skin.tvc", "skin.tvd"}).empty());
}

TEST(PersonalFile, EmptyPreviewAndUpperCaseMagic)
{
    ScratchDir dir;
    const Sources s = MakeSources(dir, "", "[Application]\r\n", "CAB");
    PersonalFile file;
    file.SetConfiguration(s.config);
    file.Write(dir / "a.tvf", s.preview, s.config, s.package);
    std::string out = Read(dir / "a.tvf");
    EXPECT_EQ(std::string(4, '\0'), Field(out, kPreviewSizeAt));
    EXPECT_EQ(std::string(4, '\0'), Field(out, kVersionAt));  // no version key
    EXPECT_EQ("[Application]\r\n", out.substr(5600, 15));           // configuration at 5600

    std::memcpy(&out[0], "TAVIK PERSONAL VERSION FILE V1.0", 32);
    WriteBytes(dir / "upper.tvf", out);
    PersonalFile upper;
    ASSERT_TRUE(upper.Open(dir / "upper.tvf"));
    EXPECT_TRUE(upper.ReadPreview().empty());
    const auto pkg = upper.ReadPackage();
    EXPECT_EQ("CAB", std::string(pkg.begin(), pkg.end()));
}

TEST(PersonalFile, ForeignAndDamagedFiles)
{
    ScratchDir dir;
    const Sources s = MakeSources(dir, "PP", "CC", "DD");
    PersonalFile good;
    good.header().SetTitle("kept");
    good.Write(dir / "good.tvf", s.preview, s.config, s.package);
    const std::string bytes = Read(dir / "good.tvf");

    struct Case {
        const char* name;
        std::string bytes;
        bool opens;
        bool fileError;
    } cases[] = {
        {"good", bytes, true, false},
        {"foreign", "hello, world", false, false},
        {"empty", "", false, false},
        {"other magic", "Tavik Personal Version File V2.0" + bytes.substr(32), false, false},
        {"cut in the package", bytes.substr(0, bytes.size() - 1), false, true},
        {"cut in the header", bytes.substr(0, 100), false, true},
        {"huge sizes", bytes.substr(0, 5588) + std::string(12, '\xFF') + bytes.substr(5600), false, true},
        {"trailing bytes", bytes + "xyz", true, false},
    };
    for (const Case& c : cases) {
        WriteBytes(dir / "t.tvf", c.bytes);
        PersonalFile file;
        file.header().SetTitle("before");
        bool opened = false, fileError = false;
        try {
            opened = file.Open(dir / "t.tvf");
        } catch (const fw::FileError& e) {
            fileError = true;
            EXPECT_EQ(fw::FileError::kEndOfFile, e.cause()) << c.name;
            EXPECT_EQ("An attempt was made to access " + (dir / "t.tvf") + " past its end.", e.message());
        }
        EXPECT_EQ(c.opens, opened) << c.name;
        EXPECT_EQ(c.fileError, fileError) << c.name;
        EXPECT_EQ(opened ? "kept" : "before", file.header().title()) << c.name;
        file.Close();
    }
}

TEST(PersonalFile, OpenAndCheckShowsTheFileErrorText)
{
    ScratchDir dir;
    struct Seen {
        std::string caption, text;
    } seen;
    {
        DialogDriver driver(GetCurrentThreadId(), [&seen](HWND box) {
            char text[600];
            GetWindowTextA(box, text, sizeof text);
            seen.caption = text;
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            seen.text = text;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
        fw::App app(GetModuleHandleA(nullptr), "ConvTVF");
        PersonalFile file;
        EXPECT_FALSE(file.OpenAndCheck(dir / "missing.tvf", nullptr));
    }
    EXPECT_EQ("ConvTVF", seen.caption);
    EXPECT_EQ((dir / "missing.tvf") + " was not found.", seen.text);
}

TEST(PersonalFile, FailedWriteKeepsTheEarlierFile)
{
    ScratchDir dir;
    const Sources s = MakeSources(dir, "P", "C", "D");
    WriteBytes(dir / "old.tvf", std::string("the earlier file"));

    // A missing data package.
    PersonalFile file;
    try {
        file.Write(dir / "old.tvf", s.preview, s.config, dir / "gone.tvd");
        ADD_FAILURE() << "no error";
    } catch (const fw::FileError& e) {
        EXPECT_EQ(fw::FileError::kFileNotFound, e.cause());
        EXPECT_EQ((dir / "gone.tvd") + " was not found.", e.message());
    }
    EXPECT_EQ("the earlier file", Read(dir / "old.tvf"));

    // A target that another program holds open without sharing.
    HANDLE held = CreateFileA((dir / "old.tvf").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    try {
        file.Write(dir / "old.tvf", s.preview, s.config, s.package);
        ADD_FAILURE() << "no error";
    } catch (const fw::FileError& e) {
        EXPECT_EQ((dir / "old.tvf"), e.fileName());
    }
    CloseHandle(held);
    EXPECT_EQ("the earlier file", Read(dir / "old.tvf"));
    // A target that is a folder.
    CreateDirectoryA((dir / "folder.tvf").c_str(), nullptr);
    try {
        file.Write(dir / "folder.tvf", s.preview, s.config, s.package);
        ADD_FAILURE() << "no error";
    } catch (const fw::FileError& e) {
        EXPECT_EQ(fw::FileError::kAccessDenied, e.cause());
        EXPECT_EQ("Access to " + (dir / "folder.tvf") + " was denied.", e.message());
    }
    // No temporary file is left behind.
    EXPECT_EQ(std::vector<std::string>{}, Others(dir, {"old.tvf", "p.bmp", "skin.tvc", "skin.tvd"}));

    // A folder that does not exist.
    EXPECT_THROW(file.Write(dir / "no\\such.tvf", s.preview, s.config, s.package), fw::FileError);
    // The sources are opened before the target is made: a missing source is
    // the error reported, whatever the target's state.
    try {
        file.Write(dir / "no\\such.tvf", s.preview, dir / "gone.tvc", s.package);
        ADD_FAILURE() << "no error";
    } catch (const fw::FileError& e) {
        EXPECT_EQ((dir / "gone.tvc") + " was not found.", e.message());
    }

    // Replacing a file nobody holds.
    file.Write(dir / "old.tvf", s.preview, s.config, s.package);
    EXPECT_EQ(5603u, Read(dir / "old.tvf").size());
}

TEST(FileError, TextsAndCauses)
{
    struct Case {
        DWORD os;
        fw::FileError::Cause cause;
        const char* text;
    } cases[] = {
        {ERROR_FILE_NOT_FOUND, fw::FileError::kFileNotFound, "x.tvf was not found."},
        {ERROR_PATH_NOT_FOUND, fw::FileError::kBadPath, "x.tvf contains an invalid path."},
        {ERROR_ACCESS_DENIED, fw::FileError::kAccessDenied, "Access to x.tvf was denied."},
        {ERROR_SHARING_VIOLATION, fw::FileError::kSharingViolation,
         "A sharing violation occurred while accessing x.tvf."},
        {ERROR_DISK_FULL, fw::FileError::kDiskFull, "Disk full while accessing x.tvf."},
        {ERROR_HANDLE_EOF, fw::FileError::kEndOfFile, "An attempt was made to access x.tvf past its end."},
        {ERROR_TOO_MANY_OPEN_FILES, fw::FileError::kTooManyOpenFiles,
         "x.tvf could not be opened because there are too many open files."},
        {12345, fw::FileError::kGeneric, "An unknown error occurred while accessing x.tvf."},
    };
    for (const Case& c : cases) {
        const fw::FileError e = fw::FileError::FromOsError(c.os, "x.tvf");
        EXPECT_EQ(c.cause, e.cause()) << c.os;
        EXPECT_EQ(c.text, e.message()) << c.os;
    }
    EXPECT_EQ("50% of 1 and 1", fw::FormatMessage1("50% of %1 and %1", "1"));
}

TEST(FileError, RealFailuresOfTheFileClass)
{
    ScratchDir dir;
    try {
        fw::File(dir / "none.bin", fw::File::kRead);
        ADD_FAILURE();
    } catch (const fw::FileError& e) {
        EXPECT_EQ((dir / "none.bin") + " was not found.", e.message());
    }
    CreateDirectoryA((dir / "sub").c_str(), nullptr);
    try {
        fw::File(dir / "sub", fw::File::kCreate);
        ADD_FAILURE();
    } catch (const fw::FileError& e) {
        EXPECT_EQ("Access to " + (dir / "sub") + " was denied.", e.message());
    }
    WriteBytes(dir / "ro.bin", std::string("x"));
    fw::File small(dir / "ro.bin", fw::File::kRead);
    char two[2];
    EXPECT_THROW(small.ReadExactly(two, 2), fw::FileError);
    // A view or a copy past the end is the end of the file, never a read
    // beyond it.
    EXPECT_EQ(1u, small.View(0, 1).size());
    EXPECT_EQ(0u, small.View(1, 0).size());
    for (const auto& [offset, size] : {std::pair<uint64_t, size_t>{0, 2}, {1, 1}, {2, 0}}) {
        try {
            small.View(offset, size);
            ADD_FAILURE() << offset << "+" << size;
        } catch (const fw::FileError& e) {
            EXPECT_EQ(fw::FileError::kEndOfFile, e.cause());
        }
    }
    fw::File out(dir / "out.bin", fw::File::kCreate);
    EXPECT_THROW(small.CopyTo(out, 0, 2), fw::FileError);
}

TEST(FileDialogs, FiltersAndExtensions)
{
    EXPECT_EQ(std::string("Tavik Personal file(*.tvf)\0*.tvf\0\0\0\0", 36),
              fw::SystemFilter("Tavik Personal file(*.tvf)|*.tvf||"));
    EXPECT_EQ(std::string("A\0*.a\0\0", 7), fw::SystemFilter("A|*.a"));
    EXPECT_EQ("tvf", fw::BareExtension("*.tvf"));
    EXPECT_EQ("bmp", fw::BareExtension(".bmp"));
    EXPECT_EQ("tvc", fw::BareExtension("tvc"));
    EXPECT_EQ("", fw::BareExtension(nullptr));
}

// ---- MakeThumbnail ----

namespace {

std::vector<uint32_t> Gradient(int w, int h)
{
    std::vector<uint32_t> px(w * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            px[y * w + x] = (x < w / 2) ? 0xFF0000 : 0x0000FF;
    return px;
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

TEST(Thumbnail, EveryColourFormatGives120By120InTheSameFormat)
{
    ScratchDir dir;
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        const std::vector<uint8_t> source = MakeBmp(200, 150, bits, Gradient(200, 150));
        WriteBytes(dir / "src.bmp", source);
        ASSERT_TRUE(MakeThumbnail(dir / "src.bmp", dir / "thumb.bmp", 120, 120)) << bits;
        std::string out = Read(dir / "thumb.bmp");
        const auto* data = reinterpret_cast<const uint8_t*>(out.data());
        DibLayout layout;
        ASSERT_EQ(DIB_OK, ParseDib(data, out.size(), &layout)) << bits;
        EXPECT_EQ(120, layout.width);
        EXPECT_EQ(120, layout.height);
        EXPECT_EQ(bits, layout.bitCount);
        EXPECT_EQ(out.size(), layout.pixelOffset + layout.imageSize) << bits;
        // File header: size and offset as written.
        EXPECT_EQ(out.size(), static_cast<size_t>(data[2] | data[3] << 8 | data[4] << 16));
        if (bits == 24) {
            // Left half red, right half blue.
            const uint8_t* row = data + layout.pixelOffset + 60 * layout.stride;
            EXPECT_EQ(0xFF, row[10 * 3 + 2]);
            EXPECT_EQ(0x00, row[10 * 3 + 0]);
            EXPECT_EQ(0xFF, row[110 * 3 + 0]);
            EXPECT_EQ(0x00, row[110 * 3 + 2]);
        }
    }
}

TEST(Thumbnail, UntrustworthyBitmapsGiveNoPreview)
{
    ScratchDir dir;
    const std::vector<uint8_t> good = MakeBmp(64, 64, 8, Gradient(64, 64));
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"empty", {}});
    cases.push_back({"text", {'h', 'i'}});
    {
        auto b = good;
        Put32(b, 46, 0x7FFFFFFF);  // colours used
        cases.push_back({"colours used", b});
    }
    {
        auto b = good;
        Put32(b, 14, 0x10000000);  // info header size
        cases.push_back({"header size", b});
    }
    {
        auto b = good;
        Put32(b, 10, 0xFFFFFF00);  // pixel offset
        cases.push_back({"pixel offset", b});
    }
    {
        auto b = good;
        b.resize(b.size() - 100);  // fewer pixels than the picture needs
        cases.push_back({"truncated", b});
    }
    {
        auto b = good;
        Put32(b, 18, 100000);  // width
        cases.push_back({"width", b});
    }
    for (const Case& c : cases) {
        WriteBytes(dir / "src.bmp", c.bytes);
        WriteBytes(dir / "thumb.bmp", std::string("untouched"));
        EXPECT_FALSE(MakeThumbnail(dir / "src.bmp", dir / "thumb.bmp", 120, 120)) << c.name;
        EXPECT_EQ("untouched", Read(dir / "thumb.bmp")) << c.name;
    }
    EXPECT_FALSE(MakeThumbnail(dir / "missing.bmp", dir / "thumb.bmp", 120, 120));
    WriteBytes(dir / "src.bmp", good);
    EXPECT_TRUE(MakeThumbnail(dir / "src.bmp", dir / "thumb.bmp", 120, 120));
}

TEST(PersonalFile, SectionsSavedToFilesAndMapped)
{
    ScratchDir dir;
    std::string package(3 * 1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < package.size(); ++i)
        package[i] = static_cast<char>(i * 7);
    const Sources s = MakeSources(dir, "PREVIEW", "[Application]\r\n", package);
    PersonalFile file;
    file.Write(dir / "f.tvf", s.preview, s.config, s.package);
    PersonalFile back;
    ASSERT_TRUE(back.Open(dir / "f.tvf"));
    back.SavePackage(dir / "out.tvd");
    back.SaveConfiguration(dir / "out.tvc");
    back.SavePreview(dir / "out.bmp");
    EXPECT_EQ(package, Read(dir / "out.tvd"));
    EXPECT_EQ("[Application]\r\n", Read(dir / "out.tvc"));
    EXPECT_EQ("PREVIEW", Read(dir / "out.bmp"));
    // Views start at 5607 and 5622, off the system's 64 KB mapping grain,
    // and stay readable once the file is closed.
    const fw::FileView preview = back.ViewPreview();
    const fw::FileView config = back.ViewConfiguration();
    const fw::FileView mapped = back.ViewPackage();
    back.Close();
    EXPECT_EQ("PREVIEW", std::string(preview.begin(), preview.end()));
    EXPECT_EQ("[Application]\r\n", std::string(config.begin(), config.end()));
    EXPECT_EQ(package, std::string(mapped.begin(), mapped.end()));
    EXPECT_THROW(back.SavePackage(dir / "closed.tvd"), fw::FileError);
    EXPECT_THROW(back.ViewPackage(), fw::FileError);
}
