// The skin record read through the real profile API, and package handling.
#include <gtest/gtest.h>

#include "cabinet/cabinet_pack.h"
#include "cabinet/package_file.h"
#include "skinui/skin_config.h"
#include "skinui/skin_package.h"
#include "skinui/skin_profile.h"
#include "tests/support/cab_writer.h"
#include "tests/support/win_files.h"

namespace {

class Skin : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& text)
    {
        const std::string path = scratch / name;
        EXPECT_TRUE(WriteBytes(path, text));
        return path;
    }
    // Packs files (name, contents) made in a separate folder into `package`.
    void Pack(const std::string& package, const std::vector<std::pair<std::string, std::string>>& files)
    {
        CreateDirectoryA((scratch / "src").c_str(), nullptr);
        std::vector<std::string> paths;
        for (const auto& f : files) {
            paths.push_back(scratch / ("src\\" + f.first));
            ASSERT_TRUE(WriteBytes(paths.back(), f.second));
        }
        std::vector<const char*> names;
        for (const auto& p : paths)
            names.push_back(p.c_str());
        char reason[256];
        ASSERT_TRUE(PackCabinet(package.c_str(), names.data(), static_cast<int>(names.size()),
                                CABINET_MSZIP, reason, sizeof reason))
            << reason;
    }
    bool Same(const RECT& r, int l, int t, int rr, int b)
    {
        return r.left == l && r.top == t && r.right == rr && r.bottom == b;
    }
    ScratchDir scratch;
};

TEST_F(Skin, EmptyApplicationSectionGivesDefaults)
{
    const std::string path = Write("empty.tvc", "[APPLICATION]\r\n");
    SkinConfig skin;
    ASSERT_TRUE(LoadSkinProfile(&skin, path.c_str()));
    EXPECT_EQ(scratch.path(), skin.directory());
    EXPECT_EQ(scratch / "edge.pol", skin.edgeFile());
    EXPECT_STREQ("", skin.name());
    EXPECT_STREQ("", skin.dir());
    EXPECT_STREQ("", skin.backgroundFile());
    EXPECT_EQ(nullptr, skin.authLibraryFile());
    EXPECT_EQ(1, skin.launchOption());
    EXPECT_EQ(0, skin.policy() + skin.align() + skin.topmost() + skin.antialias() +
                     skin.encrypt() + skin.desktopLink() + skin.startMenuLink());
    EXPECT_TRUE(IsRectEmpty(&skin.windowRect()));
    EXPECT_TRUE(IsRectEmpty(&skin.webRect()));
    RECT strip;
    EXPECT_FALSE(skin.hResizeArea(&strip));
    EXPECT_FALSE(skin.vResizeArea(&strip));
    EXPECT_EQ(0, skin.buttonCount());
    EXPECT_EQ(0, skin.animationCount());
    EXPECT_EQ(nullptr, skin.mainAnimationSpec());

    SkinConfig missing;  // a missing file loads as defaults too
    EXPECT_TRUE(LoadSkinProfile(&missing, (scratch / "absent.tvc").c_str()));
    EXPECT_EQ(1, missing.launchOption());
}

