#include "core/skin_lint.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/dib_format.h"
#include "core/frame_geometry.h"
#include "core/profile_reader.h"
#include "tests/support/bmp_writer.h"

namespace {

class ConfigFile {
public:
    explicit ConfigFile(const std::string& text)
    {
        char name[] = "/tmp/tavik-lint-XXXXXX";
        const int fd = mkstemp(name);
        path_ = name;
        FILE* f = fdopen(fd, "w");
        fputs(text.c_str(), f);
        fclose(f);
    }
    ~ConfigFile() { std::remove(path_.c_str()); }
    const char* path() const { return path_.c_str(); }

private:
    std::string path_;
};

class FakeFiles : public SkinFiles {
public:
    Result Read(const std::string& name, size_t limit, std::vector<uint8_t>* bytes) const override
    {
        auto it = files.find(name);
        if (it == files.end())
            return kMissing;
        if (bytes == nullptr)
            return kRead;
        if (it->second.size() > limit)
            return kTooLarge;
        *bytes = it->second;
        return kRead;
    }
    std::map<std::string, std::vector<uint8_t>> files;
};

// A 40 x 30 background: a frame of white around a grey shape.
std::vector<uint32_t> BackgroundPixels()
{
    std::vector<uint32_t> pixels = Solid(40, 30, 0xFFFFFF);
    for (int y = 2; y < 28; ++y)
        for (int x = 2; x < 38; ++x)
            pixels[static_cast<size_t>(y) * 40 + x] = 0x808080;
    return pixels;
}

FakeFiles GoodFiles()
{
    FakeFiles f;
    f.files["back.bmp"] = MakeBmp(40, 30, 24, BackgroundPixels());
    f.files["btn.bmp"] = MakeBmp(10, 10, 8, Solid(10, 10, 0x00FF00));
    f.files["ani.bmp"] = MakeBmp(20, 8, 24, Solid(20, 8, 0x0000FF));
    const std::vector<uint32_t> pixels = BackgroundPixels();
    f.files["edge.pol"] = EncodeEdgePol(TraceOutline(pixels.data(), 40, 30, 40, 0));
    return f;
}

const char kGoodSkin[] =
    "[APPLICATION]\n"
    "Version=3\n"
    "NAME=Lint\n"
    "CX=40\n"
    "CY=30\n"
    "BACKGROUND=back.bmp\n"
    "BTNNUMBER=1\n"
    "ANINUMBER=1\n"
    "WEBCONTROLLOCATION=2,12,38,28\n"
    "URLEDITLOCATION=12,2,38,10\n"
    "[BTN1]\n"
    "LOCATION=1,1,11,11\n"
    "BMP=btn.bmp\n"
    "FUNCTION=BACK\n"
    "HOTKEY=ALT+VK_LEFT\n"
    "[ANI1]\n"
    "LOCATION=20,20,40,28\n"
    "BMP=ani.bmp\n";

std::string Edited(const std::vector<std::pair<std::string, std::string>>& edits)
{
    std::string text = kGoodSkin;
    for (const auto& e : edits) {
        const size_t at = text.find(e.first);
        if (at == std::string::npos) {
            ADD_FAILURE() << "not in the skin: " << e.first;
            continue;
        }
        text.replace(at, e.first.size(), e.second);
    }
    return text;
}

std::vector<std::string> Lint(const std::string& text, const SkinFiles* files)
{
    ConfigFile config(text);
    std::vector<std::string> lines;
    for (const LintProblem& p : LintSkin(config.path(), files))
        lines.push_back(FormatLintProblem(p));
    return lines;
}

}  // namespace

