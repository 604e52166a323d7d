// tavpack, run as a separate program the way skin authors run it.
#include <gtest/gtest.h>

#include "tests/support/cab_writer.h"
#include "tests/support/win_files.h"

namespace {

class Tavpack : public ::testing::Test {
protected:
    int Run(const std::string& arguments, std::string* output = nullptr)
    {
        return RunProgram("\"" + ProgramFolder() + "tavpack.exe\" " + arguments, output);
    }
    // Quotes a path for a command line: a trailing backslash is doubled so
    // that it does not escape the closing quote.
    std::string Q(const std::string& path)
    {
        return "\"" + path + (!path.empty() && path.back() == '\\' ? "\\\"" : "\"");
    }
    std::string Read(const std::string& path)
    {
        std::string bytes;
        EXPECT_TRUE(ReadBytes(path, &bytes)) << path;
        return bytes;
    }
    ScratchDir scratch;
};

TEST_F(Tavpack, HelpAndUsageErrors)
{
    std::string out;
    EXPECT_EQ(0, Run("--help", &out));
    EXPECT_NE(std::string::npos, out.find("tavpack pack"));
    EXPECT_NE(std::string::npos, out.find("tavpack encipher KEY IN OUT"));
    EXPECT_EQ(1, Run("", &out));
    EXPECT_EQ(1, Run("frobnicate", &out));
    EXPECT_EQ(1, Run("pack " + Q(scratch / "x.tvd"), &out));
}

TEST_F(Tavpack, PackThenExtractAllOrOne)
{
    ASSERT_TRUE(CreateDirectoryA((scratch / "src").c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(scratch / "src\\back.bmp", std::string(10000, 'b')));
    ASSERT_TRUE(WriteBytes(scratch / "src\\edge.pol", "outline"));
    const std::string pkg = scratch / "skin.tvd";
    ASSERT_EQ(0, Run("pack " + Q(pkg) + " " + Q(scratch / "src\\back.bmp") + " " +
                     Q(scratch / "src\\edge.pol")));

    ASSERT_TRUE(CreateDirectoryA((scratch / "all").c_str(), nullptr));
    EXPECT_EQ(0, Run("extract " + Q(pkg) + " " + Q(scratch / "all")));
    EXPECT_EQ((std::vector<std::string>{"back.bmp", "edge.pol"}), ListTree(scratch / "all\\"));
    EXPECT_EQ("outline", Read(scratch / "all\\edge.pol"));

    ASSERT_TRUE(CreateDirectoryA((scratch / "one").c_str(), nullptr));
    EXPECT_EQ(0, Run("extract " + Q(pkg) + " " + Q(scratch / "one\\") + " EDGE.POL"));
    EXPECT_EQ((std::vector<std::string>{"edge.pol"}), ListTree(scratch / "one\\"));
}

TEST_F(Tavpack, FailuresGiveOneLineOnStandardError)
{
    ASSERT_TRUE(WriteBytes(scratch / "junk.tvd", "not a cabinet at all"));
    std::string out;
    EXPECT_EQ(1, Run("extract " + Q(scratch / "junk.tvd") + " " + Q(scratch.path()), &out));
    EXPECT_EQ(0u, out.find("tavpack: extraction failed")) << out;
    EXPECT_EQ(out.size() - 1, out.find('\n')) << out;
    EXPECT_EQ(1, Run("extract " + Q(scratch / "junk.tvd") + " " + Q(scratch / "nowhere"), &out));
    EXPECT_EQ(1, Run("pack " + Q(scratch / "x.tvd") + " " + Q(scratch / "missing.bmp"), &out));
    EXPECT_NE(std::string::npos, out.find("missing.bmp"));
    EXPECT_FALSE(FileExists(scratch / "x.tvd"));
}

TEST_F(Tavpack, CipherRestartsTheKeyEvery1024Bytes)
{
    std::string plain(3000, '\0');
    for (size_t i = 0; i < plain.size(); ++i)
        plain[i] = static_cast<char>(i * 7 + 1);
    ASSERT_TRUE(WriteBytes(scratch / "plain.bin", plain));
    const std::string key = "k3yT0p!";  // 7 bytes
    ASSERT_EQ(0, Run("encipher " + key + " " + Q(scratch / "plain.bin") + " " +
                     Q(scratch / "ciphered.bin")));
    const std::string ciphered = Read(scratch / "ciphered.bin");
    ASSERT_EQ(plain.size(), ciphered.size());
    for (size_t i : {0u, 6u, 7u, 1023u, 1024u, 1025u, 2047u, 2048u, 2999u})
        EXPECT_EQ(static_cast<char>(plain[i] ^ key[(i % 1024) % 7]), ciphered[i]) << i;
    EXPECT_EQ(static_cast<char>(plain[1024] ^ key[0]), ciphered[1024]);
    EXPECT_EQ(static_cast<char>(plain[2048] ^ key[0]), ciphered[2048]);

    ASSERT_EQ(0, Run("decipher " + key + " " + Q(scratch / "ciphered.bin") + " " +
                     Q(scratch / "back.bin")));
    EXPECT_EQ(plain, Read(scratch / "back.bin"));
}

TEST_F(Tavpack, EmptyKeyIsRefused)
{
    ASSERT_TRUE(WriteBytes(scratch / "plain.bin", "abc"));
    std::string out;
    EXPECT_EQ(1, Run("encipher \"\" " + Q(scratch / "plain.bin") + " " + Q(scratch / "o.bin"),
                     &out));
    EXPECT_NE(std::string::npos, out.find("empty"));
    EXPECT_FALSE(FileExists(scratch / "o.bin"));
}

TEST_F(Tavpack, EncipheredPackageExtractsOnlyOnceDeciphered)
{
    ASSERT_TRUE(WriteBytes(scratch / "a.txt", std::string(5000, 'a')));
    const std::string pkg = scratch / "skin.tvd";
    ASSERT_EQ(0, Run("pack " + Q(pkg) + " " + Q(scratch / "a.txt")));
    ASSERT_EQ(0, Run("encipher secret " + Q(pkg) + " " + Q(scratch / "enc.tvd")));
    ASSERT_TRUE(CreateDirectoryA((scratch / "out").c_str(), nullptr));
    EXPECT_EQ(1, Run("extract " + Q(scratch / "enc.tvd") + " " + Q(scratch / "out")));
    ASSERT_EQ(0, Run("decipher secret " + Q(scratch / "enc.tvd") + " " + Q(scratch / "dec.tvd")));
    EXPECT_EQ(0, Run("extract " + Q(scratch / "dec.tvd") + " " + Q(scratch / "out")));
    EXPECT_EQ(std::string(5000, 'a'), Read(scratch / "out\\a.txt"));
}

TEST_F(Tavpack, FirstPartOfASetEndsPromptly)
{
    CabSetSpec plan;
    plan.spanning = {"big.dat", std::string(9000, 's')};
    plan.splitAt = 4000;
    ASSERT_TRUE(WriteBytes(scratch / "set1.cab", BuildStoredCabinetSet(plan)[0]));
    ASSERT_TRUE(CreateDirectoryA((scratch / "out").c_str(), nullptr));
    std::string out;
    const DWORD start = GetTickCount();
    // The program used to keep asking for the missing second part.
    EXPECT_EQ(1, RunProgram("\"" + ProgramFolder() + "tavpack.exe\" extract " +
                                Q(scratch / "set1.cab") + " " + Q(scratch / "out\\"),
                            &out, 10000));
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_NE(std::string::npos, out.find("extraction failed")) << out;
}

}  // namespace

// --- The skin author's tools: lint, outline, tvf info, extract into a new folder ---------

#include <algorithm>

#include "core/frame_geometry.h"
#include "core/personal_file.h"
#include "tests/support/bmp_writer.h"

namespace {

// A 60 x 40 background: white around a grey shape with a notch.
std::vector<uint32_t> AuthorBackground()
{
    std::vector<uint32_t> pixels = Solid(60, 40, 0xFFFFFF);
    for (int y = 3; y < 37; ++y)
        for (int x = 3; x < 57; ++x)
            if (!(y < 10 && x > 40))
                pixels[static_cast<size_t>(y) * 60 + x] = 0x808080;
    return pixels;
}

const char kAuthorSkin[] =
    "[APPLICATION]\r\n"
    "Version=2\r\n"
    "CX=60\r\n"
    "CY=40\r\n"
    "BACKGROUND=back.bmp\r\n"
    "BTNNUMBER=2\r\n"
    "WEBCONTROLLOCATION=5,12,55,35\r\n"
    "[BTN1]\r\n"
    "LOCATION=4,4,14,10\r\n"
    "BMP=btn.bmp\r\n"
    "FUNCTION=BACK\r\n"
    "HOTKEY=ALT+VK_LEFT\r\n"
    "[BTN2]\r\n"
    "LOCATION=16,4,26,10\r\n"
    "BMP=btn.bmp\r\n"
    "FUNCTION=NAVIGATE:http://127.0.0.1/\r\n";

class TavpackAuthor : public Tavpack {
protected:
    // back.bmp, btn.bmp and edge.pol (made by the outline verb) in src\, and
    // the skin configuration.
    void MakeSkin(const std::string& config = kAuthorSkin)
    {
        ASSERT_TRUE(CreateDirectoryA((scratch / "src").c_str(), nullptr));
        ASSERT_TRUE(WriteBytes(scratch / "src\\back.bmp", MakeBmp(60, 40, 8, AuthorBackground())));
        ASSERT_TRUE(WriteBytes(scratch / "src\\btn.bmp", MakeBmp(10, 6, 24, Solid(10, 6, 0xFF0000))));
        ASSERT_EQ(0, Run("outline " + Q(scratch / "src\\back.bmp") + " " + Q(scratch / "src\\edge.pol")));
        ASSERT_TRUE(WriteBytes(scratch / "skin.tvc", config));
    }
    int Pack(const std::string& package, const std::vector<std::string>& names)
    {
        std::string arguments = "pack " + Q(package);
        for (const std::string& name : names)
            arguments += " " + Q(scratch / ("src\\" + name));
        return Run(arguments);
    }
    std::vector<std::string> Lines(const std::string& text)
    {
        std::vector<std::string> lines;
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            std::string line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line);
            start = end + 1;
        }
        return lines;
    }
};

}  // namespace

