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

// A file of the corpus and the sections and keys asked of it (each section
// with each key). Every file is also asked for a section and a key it lacks.
struct CorpusFile {
    const char* name;
    std::string bytes;
    std::vector<const char*> sections;
    std::vector<const char*> keys;
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
    return {
        {"plain", "[APPLICATION]\r\nNAME=Demo skin\r\nCX=640\r\nCY=480\r\n",
         {"APPLICATION", "application"},
         {"NAME", "CX", "CY"}},
        {"duplicates",
         "[APPLICATION]\r\nNAME=first\r\nNAME=second\r\nname=third\r\nCX=1\r\n"
         "[BTN1]\r\nFUNCTION=BACK\r\n"
         "[application]\r\nNAME=later section\r\nLATE=only here\r\nCX=2\r\n"
         "[BTN1]\r\nBMP=late.bmp\r\n",
         {"APPLICATION", "BTN1"},
         {"NAME", "CX", "LATE", "FUNCTION", "BMP"}},
        {"blanks",
         "  [APPLICATION]  \r\n\tNAME \t=\t  spaced value \t \r\n  CX  =  12  \r\n"
         "[ SPACED ]\r\nK=inner blanks\r\n"
         "[\tTAB\tNAME \x0B]\r\nK=tab\r\n"
         "X = \r\nY=\t\r\n = no name\r\n",
         {"APPLICATION", " APPLICATION\t", "SPACED", " SPACED ", "TAB\tNAME", "TAB NAME"},
         {"NAME", " NAME\t", "CX", "K", "X", "Y", ""}},
        {"quotes",
         "[Q]\r\nD=\"double\"\r\nS='single'\r\nM=\"mixed'\r\nO=\"\r\nE=\"\"\r\nI=\" inner \"\r\n"
         "N=\"12\"\r\nH=a\"b\"\r\nL=\"" + Repeat("q", 300) + "\"\r\nT=\"two\" \"parts\"\r\n"
         "U='\r\nV=''\r\n",
         {"Q"},
         {"D", "S", "M", "O", "E", "I", "N", "H", "L", "T", "U", "V"}},
        {"comments",
         "; a comment line\r\n[APPLICATION]\r\n;NAME=commented\r\nNAME=real ; not a comment\r\n"
         "# hash=x\r\n;CX=5\r\nCX=7;8\r\nDIR\r\nBARE\r\n"
         "[BTN1]\r\n; only comments here\r\n",
         {"APPLICATION", "BTN1"},
         {"NAME", ";NAME", "# hash", "CX", ";CX", "DIR", "BARE", "; a comment line"}},
        {"empty values", "[APPLICATION]\r\nNAME=\r\nCX=\r\nDIR\r\nTAL= \r\n",
         {"APPLICATION"},
         {"NAME", "CX", "DIR", "TAL"}},
        {"no final newline", "[APPLICATION]\r\nNAME=last line\r\nCX=99",
         {"APPLICATION"},
         {"NAME", "CX"}},
        {"mixed newlines",
         "[APPLICATION]\nNAME=lf\r\nDIR=crlf\rLINKNAME=cr\n\r\nCX=3\r\r\nCY=4\n\n\n[B]\rK=v",
         {"APPLICATION", "B"},
         {"NAME", "DIR", "LINKNAME", "CX", "CY", "K"}},
        {"long lines",
         "[APPLICATION]\r\nNAME=" + Repeat("n", 3000) + "\r\nENCRYPTKEY=" + Repeat("k", 400) +
             "\r\nHOTKEY=" + Repeat("h", 100) + "\r\nLINKNAME=" + Repeat("l", 259) +
             "\r\nBACKGROUND=" + Repeat("b", 260) + "\r\nTAL=" + Repeat("t", 258) +
             "\r\nCX=" + Repeat("1", 40) + "\r\n" + Repeat("x", 5000) + "\r\n",
         {"APPLICATION"},
         {"NAME", "ENCRYPTKEY", "HOTKEY", "LINKNAME", "BACKGROUND", "TAL", "CX"}},
        {"prefixes",
         "[APPLICATION]\r\nANIMATIONLOCATION=1,2,3,4\r\nANIMATION=ani.bmp\r\nANI=short\r\n"
         "X=1\r\nXX=2\r\nCXY=3\r\n[BTN1]\r\nK=one\r\n[BTN10]\r\nK=ten\r\n[BTN]\r\nK=none\r\n",
         {"APPLICATION", "BTN1", "BTN10", "BTN", "BTN100"},
         {"ANIMATION", "ANIMATIONLOCATION", "ANI", "ANIM", "X", "XX", "CX", "K"}},
        {"letter case",
         "[Application]\r\nName=mixed\r\nnAmE=second\r\ncx=10\r\n[btn1]\r\nfunction=back\r\n",
         {"APPLICATION", "application", "BTN1"},
         {"NAME", "name", "CX", "FUNCTION"}},
        {"numbers",
         "[N]\r\nA=12\r\nB=-12\r\nC=+7\r\nD=0x1F\r\nE=0X1F\r\nF=0b101\r\nG=0o17\r\nH=12abc\r\n"
         "I=abc\r\nJ=4294967297\r\nK=-2147483649\r\nL=  \t 42\r\nM=--1\r\nN=" + Repeat("0", 29) +
             "12\r\nO=\"5\"\r\nP='-3'\r\nQ=1.5\r\nR=\x01\x02 9\r\nS=0x\r\nT=0\r\nU=\" 7\"\r\n",
         {"N"},
         {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "O", "P", "Q", "R",
          "S", "T", "U"}},
        {"sections",
         "K=before any section\r\n[]\r\nK=empty name\r\n[ ]\r\nL=blank name\r\n[A]x]y\r\n"
         "K=last bracket\r\n[open\r\nK=open\r\n[A]]\r\nK=double\r\n[BTN2]\r\n[BTN3]\r\n"
         "LOCATION=1,2,3,4\r\n",
         {"", " ", "A]x", "A", "A]", "open", "[open", "BTN2", "BTN3"},
         {"K", "L", "LOCATION", "[open"}},
        {"stray bytes",
         std::string("[APPLICATION]\r\nNAME=a\0b\r\nDIR=\x1Ax\x1A\r\nCX=\x0B""5\x0C\r\n"
                     "LINKNAME=\xE9t\xE9\r\nTAL=caf\xC9\r\n", 84),
         {"APPLICATION"},
         {"NAME", "DIR", "CX", "LINKNAME", "TAL"}},
        {"utf8 signature", "\xEF\xBB\xBF[APPLICATION]\r\nNAME=signed\r\nCX=8\r\n",
         {"APPLICATION"},
         {"NAME", "CX"}},
        {"blank lines only", "\r\n\r\n  \r\n\t\r\n", {"", "APPLICATION"}, {"NAME", ""}},
        {"empty", "", {"APPLICATION"}, {"NAME"}},
        {"odd lines",
         "[\r\n=\r\n[A] trailing text\r\nK=a\tb\t\r\nK[1]=x\r\nL==y\r\n[B" + std::string(1, '\0') +
             "C]\r\nK=zero\r\n[D]\r\nK=v\x1A\r\n\x1A",
         {"A", "A] trailing text", "B", "B\x01", "D", ""},
         {"K", "K[1]", "L", "", "["}},
    };
}