TEST_F(Skin, EveryKeyAndTheProfileApiQuirks)
{
    const std::string path = Write("site.tvc",
        "; a comment line\r\n"
        "[application]\r\n"
        "NAME = \"Demo Skin\"\r\n"
        "dir=Demo caption\r\n"
        "X=10\r\nY=20\r\nCX=640\r\nCY=480\r\n"
        "BTNNUMBER=3\r\nANINUMBER=2\r\n"
        "ENCRYPT=1\r\nENCRYPTKEY=k3y\r\n"
        "LAUNCHOPTION=0\r\nPOLICY=2\r\nALIGN=7\r\nTOPMOST=1\r\n"
        "STARTMENULINK=1\r\nDESKTOPLINK=1\r\nANTIALIAS=1\r\n"
        "LINKNAME=Demo\r\nBACKGROUND=back.bmp\r\nTAL=auth.dll\r\n"
        "WEBCONTROLLOCATION=10, 40,630,440\r\n"
        "URLEDITLOCATION=10,10,300,30\r\n"
        "STATUSLOCATION=10,450,630,470\r\n"
        "CURSORAREA=5,5,635,475\r\n"
        "H-RESIZEAREA=0,5\r\n"
        "V-RESIZEAREA=0,0\r\n"
        "STATUSCOLOR=255,0,128\r\n"
        "ANIFRAME=8\r\nANIDELAY=50\r\nANIMATIONLOCATION=600,5,630,35\r\nANIMATION=busy.bmp\r\n"
        "X=999\r\n"  // a repeated key: the first one counts
        "[BTN1]\r\nLOCATION=1,1,21,21\r\nBMP=back.bmp\r\nFUNCTION=BACK\r\nTOOLTIP=Go back\r\nHOTKEY=ALT+VK_LEFT\r\n"
        "[BTN3]\r\nLOCATION=41,1,61\r\nBMP=home.bmp\r\nFUNCTION=HOME\r\n"
        "[BTN4]\r\nFUNCTION=IGNORED\r\n"
        "[ANI1]\r\nLOCATION=0,0,10,10\r\nBMP=a1.bmp\r\nFUNCTION=NAVIGATE:http://x/\r\n"
        "[ani2]\r\nBMP=a2.bmp\r\nINDIGATOR=1\r\nFRAME=4\r\nDELAY=abc\r\n");
    SkinConfig skin;
    ASSERT_TRUE(LoadSkinProfile(&skin, path.c_str()));
    EXPECT_STREQ("Demo Skin", skin.name());  // quotes removed by the profile API
    EXPECT_STREQ("Demo caption", skin.dir());
    EXPECT_TRUE(Same(skin.windowRect(), 10, 20, 650, 500));
    EXPECT_EQ(1, skin.encrypt());
    EXPECT_STREQ("k3y", skin.encryptKey());
    EXPECT_EQ(0, skin.launchOption());
    EXPECT_EQ(2, skin.policy());
    EXPECT_EQ(7, skin.align());
    EXPECT_EQ(1, skin.topmost());
    EXPECT_EQ(1, skin.startMenuLink());
    EXPECT_EQ(1, skin.desktopLink());
    EXPECT_EQ(1, skin.antialias());
    EXPECT_STREQ("Demo", skin.linkName());
    EXPECT_EQ(scratch / "back.bmp", skin.backgroundFile());
    EXPECT_EQ(scratch / "auth.dll", skin.authLibraryFile());
    EXPECT_TRUE(Same(skin.webRect(), 10, 40, 630, 440));
    EXPECT_TRUE(Same(skin.statusRect(), 10, 450, 630, 470));
    EXPECT_TRUE(Same(skin.cursorArea(), 5, 5, 635, 475));
    RECT strip;
    ASSERT_TRUE(skin.hResizeArea(&strip));
    EXPECT_TRUE(Same(strip, 0, 20, 5, 500));
    EXPECT_FALSE(skin.vResizeArea(&strip));
    EXPECT_EQ(static_cast<COLORREF>(128 * 65536 + 255), skin.statusColor());

    ASSERT_NE(nullptr, skin.mainAnimationSpec());
    EXPECT_EQ(8, skin.mainAnimationSpec()->frameCount);
    EXPECT_EQ(50, skin.mainAnimationSpec()->delay);
    EXPECT_EQ(1, skin.mainAnimationSpec()->indicator);
    EXPECT_EQ(scratch / "busy.bmp", skin.mainAnimationSpec()->bitmapFile);

    ASSERT_EQ(3, skin.buttonCount());
    EXPECT_STREQ("HOME", skin.button(0)->function);  // index 0 is BTN3
    EXPECT_STREQ("HOME", skin.button(0)->tooltip);   // TOOLTIP defaults to FUNCTION
    EXPECT_TRUE(Same(skin.button(0)->rect, 41, 1, 61, 0));  // a short LOCATION
    EXPECT_STREQ("", skin.button(1)->function);      // BTN2 is missing: defaults
    EXPECT_EQ(scratch.path(), skin.button(1)->bitmapFile);  // an empty name: the folder
    EXPECT_STREQ("BACK", skin.button(2)->function);
    EXPECT_STREQ("Go back", skin.button(2)->tooltip);
    EXPECT_STREQ("ALT+VK_LEFT", skin.button(2)->hotkey);
    EXPECT_EQ(nullptr, skin.button(3));

    ASSERT_EQ(2, skin.animationCount());
    EXPECT_EQ(1, skin.animation(0)->indicator);  // ANI2 first
    EXPECT_EQ(4, skin.animation(0)->frameCount);
    EXPECT_EQ(0, skin.animation(0)->delay);      // not a number reads as 0
    EXPECT_STREQ("NAVIGATE:http://x/", skin.animation(1)->function);
    EXPECT_EQ(100, skin.animation(1)->delay);
    EXPECT_EQ(1, skin.animation(1)->frameCount);
}