TEST_F(TavpackAuthor, HelpNamesTheAuthorsVerbs)
{
    std::string out;
    EXPECT_EQ(0, Run("--help", &out));
    for (const char* verb : {"tavpack lint SKIN.tvc [PACKAGE.tvd]", "tavpack outline BACKGROUND.bmp OUT.pol",
                             "tavpack tvf info FILE.tvf", "(DIR is made)"})
        EXPECT_NE(std::string::npos, out.find(verb)) << verb;
    EXPECT_EQ(1, Run("lint", &out));
    EXPECT_EQ(1, Run("outline " + Q(scratch / "a.bmp"), &out));
    EXPECT_EQ(1, Run("tvf show " + Q(scratch / "a.tvf"), &out));
}

TEST_F(TavpackAuthor, ExtractMakesTheFolderAndNamesAMissingPackage)
{
    ASSERT_TRUE(WriteBytes(scratch / "a.txt", "alpha"));
    const std::string pkg = scratch / "skin.tvd";
    ASSERT_EQ(0, Run("pack " + Q(pkg) + " " + Q(scratch / "a.txt")));
    std::string out;
    EXPECT_EQ(0, Run("extract " + Q(pkg) + " " + Q(scratch / "new\\deeper\\dir"), &out)) << out;
    EXPECT_EQ("alpha", Read(scratch / "new\\deeper\\dir\\a.txt"));
    EXPECT_EQ(0, Run("extract " + Q(pkg) + " " + Q(scratch / "one\\") + " A.TXT", &out)) << out;
    EXPECT_EQ("alpha", Read(scratch / "one\\a.txt"));

    EXPECT_EQ(1, Run("extract " + Q(scratch / "gone.tvd") + " " + Q(scratch / "out"), &out));
    EXPECT_EQ(0u, out.find("tavpack: package not found: ")) << out;
    EXPECT_FALSE(FileExists(scratch / "out")) << "nothing is made for a missing package";
    // A destination that is a file cannot become a folder.
    EXPECT_EQ(1, Run("extract " + Q(pkg) + " " + Q(scratch / "a.txt"), &out));
    EXPECT_NE(std::string::npos, out.find("cannot make destination folder")) << out;
}