TEST(SkinLint, ConfigurationRules)
{
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> edits;
        std::vector<std::string> want;
    } cases[] = {
        {"a good skin", {}, {}},
        {"no Version", {{"Version=3\n", ""}},
         {"[Application] Version: missing: the client fetches the skin again at every start"}},
        {"Version not a number", {{"Version=3", "Version=three"}},
         {"[Application] Version: \"three\" is not a whole number"}},
        {"Version read differently", {{"Version=3", "Versions=1\nVersion=3"}},
         {"[Application] Version: the client reads 1 but the manager reads 3 (a key that "
          "begins with Version comes first?)"}},
        {"ENCRYPT without a key", {{"NAME=Lint", "ENCRYPT=1"}},
         {"[APPLICATION] ENCRYPTKEY: empty while ENCRYPT is set: the client cannot read the "
          "package"}},
        {"no background named", {{"BACKGROUND=back.bmp\n", ""}},
         {"[APPLICATION] BACKGROUND: no bitmap is named"}},
        {"a background outside the skin folder", {{"BACKGROUND=back.bmp", "BACKGROUND=..\\back.bmp"}},
         {"[APPLICATION] BACKGROUND: \"..\\back.bmp\" is not a plain file name of the skin "
          "folder: the client refuses the skin"}},
        {"a button bitmap that is a device", {{"BMP=btn.bmp", "BMP=NUL.bmp"}},
         {"[BTN1] BMP: \"NUL.bmp\" is not a plain file name of the skin folder: the client "
          "refuses the skin"}},
        {"a button outside the background", {{"LOCATION=1,1,11,11", "LOCATION=35,1,45,11"}},
         {"[BTN1] LOCATION: 35,1,45,11 lies outside the background (40 x 30)"}},
        {"a negative corner", {{"URLEDITLOCATION=12,2", "URLEDITLOCATION=-1,2"}},
         {"[APPLICATION] URLEDITLOCATION: -1,2,38,10 lies outside the background (40 x 30)"}},
        {"an inverted web area", {{"WEBCONTROLLOCATION=2,12,38,28", "WEBCONTROLLOCATION=38,12,2,28"}},
         {"[APPLICATION] WEBCONTROLLOCATION: 38,12,2,28 is not left,top,right,bottom: it ends "
          "before it starts"}},
        {"a button without area", {{"LOCATION=1,1,11,11\n", ""}},
         {"[BTN1] LOCATION: missing or 0,0,0,0: the control has no area"}},
        {"a band of zero width", {{"NAME=Lint", "H-RESIZEAREA=10,10\nV-RESIZEAREA=5,6"}},
         {"[APPLICATION] H-RESIZEAREA: 10,10 has zero width"}},
        {"a band past the bitmap", {{"NAME=Lint", "H-RESIZEAREA=30,50\nV-RESIZEAREA=5,6"}},
         {"[APPLICATION] H-RESIZEAREA: 30,50 lies outside the bitmap (width 40)"}},
        {"a band ending before it starts", {{"NAME=Lint", "H-RESIZEAREA=10,20\nV-RESIZEAREA=6,5"}},
         {"[APPLICATION] V-RESIZEAREA: 6,5 ends before it starts"}},
        {"one band only", {{"NAME=Lint", "H-RESIZEAREA=10,20"}},
         {"[APPLICATION] V-RESIZEAREA: missing while H-RESIZEAREA is set: the skin is never "
          "stretched"}},
        {"a hotkey that does not parse", {{"HOTKEY=ALT+VK_LEFT", "HOTKEY=CTRL+VK_F"}},
         {"[BTN1] HOTKEY: \"CTRL+VK_F\" does not parse: \"VK_F\" is no key name"}},
        {"a hotkey with a trailing blank", {{"HOTKEY=ALT+VK_LEFT", "HOTKEY=\"ALT+A \""}},
         {"[BTN1] HOTKEY: \"ALT+A \" does not parse: \"A \" is no key name"}},
        {"a hotkey without key", {{"HOTKEY=ALT+VK_LEFT", "HOTKEY=CTRL+SHIFT"}},
         {"[BTN1] HOTKEY: \"CTRL+SHIFT\" names no key"}},
        {"a misspelt command", {{"FUNCTION=BACK", "FUNCTION=BAKC"}},
         {"[BTN1] FUNCTION: \"BAKC\" matches no command: it does nothing"}},
        {"a command matched by prefix", {{"FUNCTION=BACK", "FUNCTION=home page"}}, {}},
        {"an empty button command", {{"FUNCTION=BACK\n", ""}},
         {"[BTN1] FUNCTION: empty: the button does nothing"}},
        {"NAVIGATE without address", {{"FUNCTION=BACK", "FUNCTION=NAVIGATE:"}},
         {"[BTN1] FUNCTION: \"NAVIGATE:\" names no address: it does nothing"}},
        {"NAVIGATE without colon", {{"FUNCTION=BACK", "FUNCTION=NAVIGATE http://x/"}},
         {"[BTN1] FUNCTION: \"NAVIGATE http://x/\": the address must follow \"NAVIGATE:\""}},
        {"NewTavik with one token", {{"FUNCTION=BACK", "FUNCTION=NewTavik:http://x/"}},
         {"[BTN1] FUNCTION: \"NewTavik:http://x/\" needs \"NewTavik:\", a start address, a "
          "blank and a skin: it opens nothing"}},
        {"an animation command", {{"BMP=ani.bmp", "BMP=ani.bmp\nFUNCTION=Spin"}},
         {"[ANI1] FUNCTION: \"Spin\" matches no command: it does nothing"}},
        {"more buttons counted than present", {{"BTNNUMBER=1", "BTNNUMBER=2"}},
         {"[APPLICATION] BTNNUMBER: 2, but there is no section BTN2 (the button gets all "
          "defaults)"}},
        {"fewer buttons counted than present", {{"BTNNUMBER=1", "BTNNUMBER=0"}},
         {"[APPLICATION] BTNNUMBER: 0, so section BTN1 is never read"}},
        {"no BTNNUMBER at all", {{"BTNNUMBER=1\n", ""}},
         {"[APPLICATION] BTNNUMBER: 0, so section BTN1 is never read"}},
        {"animations missing", {{"ANINUMBER=1", "ANINUMBER=9"}},
         {"[APPLICATION] ANINUMBER: 9, but there is no section ANI2, ANI3, ANI4, ANI5, ANI6 and 3 "
          "more (the animations get all defaults)"}},
        {"a section with a leading zero", {{"[ANI1]", "[ANI01]"}},
         {"[ANI01]: never read: the client reads sections ANI1, ANI2 and so on",
          "[APPLICATION] ANINUMBER: 1, but there is no section ANI1 (the animation gets all "
          "defaults)"}},
        {"a repeated section", {{"[ANI1]", "[btn1]\nFUNCTION=STOP\n[ANI1]"}},
         {"[btn1]: repeated section: only the first one is read"}},
        {"more buttons than commands reach", {{"BTNNUMBER=1", "BTNNUMBER=130"}},
         {"[APPLICATION] BTNNUMBER: 130: the client reads the first 129 buttons only (their ids "
          "end there)",
          "[APPLICATION] BTNNUMBER: 130, but there is no section BTN2, BTN3, BTN4, BTN5, BTN6 and "
          "123 more (the buttons get all defaults)"}},
        {"a section past the animations' ids",
         {{"ANINUMBER=1", "ANINUMBER=2147483647"}, {"[ANI1]", "[ANI34]\n[ANI1]"}},
         {"[APPLICATION] ANINUMBER: 2147483647: the client reads the first 33 animations only "
          "(their ids end there)",
          "[ANI34]: never read: the client reads no more than 33 animations",
          "[APPLICATION] ANINUMBER: 2147483647, but there is no section ANI2, ANI3, ANI4, ANI5, "
          "ANI6 and 27 more (the animations get all defaults)"}},
        {"a main animation that never shows", {{"NAME=Lint", "ANIMATION=ani.bmp\nANIFRAME=4"}},
         {"[APPLICATION] ANIMATION: named, but ANIFRAME or ANIDELAY is 0: no main animation is "
          "shown"}},
        {"a main animation outside",
         {{"NAME=Lint", "ANIMATION=ani.bmp\nANIFRAME=4\nANIDELAY=50\nANIMATIONLOCATION=30,0,50,8"}},
         {"[APPLICATION] ANIMATIONLOCATION: 30,0,50,8 lies outside the background (40 x 30)"}},
        {"a control character in a value", {{"FUNCTION=BACK", "FUNCTION=B\x1b[2J"}},
         {"[BTN1] FUNCTION: \"B?[2J\" matches no command: it does nothing"}},
    };
    const FakeFiles files = GoodFiles();
    for (const Case& c : cases)
        EXPECT_EQ(c.want, Lint(Edited(c.edits), &files)) << c.what;
}