TEST_F(Skin, MainAnimationNeedsFramesDelayAndFile)
{
    SkinConfig skin;
    LoadSkinProfile(&skin, Write("a.tvc", "[APPLICATION]\r\nANIFRAME=10\r\nANIDELAY=0\r\nANIMATION=x.bmp\r\n").c_str());
    EXPECT_EQ(nullptr, skin.mainAnimationSpec());
    skin.Clear();
    LoadSkinProfile(&skin, Write("b.tvc", "[APPLICATION]\r\nANIFRAME=10\r\nANIDELAY=5\r\n").c_str());
    EXPECT_EQ(nullptr, skin.mainAnimationSpec());
}

TEST_F(Skin, AssignCopiesDeeplyAndReversesLists)
{
    SkinConfig source;
    LoadSkinProfile(&source, Write("s.tvc",
                      "[APPLICATION]\r\nBTNNUMBER=3\r\nANTIALIAS=1\r\nANINUMBER=2\r\n"
                      "ANIFRAME=2\r\nANIDELAY=9\r\nANIMATION=m.bmp\r\n"
                      "[BTN1]\r\nFUNCTION=F1\r\n[BTN2]\r\nFUNCTION=F2\r\n[BTN3]\r\nFUNCTION=F3\r\n"
                      "[ANI1]\r\nFUNCTION=A1\r\n[ANI2]\r\nFUNCTION=A2\r\n")
                    .c_str());
    SkinConfig copy;
    copy.Assign(source);
    ASSERT_EQ(3, copy.buttonCount());
    EXPECT_STREQ("F1", copy.button(0)->function);
    EXPECT_STREQ("F3", copy.button(2)->function);
    EXPECT_STREQ("A1", copy.animation(0)->function);
    EXPECT_EQ(1, copy.antialias());
    EXPECT_EQ(source.edgeFile(), std::string(copy.edgeFile()));
    ASSERT_NE(nullptr, copy.mainAnimationSpec());
    EXPECT_NE(source.mainAnimationSpec(), copy.mainAnimationSpec());
    EXPECT_NE(source.button(0), copy.button(2));
    source.Clear();  // the copy owns its own entries
    EXPECT_STREQ("F3", copy.button(2)->function);
    ButtonSpec entry;
    EXPECT_TRUE(copy.copyButton(1, &entry));
    EXPECT_STREQ("F2", entry.function);
    EXPECT_FALSE(copy.copyButton(3, &entry));
}

TEST_F(Skin, PathWithoutBackslashLeavesNamesRelative)
{
    SkinConfig skin;
    LoadSkinProfile(&skin, "nowhere.tvc");
    EXPECT_STREQ("", skin.directory());
    EXPECT_STREQ("edge.pol", skin.edgeFile());
}