TEST_F(TavpackAuthor, OutlineIsWhatTheFrameWouldTrace)
{
    const std::vector<uint32_t> pixels = AuthorBackground();
    for (int bits : {8, 24}) {
        const std::string bmp = scratch / ("back" + std::to_string(bits) + ".bmp");
        const std::string pol = scratch / ("edge" + std::to_string(bits) + ".pol");
        ASSERT_TRUE(WriteBytes(bmp, MakeBmp(60, 40, bits, pixels)));
        std::string out;
        ASSERT_EQ(0, Run("outline " + Q(bmp) + " " + Q(pol), &out)) << out;
        const std::string bytes = Read(pol);
        std::vector<Point> read;
        ASSERT_TRUE(ParseEdgePol(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                 &read, kOutlineShiftClient));
        EXPECT_EQ(TraceOutline(pixels.data(), 60, 40, 60, kOutlineShiftClient), read) << bits;
        EXPECT_NE(std::string::npos, out.find(std::to_string(read.size()) + " points")) << out;
    }
    // A top-down bitmap traces the same.
    ASSERT_TRUE(WriteBytes(scratch / "td.bmp", MakeBmp(60, 40, 24, pixels, true)));
    ASSERT_EQ(0, Run("outline " + Q(scratch / "td.bmp") + " " + Q(scratch / "td.pol")));
    EXPECT_EQ(Read(scratch / "edge24.pol"), Read(scratch / "td.pol"));
}