TEST(SkinLint, PackageRules)
{
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> edits;
        void (*change)(FakeFiles*);
        std::vector<std::string> want;
    } cases[] = {
        {"background missing", {}, [](FakeFiles* f) { f->files.erase("back.bmp"); },
         {"[APPLICATION] BACKGROUND: \"back.bmp\" is missing from the package"}},
        {"background not a bitmap", {},
         [](FakeFiles* f) { f->files["back.bmp"] = {'B', 'X', 1, 2}; },
         {"[APPLICATION] BACKGROUND: \"back.bmp\" is not a bitmap the client loads: not a BMP "
          "file"}},
        {"background truncated", {},
         [](FakeFiles* f) { f->files["back.bmp"].resize(f->files["back.bmp"].size() - 100); },
         {"[APPLICATION] BACKGROUND: \"back.bmp\" is not a bitmap the client loads: truncated "
          "pixels"}},
        {"button bitmap missing", {}, [](FakeFiles* f) { f->files.erase("btn.bmp"); },
         {"[BTN1] BMP: \"btn.bmp\" is missing from the package"}},
        {"animation bitmap missing", {}, [](FakeFiles* f) { f->files.erase("ani.bmp"); },
         {"[ANI1] BMP: \"ani.bmp\" is missing from the package"}},
        {"edge.pol missing", {}, [](FakeFiles* f) { f->files.erase("edge.pol"); },
         {"[APPLICATION] edge.pol: missing from the package: the window keeps its rectangle"}},
        {"edge.pol short", {},
         [](FakeFiles* f) { f->files["edge.pol"] = {5, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}; },
         {"[APPLICATION] edge.pol: empty or shorter than its count says: the window keeps its "
          "rectangle"}},
        {"edge.pol with more points than read", {},
         [](FakeFiles* f) { f->files["edge.pol"] = {0x01, 0x00, 0x01, 0x00, 1, 0, 0, 0, 1, 0, 0, 0}; },
         {"[APPLICATION] edge.pol: 65537 points, more than the client reads (65536): the window "
          "keeps its rectangle"}},
        {"edge.pol of the most points read", {},
         [](FakeFiles* f) {
             std::vector<uint8_t> most(4 + 8 * 65536, 0);
             most[2] = 1;  // 65536
             f->files["edge.pol"] = most;
         },
         {}},
        {"edge.pol criss-crossing", {},
         [](FakeFiles* f) {
             std::vector<Point> z;
             for (int i = 0; i < 258; ++i)
                 z.push_back({i % 40, i % 2 ? 29 : 0});
             f->files["edge.pol"] = EncodeEdgePol(z);
         },
         {"[APPLICATION] edge.pol: more than 256 of its edges cross one row: the window keeps its "
          "rectangle"}},
        {"edge.pol longer than the most points", {},
         [](FakeFiles* f) { f->files["edge.pol"].resize(4 + 8 * 65536 + 1); },
         {"[APPLICATION] edge.pol: larger than the client reads: the window keeps its rectangle"}},
        {"background of too many pixels", {},
         [](FakeFiles* f) {
             auto& b = f->files["back.bmp"];  // 4097 x 4096 in the header
             b[18] = 0x01, b[19] = 0x10, b[20] = 0, b[21] = 0;
             b[22] = 0x00, b[23] = 0x10, b[24] = 0, b[25] = 0;
         },
         {"[APPLICATION] BACKGROUND: \"back.bmp\" is not a bitmap the client loads: bad picture "
          "size (a side of 0 or over 32768, or over 16777216 pixels)"}},
        {"edge.pol unused by a stretched skin", {{"NAME=Lint", "H-RESIZEAREA=10,20\nV-RESIZEAREA=5,6"}},
         [](FakeFiles* f) { f->files.erase("edge.pol"); }, {}},
        {"edge.pol read by a skin smaller than its bitmap",
         {{"NAME=Lint", "H-RESIZEAREA=10,20\nV-RESIZEAREA=5,6"}, {"CX=40", "CX=39"}, {"CY=30", "CY=29"}},
         [](FakeFiles* f) { f->files.erase("edge.pol"); },
         {"[APPLICATION] edge.pol: missing from the package: the window keeps its rectangle"}},
        {"authentication library missing", {{"NAME=Lint", "TAL=auth.dll"}}, [](FakeFiles*) {},
         {"[APPLICATION] TAL: \"auth.dll\" is missing from the package"}},
        {"authentication library present", {{"NAME=Lint", "TAL=auth.dll"}},
         [](FakeFiles* f) { f->files["auth.dll"] = std::vector<uint8_t>(5000, 'M'); }, {}},
        {"two missing files", {},
         [](FakeFiles* f) {
             f->files.erase("btn.bmp");
             f->files.erase("back.bmp");
         },
         {"[APPLICATION] BACKGROUND: \"back.bmp\" is missing from the package",
          "[BTN1] BMP: \"btn.bmp\" is missing from the package"}},
    };
    for (const Case& c : cases) {
        FakeFiles files = GoodFiles();
        c.change(&files);
        EXPECT_EQ(c.want, Lint(Edited(c.edits), &files)) << c.what;
    }
}