TEST_F(Skin, PlainPackageExtractsAndExactlyItsFilesAreDeletedAgain)
{
    const std::string tvc = Write("p.tvc",
        "[APPLICATION]\r\nBACKGROUND=back.bmp\r\nTAL=mine.dll\r\nBTNNUMBER=1\r\nANINUMBER=1\r\n"
        "[BTN1]\r\nBMP=b1.bmp\r\n[ANI1]\r\nBMP=a1.bmp\r\n");
    Pack(scratch / "p.tvd", {{"back.bmp", "B"}, {"b1.bmp", "1"}, {"a1.bmp", "A"}, {"edge.pol", "E"},
                             {"extra.dat", "X"}});
    // Named by the skin but there before the package: not the package's to delete.
    ASSERT_TRUE(WriteBytes(scratch / "mine.dll", "M"));
    SkinConfig skin;
    ASSERT_TRUE(LoadSkinProfile(&skin, tvc.c_str()));
    ASSERT_TRUE(SkinPackage(skin).Extract((scratch / "p.tvd").c_str(), tvc.c_str()));
    std::string bytes;
    ASSERT_TRUE(ReadBytes(scratch / "b1.bmp", &bytes));
    EXPECT_EQ("1", bytes);
    EXPECT_EQ(5u, skin.extractedFiles().size());
    SkinConfig copy;
    copy.Assign(skin);  // a re-skinned window takes the list with the record
    EXPECT_EQ(skin.extractedFiles(), copy.extractedFiles());
    SetFileAttributesA((scratch / "back.bmp").c_str(), FILE_ATTRIBUTE_READONLY);
    SkinPackage(copy).DeleteExtractedFiles();
    for (const char* name : {"back.bmp", "b1.bmp", "a1.bmp", "edge.pol", "extra.dat"})
        EXPECT_FALSE(FileExists(scratch / name)) << name;
    EXPECT_TRUE(copy.extractedFiles().empty());
    EXPECT_TRUE(FileExists(scratch / "mine.dll"));
    EXPECT_TRUE(FileExists(tvc));
    EXPECT_TRUE(FileExists(scratch / "p.tvd"));
}

TEST_F(Skin, EveryKeyThatNamesAFileTakesOnlyAPlainNameOfTheSkinFolder)
{
    const char* keys[] = {
        "[APPLICATION]\r\nBACKGROUND=%s\r\n",
        "[APPLICATION]\r\nTAL=%s\r\n",
        "[APPLICATION]\r\nANIFRAME=2\r\nANIDELAY=50\r\nANIMATION=%s\r\n",
        "[APPLICATION]\r\nBTNNUMBER=2\r\n[BTN1]\r\nBMP=b.bmp\r\n[BTN2]\r\nBMP=%s\r\n",
        "[APPLICATION]\r\nANINUMBER=1\r\n[ANI1]\r\nBMP=%s\r\n",
    };
    const char* bad[] = {"..\\v1.bmp", "..\\..\\..\\..\\v4.bmp", "C:\\windows\\v.bmp",
                         "\\v.bmp", "/v.bmp", "sub\\v.bmp", "v.bmp:s", "NUL.bmp", "com1",
                         "main.tvc."};
    int n = 0;
    for (const char* key : keys) {
        char text[256];
        snprintf(text, sizeof text, key, "ordinary.bmp");
        SkinConfig good;
        EXPECT_TRUE(LoadSkinProfile(&good, Write("good.tvc", text).c_str())) << text;
        for (const char* name : bad) {
            snprintf(text, sizeof text, key, name);
            SkinConfig skin;
            EXPECT_FALSE(LoadSkinProfile(&skin, Write("bad" + std::to_string(++n) + ".tvc", text).c_str()))
                << text;
            // Cleared: nothing of it can be read or deleted.
            EXPECT_STREQ("", skin.directory()) << text;
            EXPECT_EQ(0, skin.buttonCount() + skin.animationCount()) << text;
            EXPECT_EQ(nullptr, skin.mainAnimationSpec()) << text;
        }
    }
    // The personal browser does not read TAL: a bad one there is no concern of it.
    SkinConfig personal;
    EXPECT_TRUE(LoadSkinProfile(&personal, Write("p.tvc", "[APPLICATION]\r\nTAL=..\\x.dll\r\n").c_str(),
                                kPersonalProfileKeys));
}