TEST_F(TavpackAuthor, OutlineRefusesWhatItCannotTraceAndKeepsTheOldFile)
{
    const std::string pol = scratch / "edge.pol";
    ASSERT_TRUE(WriteBytes(pol, "old"));
    std::string out;
    ASSERT_TRUE(WriteBytes(scratch / "plain.bmp", MakeBmp(20, 10, 24, Solid(20, 10, 0x123456))));
    EXPECT_EQ(1, Run("outline " + Q(scratch / "plain.bmp") + " " + Q(pol), &out));
    EXPECT_NE(std::string::npos, out.find("no outline")) << out;
    ASSERT_TRUE(WriteBytes(scratch / "junk.bmp", "BM but nothing more"));
    EXPECT_EQ(1, Run("outline " + Q(scratch / "junk.bmp") + " " + Q(pol), &out));
    EXPECT_NE(std::string::npos, out.find("not a bitmap the client loads")) << out;
    EXPECT_EQ(1, Run("outline " + Q(scratch / "gone.bmp") + " " + Q(pol), &out));
    EXPECT_NE(std::string::npos, out.find("bitmap not found")) << out;
    EXPECT_EQ("old", Read(pol));
    EXPECT_EQ((std::vector<std::string>{"edge.pol", "junk.bmp", "plain.bmp"}), ListTree(scratch.path()));
}

TEST_F(TavpackAuthor, LintPassesAGoodSkinPlainAndEnciphered)
{
    MakeSkin();
    const std::vector<std::string> files = {"back.bmp", "btn.bmp", "edge.pol"};
    ASSERT_EQ(0, Pack(scratch / "skin.tvd", files));
    std::string out;
    EXPECT_EQ(0, Run("lint " + Q(scratch / "skin.tvc"), &out)) << out;
    EXPECT_EQ("", out);

    // Enciphered: the package is read with the skin's key, under another
    // name; it carries an authentication library too.
    std::string config = kAuthorSkin;
    config.replace(config.find("CX=60"), 5, "ENCRYPT=1\r\nENCRYPTKEY=k3y\r\nTAL=auth.dll\r\nCX=60");
    ASSERT_TRUE(WriteBytes(scratch / "enc.tvc", config));
    ASSERT_TRUE(WriteBytes(scratch / "src\\auth.dll", std::string(3000, 'M')));
    ASSERT_EQ(0, Pack(scratch / "plain.tvd", {"back.bmp", "btn.bmp", "edge.pol", "auth.dll"}));
    ASSERT_EQ(0, Run("encipher k3y " + Q(scratch / "plain.tvd") + " " + Q(scratch / "other.tvd")));
    EXPECT_EQ(0, Run("lint " + Q(scratch / "enc.tvc") + " " + Q(scratch / "other.tvd"), &out)) << out;
    EXPECT_EQ("", out);
    // A wrong key: the package does not extract.
    ASSERT_EQ(0, Run("encipher nope " + Q(scratch / "skin.tvd") + " " + Q(scratch / "enc.tvd")));
    EXPECT_EQ(1, Run("lint " + Q(scratch / "enc.tvc"), &out));
    EXPECT_EQ((std::vector<std::string>{"package " + scratch / "enc.tvd" +
                                        ": does not extract once deciphered with ENCRYPTKEY (a "
                                        "wrong key, or not a cabinet); its files are not checked"}),
              Lines(out));
    EXPECT_EQ((std::vector<std::string>{"enc.tvc", "enc.tvd", "other.tvd", "plain.tvd", "skin.tvc",
                                        "skin.tvd", "src\\auth.dll", "src\\back.bmp",
                                        "src\\btn.bmp", "src\\edge.pol"}),
              ListTree(scratch.path()))
        << "lint leaves nothing behind";
}