TEST(SkinLint, ConfigurationLargerThanReadIsOneProblem)
{
    // Up to 4 MiB the file is read (comment lines fill it); one byte more
    // and it is refused whole.
    std::string text = kGoodSkin;
    const std::string line = ";" + std::string(1022, 'x') + "\n";
    while (text.size() + line.size() < 4194304)
        text += line;
    text += std::string(4194304 - text.size() - 1, ';') + "\n";
    ASSERT_EQ(4194304u, text.size());
    const FakeFiles files = GoodFiles();
    EXPECT_EQ(std::vector<std::string>{}, Lint(text, &files));
    text += ";";
    EXPECT_EQ((std::vector<std::string>{"[APPLICATION]: the file is larger than 4194304 bytes: "
                                        "the client refuses the skin"}),
              Lint(text, &files));
}

TEST(SkinLint, WithoutPackageOnlyTheConfigurationIsChecked)
{
    EXPECT_EQ(std::vector<std::string>{}, Lint(kGoodSkin, nullptr));
    EXPECT_EQ((std::vector<std::string>{"[BTN1] FUNCTION: \"BAKC\" matches no command: it does "
                                        "nothing"}),
              Lint(Edited({{"FUNCTION=BACK", "FUNCTION=BAKC"}}), nullptr));
}