TEST_F(Skin, APackagePastItsBoundOrOverTheSkinsOwnFilesIsRefusedAndLeavesNothing)
{
    const std::string tvc = Write("p.tvc", "[APPLICATION]\r\nBACKGROUND=back.bmp\r\n");
    // A real bomb at a small bound: 200 KB of zeros packed in a few hundred bytes.
    Pack(scratch / "bomb.tvd", {{"back.bmp", "B"}, {"zeros.bin", std::string(200 * 1024, '\0')}});
    SkinConfig skin;
    ASSERT_TRUE(LoadSkinProfile(&skin, tvc.c_str()));
    SkinPackage bounded(skin);
    bounded.SetUnpackedLimit(64 * 1024);
    bool refused = false;
    EXPECT_FALSE(bounded.Extract((scratch / "bomb.tvd").c_str(), tvc.c_str(), &refused));
    EXPECT_TRUE(refused);
    EXPECT_FALSE(FileExists(scratch / "back.bmp"));
    EXPECT_FALSE(FileExists(scratch / "zeros.bin"));
    EXPECT_TRUE(skin.extractedFiles().empty());
    // Under the packages' own bound the same package is an ordinary one.
    EXPECT_TRUE(SkinPackage(skin).Extract((scratch / "bomb.tvd").c_str(), tvc.c_str(), &refused));
    EXPECT_FALSE(refused);
    SkinPackage(skin).DeleteExtractedFiles();
    EXPECT_FALSE(FileExists(scratch / "zeros.bin"));

    // Files named as the configuration, the package or the deciphered copy.
    const std::string ownTvc = "[APPLICATION]\r\n";
    for (const char* name : {"P.TVC", "p.tvd", "tvd00001.tmp", "sub\\x.bmp", "nul.bmp"}) {
        ASSERT_TRUE(WriteBytes(scratch / "p.tvd",
                               BuildStoredCabinet({{"back.bmp", "B"}, {name, "theirs"}})));
        ASSERT_TRUE(WriteBytes(tvc, ownTvc));
        SkinConfig own;
        ASSERT_TRUE(LoadSkinProfile(&own, tvc.c_str()));
        EXPECT_FALSE(SkinPackage(own).Extract((scratch / "p.tvd").c_str(), tvc.c_str(), &refused))
            << name;
        EXPECT_TRUE(refused) << name;
        std::string bytes;
        ASSERT_TRUE(ReadBytes(tvc, &bytes));
        EXPECT_EQ(ownTvc, bytes) << name;
        EXPECT_FALSE(FileExists(scratch / "back.bmp")) << name;
    }
}

TEST_F(Skin, EncipheredPackageMadeByTavpack)
{
    Pack(scratch / "plain.tvd", {{"back.bmp", std::string(5000, 'b')}, {"edge.pol", "E"}});
    const std::string tavpack = "\"" + ProgramFolder() + "tavpack.exe\" encipher S3cr3tK ";
    ASSERT_EQ(0, RunProgram(tavpack + "\"" + (scratch / "plain.tvd") + "\" \"" +
                            (scratch / "e.tvd") + "\""));
    SkinConfig skin;
    LoadSkinProfile(&skin, Write("e.tvc", "[APPLICATION]\r\nENCRYPT=1\r\nENCRYPTKEY=S3cr3tK\r\n").c_str());
    ASSERT_TRUE(SkinPackage(skin).Extract((scratch / "e.tvd").c_str()));
    std::string bytes;
    ASSERT_TRUE(ReadBytes(scratch / "back.bmp", &bytes));
    EXPECT_EQ(std::string(5000, 'b'), bytes);
    EXPECT_FALSE(FileExists(scratch / "tvd00001.tmp"));

    SkinConfig wrong;
    LoadSkinProfile(&wrong, Write("w.tvc", "[APPLICATION]\r\nENCRYPT=1\r\nENCRYPTKEY=other\r\n").c_str());
    EXPECT_FALSE(SkinPackage(wrong).Extract((scratch / "e.tvd").c_str()));
    EXPECT_FALSE(FileExists(scratch / "tvd00001.tmp"));
}

TEST_F(Skin, EncipheredPackageWithoutKeyOrFileFailsCleanly)
{
    Pack(scratch / "k.tvd", {{"edge.pol", "E"}});
    SkinConfig skin;
    LoadSkinProfile(&skin, Write("k.tvc", "[APPLICATION]\r\nENCRYPT=1\r\nENCRYPTKEY=\r\n").c_str());
    EXPECT_FALSE(SkinPackage(skin).Extract((scratch / "k.tvd").c_str()));
    EXPECT_FALSE(FileExists(scratch / "tvd00001.tmp"));
    EXPECT_FALSE(FileExists(scratch / "edge.pol"));

    SkinConfig keyed;
    LoadSkinProfile(&keyed, Write("m.tvc", "[APPLICATION]\r\nENCRYPT=1\r\nENCRYPTKEY=x\r\n").c_str());
    EXPECT_FALSE(SkinPackage(keyed).Extract((scratch / "missing.tvd").c_str()));
    EXPECT_FALSE(FileExists(scratch / "missing.tvd"));  // no empty package is left behind
    EXPECT_FALSE(FileExists(scratch / "tvd00001.tmp"));
}