TEST_F(TavpackAuthor, LintReportsEachProblemWithSectionAndKey)
{
    std::string config = kAuthorSkin;
    auto edit = [&](const std::string& from, const std::string& to) {
        const size_t at = config.find(from);
        ASSERT_NE(std::string::npos, at) << from;
        config.replace(at, from.size(), to);
    };
    edit("Version=2\r\n", "");
    edit("BTNNUMBER=2", "BTNNUMBER=3\r\nH-RESIZEAREA=20,20\r\nV-RESIZEAREA=5,50");
    edit("WEBCONTROLLOCATION=5,12,55,35", "WEBCONTROLLOCATION=5,12,65,35");
    edit("HOTKEY=ALT+VK_LEFT", "HOTKEY=ALT+VK_LEFTT");
    edit("FUNCTION=NAVIGATE:http://127.0.0.1/", "FUNCTION=Navigat");
    edit("BMP=btn.bmp\r\nFUNCTION=BACK", "BMP=missing.bmp\r\nFUNCTION=BACK");
    MakeSkin(config);
    ASSERT_EQ(0, Pack(scratch / "other.tvd", {"back.bmp", "btn.bmp"}));  // no edge.pol
    std::string out;
    EXPECT_EQ(1, Run("lint " + Q(scratch / "skin.tvc") + " " + Q(scratch / "other.tvd"), &out));
    EXPECT_EQ((std::vector<std::string>{
                  "[Application] Version: missing: the client fetches the skin again at every start",
                  "[APPLICATION] H-RESIZEAREA: 20,20 has zero width",
                  "[APPLICATION] V-RESIZEAREA: 5,50 lies outside the bitmap (height 40)",
                  "[APPLICATION] WEBCONTROLLOCATION: 5,12,65,35 lies outside the background (60 x 40)",
                  "[APPLICATION] edge.pol: missing from the package: the window keeps its rectangle",
                  "[APPLICATION] BTNNUMBER: 3, but there is no section BTN3 (the button gets all defaults)",
                  "[BTN1] BMP: \"missing.bmp\" is missing from the package",
                  "[BTN1] HOTKEY: \"ALT+VK_LEFTT\" does not parse: \"VK_LEFTT\" is no key name",
                  "[BTN2] FUNCTION: \"Navigat\" matches no command: it does nothing",
              }),
              Lines(out));

    // Without its package only the configuration is checked.
    EXPECT_EQ(1, Run("lint " + Q(scratch / "skin.tvc"), &out));
    const std::vector<std::string> lines = Lines(out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ("package " + scratch / "skin.tvd" + ": not found; its files are not checked", lines[0]);
    EXPECT_EQ(std::string::npos, out.find("edge.pol")) << out;
    EXPECT_NE(std::string::npos, out.find("[BTN2] FUNCTION")) << out;

    EXPECT_EQ(1, Run("lint " + Q(scratch / "gone.tvc"), &out));
    EXPECT_EQ(0u, out.find("tavpack: skin configuration not found")) << out;
    ASSERT_TRUE(WriteBytes(scratch / "junk.tvd", "not a cabinet"));
    EXPECT_EQ(1, Run("lint " + Q(scratch / "skin.tvc") + " " + Q(scratch / "junk.tvd"), &out));
    EXPECT_NE(std::string::npos, out.find(": is not a cabinet the client extracts")) << out;
}

TEST_F(TavpackAuthor, LintReportsWhatTheClientRefusesOfNamesAndPackages)
{
    std::string config = kAuthorSkin;
    config.replace(config.find("BMP=btn.bmp"), 11, "BMP=..\\btn.bmp");
    MakeSkin(config);
    ASSERT_EQ(0, Pack(scratch / "skin.tvd", {"back.bmp", "btn.bmp", "edge.pol"}));
    std::string out;
    EXPECT_EQ(1, Run("lint " + Q(scratch / "skin.tvc"), &out));
    EXPECT_EQ((std::vector<std::string>{"[BTN1] BMP: \"..\\btn.bmp\" is not a plain file name of the "
                                        "skin folder: the client refuses the skin"}),
              Lines(out));

    // Packages the client refuses, whatever the configuration says.
    ASSERT_TRUE(WriteBytes(scratch / "skin.tvc", kAuthorSkin));
    std::string back, btn, edge;
    ASSERT_TRUE(ReadBytes(scratch / "src\\back.bmp", &back));
    ASSERT_TRUE(ReadBytes(scratch / "src\\btn.bmp", &btn));
    ASSERT_TRUE(ReadBytes(scratch / "src\\edge.pol", &edge));
    CabEntry huge{"huge.bin", "h"};
    huge.declaredSize = 134217729;
    struct Case {
        CabEntry extra;
        const char* problem;
    } cases[] = {
        {huge, "unpacks to more than 128 MB: the client refuses it; its files are not checked"},
        {{"nul.bmp", "x"}, "holds a file whose name is not a plain file name: the client refuses "
                           "it; its files are not checked"},
        {{"SKIN.TVC", "x"}, "holds a file named as the skin's configuration or package: the "
                            "client refuses it; its files are not checked"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteBytes(scratch / "skin.tvd",
                               BuildStoredCabinet({{"back.bmp", back}, {"btn.bmp", btn},
                                                   {"edge.pol", edge}, c.extra})));
        EXPECT_EQ(1, Run("lint " + Q(scratch / "skin.tvc"), &out));
        const std::vector<std::string> lines = Lines(out);
        ASSERT_FALSE(lines.empty()) << c.problem;
        EXPECT_EQ("package " + scratch / "skin.tvd" + ": " + c.problem, lines[0]);
    }
    // The same package without the extra file passes.
    ASSERT_TRUE(WriteBytes(scratch / "skin.tvd",
                           BuildStoredCabinet({{"back.bmp", back}, {"btn.bmp", btn}, {"edge.pol", edge}})));
    EXPECT_EQ(0, Run("lint " + Q(scratch / "skin.tvc"), &out)) << out;
}

TEST_F(TavpackAuthor, TvfInfoShowsTheHeader)
{
    pf::Header header;
    header.SetTitle("Sea skin");
    header.SetAuthor("Ann\x1b[31m");
    header.SetComment("calm");
    header.SetSkinName("sea");
    header.SetStartUrl("http://127.0.0.1/sea/");
    header.SetSkinVersion(7);
    pf::Time time;
    time.year = 2026;
    time.month = 12;
    time.dayOfWeek = 2;
    time.day = 8;
    time.hour = 9;
    time.minute = 5;
    time.second = 30;
    header.SetCreationTime(time);
    header.SetSizes(3, 4, 5);
    std::string file(reinterpret_cast<const char*>(header.bytes()), pf::kHeaderSize);
    file.replace(0, 5, "TAVIK");  // the magic is compared without regard to case
    ASSERT_TRUE(WriteBytes(scratch / "sea.tvf", file + "pppcccckkkkk"));
    std::string out;
    EXPECT_EQ(0, Run("tvf info " + Q(scratch / "sea.tvf"), &out)) << out;
    const std::vector<std::string> lines = Lines(out);
    for (const char* want : {"Title:              Sea skin", "Author:             Ann?[31m",
                             "Created:            09:05:30 - Tuesday, December 08, 2026 (UTC)",
                             "Skin name:          sea", "Skin version:       7",
                             "Start URL:          http://127.0.0.1/sea/", "Data URL:           ",
                             "Preview size:       3 bytes", "Configuration size: 4 bytes",
                             "Package size:       5 bytes", "File size:          5612 bytes"})
        EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), want)) << want << "\n" << out;

    // Damaged: the sections run past the end; the header is still shown.
    ASSERT_TRUE(WriteBytes(scratch / "cut.tvf", file + "ppp"));
    EXPECT_EQ(1, Run("tvf info " + Q(scratch / "cut.tvf"), &out));
    EXPECT_NE(std::string::npos, out.find("Title:              Sea skin")) << out;
    EXPECT_NE(std::string::npos,
              out.find("tavpack: damaged personal file: its header and sections need 5612 bytes, "
                       "the file holds 5603")) << out;

    // Not personal files.
    ASSERT_TRUE(WriteBytes(scratch / "other.tvf", std::string(6000, 'x')));
    EXPECT_EQ(1, Run("tvf info " + Q(scratch / "other.tvf"), &out));
    EXPECT_EQ(0u, out.find("tavpack: not a personal file (it does not begin with \"Tavik Personal "
                           "Version File V1.0\")")) << out;
    EXPECT_EQ(std::string::npos, out.find("Title:")) << out;
    ASSERT_TRUE(WriteBytes(scratch / "short.tvf", file.substr(0, 100)));
    EXPECT_EQ(1, Run("tvf info " + Q(scratch / "short.tvf"), &out));
    EXPECT_NE(std::string::npos, out.find("shorter than its 5600-byte header")) << out;
    EXPECT_EQ(1, Run("tvf info " + Q(scratch / "gone.tvf"), &out));
    EXPECT_NE(std::string::npos, out.find("cannot read")) << out;
}

