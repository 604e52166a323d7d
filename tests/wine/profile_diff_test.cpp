// Our in-memory profile reader against the system's profile functions, over
// a corpus of awkward files: every question is asked of both, and the
// system's answer (text, length and integer) is the one that counts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/profile_reader.h"
#include "tests/support/win_files.h"

namespace {

struct CorpusFile {
    const char* name;
    std::string bytes;
};

std::string Repeat(const std::string& piece, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

std::vector<CorpusFile> Corpus()
{
    std::vector<CorpusFile> files = {
        {"plain", "[APPLICATION]\r\nNAME=Demo skin\r\nCX=640\r\nCY=480\r\n"},
        {"duplicates",
         "[APPLICATION]\r\nNAME=first\r\nNAME=second\r\nname=third\r\nCX=1\r\n"
         "[BTN1]\r\nFUNCTION=BACK\r\n"
         "[application]\r\nNAME=later section\r\nLATE=only here\r\nCX=2\r\n"
         "[BTN1]\r\nBMP=late.bmp\r\n"},
        {"blanks",
         "  [APPLICATION]  \r\n\tNAME \t=\t  spaced value \t \r\n  CX  =  12  \r\n"
         "[ SPACED ]\r\nK=inner blanks\r\n"
         "[TAB\tNAME]\r\nK=tab\r\n"
         "X = \r\nY=\t\r\n = no name\r\n"},
        {"quotes",
         "[Q]\r\nD=\"double\"\r\nS='single'\r\nM=\"mixed'\r\nO=\"\r\nE=\"\"\r\nI=\" inner \"\r\n"
         "N=\"12\"\r\nH=a\"b\"\r\nL=\"" + Repeat("q", 300) + "\"\r\nT=\"two\" \"parts\"\r\n"},
        {"comments",
         "; a comment line\r\n[APPLICATION]\r\n;NAME=commented\r\nNAME=real ; not a comment\r\n"
         "# hash=x\r\n;CX=5\r\nCX=7;8\r\nDIR\r\nBARE\r\n"
         "[BTN1]\r\n; only comments here\r\n"},
        {"empty values", "[APPLICATION]\r\nNAME=\r\nCX=\r\nDIR\r\nTAL= \r\n"},
        {"no final newline", "[APPLICATION]\r\nNAME=last line\r\nCX=99"},
        {"mixed newlines",
         "[APPLICATION]\nNAME=lf\r\nDIR=crlf\rLINKNAME=cr\n\r\nCX=3\r\r\nCY=4\n\n\n[B]\rK=v"},
        {"long lines",
         "[APPLICATION]\r\nNAME=" + Repeat("n", 3000) + "\r\nENCRYPTKEY=" + Repeat("k", 400) +
             "\r\nHOTKEY=" + Repeat("h", 100) + "\r\nLINKNAME=" + Repeat("l", 259) +
             "\r\nBACKGROUND=" + Repeat("b", 260) + "\r\nTAL=" + Repeat("t", 258) +
             "\r\nCX=" + Repeat("1", 40) + "\r\n" + Repeat("x", 5000) + "\r\n"},
        {"prefixes",
         "[APPLICATION]\r\nANIMATIONLOCATION=1,2,3,4\r\nANIMATION=ani.bmp\r\nANI=short\r\n"
         "X=1\r\nXX=2\r\nCXY=3\r\n[BTN1]\r\nK=one\r\n[BTN10]\r\nK=ten\r\n[BTN]\r\nK=none\r\n"},
        {"letter case",
         "[Application]\r\nName=mixed\r\nnAmE=second\r\ncx=10\r\n[btn1]\r\nfunction=back\r\n"},
        {"numbers",
         "[N]\r\nA=12\r\nB=-12\r\nC=+7\r\nD=0x1F\r\nE=0X1F\r\nF=0b101\r\nG=0o17\r\nH=12abc\r\n"
         "I=abc\r\nJ=4294967297\r\nK=-2147483649\r\nL=  \t 42\r\nM=--1\r\nN=" + Repeat("0", 29) +
             "12\r\nO=\"5\"\r\nP='-3'\r\nQ=1.5\r\nR=\x01\x02 9\r\nS=0x\r\nT=0\r\n"},
        {"sections",
         "K=before any section\r\n[]\r\nK=empty name\r\n[A]x]y\r\nK=last bracket\r\n[open\r\nK=open\r\n"
         "[A]]\r\nK=double\r\n[BTN2]\r\n[BTN3]\r\nLOCATION=1,2,3,4\r\n"},
        {"stray bytes", std::string("[APPLICATION]\r\nNAME=a\0b\r\nDIR=\x1Ax\x1A\r\nCX=\x0B""5\x0C\r\n"
                                    "LINKNAME=\xE9t\xE9\r\nTAL=caf\xC9\r\n", 84)},
        {"utf8 signature", "\xEF\xBB\xBF[APPLICATION]\r\nNAME=signed\r\nCX=8\r\n"},
        {"blank lines only", "\r\n\r\n  \r\n\t\r\n"},
        {"empty", ""},
    };
    return files;
}

const char* const kSections[] = {
    "APPLICATION", "application", " APPLICATION ", "Application", "BTN1", "btn1", "BTN10", "BTN",
    "BTN2", "BTN3", "Q", "N", "A", "A]x", "A]", "B", "", " SPACED ", "SPACED", "TAB\tNAME",
    "open", "[open", "MISSING",
};

const char* const kKeys[] = {
    "NAME", "name", " NAME\t", "DIR", "CX", "CY", "X", "XX", "Y", "LATE", "ANIMATION", "ANI",
    "ANIMATIONLOCATION", "ENCRYPTKEY", "HOTKEY", "LINKNAME", "BACKGROUND", "TAL", "FUNCTION",
    "function", "BMP", "LOCATION", "K", ";NAME", "# hash", "BARE", "D", "S", "M", "O", "E",
    "I", "H", "L", "T", "A", "C", "F", "G", "J", "P", "R", "MISSING", "",
};

const char* const kDefaults[] = {"", "dflt", "dflt   ", "   ", "\"quoted\"", "0,0,0,0"};

const unsigned kSizes[] = {1, 2, 3, 4, 6, 30, 64, 255, 259, 260, 2058};

class ProfileDiff : public ::testing::Test {
protected:
    // Writes a corpus file dated in the past: the system rereads a file
    // changed in the last two seconds at every call, which would only slow
    // the comparison down.
    std::string WriteOld(const CorpusFile& file)
    {
        const std::string path = scratch / (std::string(file.name) + ".tvc");
        EXPECT_TRUE(WriteBytes(path, file.bytes));
        HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, h);
        SYSTEMTIME st = {2001, 1, 1, 1, 12, 0, 0, 0};
        FILETIME ft;
        SystemTimeToFileTime(&st, &ft);
        SetFileTime(h, nullptr, nullptr, &ft);
        CloseHandle(h);
        return path;
    }
    ScratchDir scratch;
};

}  // namespace