TEST(SkinLint, TwoButtonsWithOneHotkey)
{
    const std::string text = Edited({{"BTNNUMBER=1", "BTNNUMBER=2"},
                                     {"[ANI1]",
                                      "[BTN2]\nLOCATION=12,1,22,11\nBMP=btn.bmp\nFUNCTION=STOP\n"
                                      "HOTKEY=alt + vk_left\n[ANI1]"}});
    const FakeFiles files = GoodFiles();
    // Blanks before a token are skipped, as the client skips them.
    EXPECT_EQ((std::vector<std::string>{"[BTN2] HOTKEY: \"alt + vk_left\" is also the hotkey of "
                                        "BTN1: only one of them runs"}),
              Lint(text, &files));
    const std::string other = Edited({{"BTNNUMBER=1", "BTNNUMBER=2"},
                                      {"[ANI1]",
                                       "[BTN2]\nLOCATION=12,1,22,11\nBMP=btn.bmp\nFUNCTION=STOP\n"
                                       "HOTKEY=CTRL+VK_LEFT\n[ANI1]"}});
    EXPECT_EQ(std::vector<std::string>{}, Lint(other, &files));
}

TEST(SkinLint, PackageKeyAndPath)
{
    const std::string text = "[application]\nENCRYPT=1\nENCRYPTKEY=\"s3cret\"\n";
    const ProfileFile profile = ProfileFile::FromBytes(text.data(), text.size());
    const SkinPackageKey key = ReadSkinPackageKey(profile);
    EXPECT_TRUE(key.encrypt);
    EXPECT_EQ("s3cret", key.key);
    EXPECT_FALSE(ReadSkinPackageKey(ProfileFile()).encrypt);

    struct {
        const char* config;
        const char* package;
    } paths[] = {
        {"C:\\skins\\main.tvc", "C:\\skins\\main.tvd"},
        {"main.TVC", "main.tvd"},
        {"C:\\v1.2\\main", "C:\\v1.2\\main.tvd"},
        {"dir.d/main", "dir.d/main.tvd"},
        {"a.b.tvc", "a.b.tvd"},
    };
    for (const auto& p : paths)
        EXPECT_EQ(p.package, DefaultPackagePath(p.config)) << p.config;
}

TEST(SkinLint, ProblemLines)
{
    EXPECT_EQ("[BTN1] HOTKEY: x", FormatLintProblem({"BTN1", "HOTKEY", "x"}));
    EXPECT_EQ("[BTN1]: x", FormatLintProblem({"BTN1", "", "x"}));
    EXPECT_EQ("[A] K: a?b?c", FormatLintProblem({"A", "K", "a\nb\x7f" "c"}));
}

TEST(SkinLint, SectionNamesInFileOrder)
{
    const std::string text = "x=1\n[A]\n[ b ]\n[A]\n";
    EXPECT_EQ((std::vector<std::string>{"", "A", "b", "A"}),
              ProfileFile::FromBytes(text.data(), text.size()).sectionNames());
    EXPECT_TRUE(ProfileFile().sectionNames().empty());
}