TEST_F(Skin, ReadErrorMidwayFailsCleanly)
{
    // Bytes that do not compress, so the package runs over several of the
    // blocks it is read in.
    std::string noise(5 * kPackageCopyBlock, '\0');
    unsigned x = 1;
    for (char& c : noise)
        c = static_cast<char>((x = x * 1103515245u + 12345u) >> 16);
    Pack(scratch / "big.tvd", {{"noise.bin", noise}});
    SkinConfig skin;
    LoadSkinProfile(&skin, Write("r.tvc", "[APPLICATION]\r\nENCRYPT=1\r\nENCRYPTKEY=abc\r\n").c_str());
    // Another handle locks a region after the first blocks: reading it fails.
    HANDLE locker = CreateFileA((scratch / "big.tvd").c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, locker);
    const DWORD lockAt = static_cast<DWORD>(3 * kPackageCopyBlock + 4096);
    ASSERT_TRUE(LockFile(locker, lockAt, 0, 1024, 0));
    EXPECT_FALSE(SkinPackage(skin).Extract((scratch / "big.tvd").c_str()));
    UnlockFile(locker, lockAt, 0, 1024, 0);
    CloseHandle(locker);
    EXPECT_FALSE(FileExists(scratch / "tvd00001.tmp"));
    EXPECT_FALSE(FileExists(scratch / "noise.bin"));
}

// The package cipher written out byte by byte: the key restarts at every
// 1024 bytes of the package.
std::string CipherByRule(std::string bytes, const std::string& key)
{
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ key[(i % 1024) % key.size()]);
    return bytes;
}

TEST_F(Skin, EncipheredPackageOfAnyLengthExtractsByteForByte)
{
    // Stored, so the package is as long as its files: a whole number of
    // neither the cipher's 1024 bytes nor the blocks it is read in.
    std::string back(2 * kPackageCopyBlock + 3001, '\0');
    for (size_t i = 0; i < back.size(); ++i)
        back[i] = static_cast<char>(i * 7 + (i >> 9));
    CreateDirectoryA((scratch / "src").c_str(), nullptr);
    const std::string src = scratch / "src\\back.bmp";
    ASSERT_TRUE(WriteBytes(src, back));
    const char* files[] = {src.c_str()};
    char reason[256];
    ASSERT_TRUE(PackCabinet((scratch / "plain.tvd").c_str(), files, 1, CABINET_STORE, reason,
                            sizeof reason))
        << reason;
    std::string plain;
    ASSERT_TRUE(ReadBytes(scratch / "plain.tvd", &plain));
    ASSERT_NE(0u, plain.size() % 1024);
    ASSERT_GT(plain.size(), 2 * kPackageCopyBlock);
    ASSERT_TRUE(WriteBytes(scratch / "odd.tvd", CipherByRule(plain, "Odd7Key")));

    SkinConfig skin;
    LoadSkinProfile(&skin, Write("o.tvc", "[APPLICATION]\r\nENCRYPT=1\r\nENCRYPTKEY=Odd7Key\r\n").c_str());
    ASSERT_TRUE(SkinPackage(skin).Extract((scratch / "odd.tvd").c_str()));
    std::string bytes;
    ASSERT_TRUE(ReadBytes(scratch / "back.bmp", &bytes));
    EXPECT_TRUE(bytes == back);
    EXPECT_FALSE(FileExists(scratch / "tvd00001.tmp"));

    // An empty package deciphers to nothing, which is no cabinet.
    ASSERT_TRUE(WriteBytes(scratch / "empty.tvd", std::string()));
    EXPECT_FALSE(SkinPackage(skin).Extract((scratch / "empty.tvd").c_str()));
    EXPECT_FALSE(FileExists(scratch / "tvd00001.tmp"));
}

}  // namespace