#include "basekit.h"
#include "core/dib_format.h"
#include "framework/dib32.h"

// The outline verb reads pixels with DibPixels; the frame loads the bitmap with
// the bitmap loader and reads it back with GetDIBits. Both must see the same
// colours, or the outlines would differ.
TEST(TavpackPixels, DibPixelsMatchTheFramesReadBack)
{
    ScratchDir scratch;
    std::vector<uint32_t> pixels(17 * 9);
    const uint32_t colours[] = {0xFFFFFF, 0x000000, 0x84FF00, 0x0084FF, 0x808080, 0xC0C0C0};
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = colours[(i * 5 / 3) % 6];
    std::vector<uint32_t> alpha = pixels;
    for (size_t i = 0; i < alpha.size(); ++i)
        alpha[i] |= (i % 3) << 24;  // a fourth byte that varies
    struct {
        int bits;
        const std::vector<uint32_t>* picture;
        bool topDown;
    } cases[] = {{1, &pixels, false}, {4, &pixels, false}, {8, &pixels, true},
                 {16, &pixels, false}, {24, &pixels, true}, {32, &pixels, false},
                 {32, &alpha, false}};
    for (const auto& c : cases) {
        std::vector<uint32_t> picture = *c.picture;
        if (c.bits == 1)
            for (uint32_t& p : picture)
                p = p == 0xFFFFFF ? p : 0;
        const std::vector<uint8_t> bmp = MakeBmp(17, 9, c.bits, picture, c.topDown);
        const std::string path = scratch / "p.bmp";
        ASSERT_TRUE(WriteBytes(path, bmp));
        HBITMAP bitmap = nullptr;
        HPALETTE palette = nullptr;
        ASSERT_TRUE(LoadDIBitmapFile(path.c_str(), &bitmap, &palette)) << c.bits;
        BITMAPINFO bi = TopDownDib32(17, 9);
        std::vector<uint32_t> frame(17 * 9);
        HDC screen = GetDC(nullptr);
        EXPECT_EQ(9, GetDIBits(screen, bitmap, 0, 9, frame.data(), &bi, DIB_RGB_COLORS));
        ReleaseDC(nullptr, screen);
        DeleteObject(bitmap);
        if (palette)
            DeleteObject(palette);
        DibLayout layout;
        ASSERT_EQ(DIB_OK, ParseDib(bmp.data(), bmp.size(), &layout));
        EXPECT_EQ(frame, DibPixels(bmp.data(), layout)) << c.bits;
    }
}