TEST(OutlineFile, StoredUnshiftedReadsBackAsTheFrameTraces)
{
    const std::vector<uint32_t> pixels = BackgroundPixels();
    const std::vector<Point> stored = TraceOutline(pixels.data(), 40, 30, 40, 0);
    ASSERT_GE(stored.size(), 4u);
    const std::vector<uint8_t> bytes = EncodeEdgePol(stored);
    ASSERT_EQ(4 + 8 * stored.size(), bytes.size());
    EXPECT_EQ(stored.size(), bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24u);
    for (int shift : {kOutlineShiftClient, kOutlineShiftPersonalBrowser}) {
        std::vector<Point> read;
        ASSERT_TRUE(ParseEdgePol(bytes.data(), bytes.size(), &read, shift));
        EXPECT_EQ(TraceOutline(pixels.data(), 40, 30, 40, shift), read) << shift;
    }
    // Negative coordinates survive as signed 32-bit values.
    std::vector<Point> read;
    const std::vector<uint8_t> negative = EncodeEdgePol({{-3, 7}, {5, -9}});
    ASSERT_TRUE(ParseEdgePol(negative.data(), negative.size(), &read, 0));
    EXPECT_EQ((std::vector<Point>{{-3, 7}, {5, -9}}), read);
    // An empty outline makes a file the frame refuses.
    const std::vector<uint8_t> empty = EncodeEdgePol({});
    EXPECT_FALSE(ParseEdgePol(empty.data(), empty.size(), &read));
}

TEST(DibPixels, EveryBitCountReadsBackAsTopDownColours)
{
    // Colours every bit count holds exactly (5-bit channels widen 10000 to 0x84).
    const uint32_t colours[] = {0xFFFFFF, 0x000000, 0x84FF00, 0x0084FF};
    std::vector<uint32_t> pixels(13 * 5);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = colours[(i * 7 / 3) % 4];
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        for (bool topDown : {false, true}) {
            std::vector<uint32_t> want = pixels;
            if (bits == 1)  // two colours only
                for (uint32_t& p : want)
                    p = p == 0xFFFFFF ? p : 0x000000;
            const std::vector<uint8_t> bmp = MakeBmp(13, 5, bits, want, topDown);
            DibLayout layout;
            ASSERT_EQ(DIB_OK, ParseDib(bmp.data(), bmp.size(), &layout)) << bits;
            EXPECT_EQ(want, DibPixels(bmp.data(), layout)) << bits << " " << topDown;
        }
    }
}

TEST(DibPixels, BitFieldsAndStrayIndices)
{
    // A 2 x 1 picture, 16 bits 5-6-5 with bit fields: white and pure green.
    std::vector<uint8_t> bmp = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 66, 0, 0, 0, 40, 0, 0, 0,
                                2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 16, 0, 3, 0, 0, 0};
    bmp.resize(54, 0);
    for (uint32_t mask : {0xF800u, 0x07E0u, 0x001Fu})
        for (int i = 0; i < 4; ++i)
            bmp.push_back(static_cast<uint8_t>(mask >> (8 * i)));
    for (uint8_t b : {0xFF, 0xFF, 0xE0, 0x07})
        bmp.push_back(b);
    DibLayout layout;
    ASSERT_EQ(DIB_OK, ParseDib(bmp.data(), bmp.size(), &layout));
    EXPECT_EQ((std::vector<uint32_t>{0xFFFFFF, 0x00FF00}), DibPixels(bmp.data(), layout));

    // Plain 32-bit pixels keep their fourth byte.
    const std::vector<uint8_t> wide = MakeBmp(2, 1, 32, {0xAB102030, 0x00102030});
    ASSERT_EQ(DIB_OK, ParseDib(wide.data(), wide.size(), &layout));
    EXPECT_EQ((std::vector<uint32_t>{0xAB102030, 0x00102030}), DibPixels(wide.data(), layout));

    // An 8-bit picture whose colour table holds one entry: index 5 reads as black.
    std::vector<uint8_t> paletted = MakeBmp(2, 1, 8, {0x102030, 0x102030});
    DibLayout l;
    ASSERT_EQ(DIB_OK, ParseDib(paletted.data(), paletted.size(), &l));
    paletted[l.pixelOffset + 1] = 5;
    l.colorCount = 1;
    EXPECT_EQ((std::vector<uint32_t>{0x102030, 0x000000}), DibPixels(paletted.data(), l));
}