TEST_F(ProfileDiff, StringsMatchTheProfileApi)
{
    std::string got(4096, '\0'), want(4096, '\0');
    int compared = 0;
    for (const CorpusFile& file : Corpus()) {
        const std::string path = WriteOld(file);
        const ProfileFile ours = ProfileFile::Load(path.c_str());
        ASSERT_EQ(ProfileFile::Source::kRead, ours.source());
        auto ask = [&](const char* section, const char* key, const char* fallback, unsigned size) {
            memset(&want[0], '#', want.size());
            memset(&got[0], '#', got.size());
            const DWORD theirs =
                GetPrivateProfileStringA(section, key, fallback, &want[0], size, path.c_str());
            const uint32_t mine = ours.GetString(section, key, fallback, &got[0], size);
            ++compared;
            EXPECT_EQ(theirs, mine) << file.name << " [" << section << "] '" << key
                                    << "' default '" << fallback << "' size " << size;
            EXPECT_EQ(0, memcmp(want.data(), got.data(), size + 1))
                << file.name << " [" << section << "] '" << key << "' default '" << fallback
                << "' size " << size << ": system '" << want.c_str() << "', ours '"
                << got.c_str() << "'";
            return theirs == mine && memcmp(want.data(), got.data(), size + 1) == 0;
        };
        for (const char* section : kSections) {
            for (const char* key : kKeys) {
                for (unsigned size : kSizes)
                    ASSERT_TRUE(ask(section, key, "", size));
                for (const char* fallback : kDefaults) {
                    ASSERT_TRUE(ask(section, key, fallback, 4));
                    ASSERT_TRUE(ask(section, key, fallback, 64));
                }
            }
        }
    }
    EXPECT_GT(compared, 100000);
}

TEST_F(ProfileDiff, IntegersMatchTheProfileApi)
{
    const int fallbacks[] = {0, 1, -3, 100};
    for (const CorpusFile& file : Corpus()) {
        const std::string path = WriteOld(file);
        const ProfileFile ours = ProfileFile::Load(path.c_str());
        for (const char* section : kSections) {
            for (const char* key : kKeys) {
                for (int fallback : fallbacks) {
                    const UINT theirs = GetPrivateProfileIntA(section, key, fallback, path.c_str());
                    EXPECT_EQ(theirs, ours.GetInt(section, key, fallback))
                        << file.name << " [" << section << "] " << key << " default " << fallback;
                }
            }
        }
    }
}

TEST_F(ProfileDiff, MissingFileGivesDefaults)
{
    const std::string path = scratch / "absent.tvc";
    const ProfileFile ours = ProfileFile::Load(path.c_str());
    EXPECT_EQ(ProfileFile::Source::kMissing, ours.source());
    char want[32], got[32];
    for (const char* fallback : kDefaults) {
        const DWORD theirs = GetPrivateProfileStringA("A", "K", fallback, want, sizeof want,
                                                      path.c_str());
        EXPECT_EQ(theirs, ours.GetString("A", "K", fallback, got, sizeof got)) << fallback;
        EXPECT_STREQ(want, got) << fallback;
    }
    EXPECT_EQ(GetPrivateProfileIntA("A", "K", 9, path.c_str()), ours.GetInt("A", "K", 9));
}