const char* const kDefaults[] = {"", "dflt", "dflt   ", "   ", "\"quoted\"", "'a", "0,0,0,0"};

const unsigned kSizes[] = {1, 2, 3, 4, 5, 6, 7, 8, 30, 64, 255, 259, 260, 2058};

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

// Asks both readers one question; answers whether they agree in length and
// in every byte of the buffer and the byte after it.
bool SameAnswer(const ProfileFile& ours, const std::string& path, const char* file,
                const char* section, const char* key, const char* fallback, unsigned size)
{
    static std::string want(4096, '\0'), got(4096, '\0');
    memset(&want[0], '#', want.size());
    memset(&got[0], '#', got.size());
    const DWORD theirs = GetPrivateProfileStringA(section, key, fallback, &want[0], size, path.c_str());
    const uint32_t mine = ours.GetString(section, key, fallback, &got[0], size);
    const bool same = theirs == mine && memcmp(want.data(), got.data(), size + 1) == 0;
    EXPECT_TRUE(same) << file << " [" << section << "] '" << key << "' default '" << fallback
                      << "' size " << size << ": system " << theirs << " '" << want.c_str()
                      << "', ours " << mine << " '" << got.c_str() << "'";
    return same;
}

}  // namespace

TEST_F(ProfileDiff, StringsMatchTheProfileApi)
{
    for (CorpusFile& file : Corpus()) {
        const std::string path = WriteOld(file);
        const ProfileFile ours = ProfileFile::Load(path.c_str());
        ASSERT_EQ(ProfileFile::Source::kRead, ours.source());
        file.sections.push_back("MISSING");
        file.keys.push_back("MISSING");
        int failures = 0;
        for (const char* section : file.sections) {
            for (const char* key : file.keys) {
                for (unsigned size : kSizes)
                    failures += !SameAnswer(ours, path, file.name, section, key, "", size);
            }
            ASSERT_LT(failures, 10) << "too many differences in " << file.name;
        }
    }
}

TEST_F(ProfileDiff, DefaultsMatchTheProfileApi)
{
    const CorpusFile& file = Corpus()[2];  // blanks, with a value-less key and an empty one
    const std::string path = WriteOld(file);
    const ProfileFile ours = ProfileFile::Load(path.c_str());
    for (const char* key : {"MISSING", "X", "Y", "NAME"}) {
        for (const char* fallback : kDefaults) {
            for (unsigned size : {1u, 2u, 3u, 4u, 64u})
                SameAnswer(ours, path, file.name, "APPLICATION", key, fallback, size);
        }
    }
    // A null default reads as "".
    SameAnswer(ours, path, file.name, "APPLICATION", "MISSING", nullptr, 64);
}

TEST_F(ProfileDiff, IntegersMatchTheProfileApi)
{
    for (CorpusFile& file : Corpus()) {
        const std::string path = WriteOld(file);
        const ProfileFile ours = ProfileFile::Load(path.c_str());
        file.keys.push_back("MISSING");
        for (const char* section : file.sections) {
            for (const char* key : file.keys) {
                for (int fallback : {0, -3}) {
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
    for (const char* fallback : kDefaults)
        SameAnswer(ours, path, "absent", "A", "K", fallback, 32);
    EXPECT_EQ(GetPrivateProfileIntA("A", "K", 9, path.c_str()), ours.GetInt("A", "K", 9));
}
