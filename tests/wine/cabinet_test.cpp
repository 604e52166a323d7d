// The cabinet extractor against Wine's real cabinet.dll.
#include <gtest/gtest.h>

#include "cabinet/cabinet.h"
#include "cabinet/cabinet_pack.h"
#include "cabinet/package_file.h"
#include "tests/support/cab_writer.h"
#include "tests/support/win_files.h"

namespace {

class Cabinet : public ::testing::Test {
protected:
    void SetUp() override
    {
        dest = scratch / "dest\\";
        ASSERT_TRUE(CreateDirectoryA(dest.c_str(), nullptr));
    }

    std::string MakeCabinet(const std::vector<CabEntry>& entries, const char* name = "pkg.tvd")
    {
        const std::string path = scratch / name;
        EXPECT_TRUE(WriteBytes(path, BuildStoredCabinet(entries)));
        return path;
    }

    std::string Read(const std::string& path)
    {
        std::string bytes;
        EXPECT_TRUE(ReadBytes(path, &bytes)) << path;
        return bytes;
    }

    ScratchDir scratch;
    std::string dest;
};

std::string Pattern(size_t size, unsigned seed)
{
    std::string s(size, '\0');
    unsigned x = seed;
    for (size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        s[i] = static_cast<char>(i % 3 ? (x >> 16) : 'a' + i % 26);
    }
    return s;
}

TEST_F(Cabinet, MszipCabinetMadeByFci)
{
    const std::string a = Pattern(70000, 1), b = "hello";
    ASSERT_TRUE(WriteBytes(scratch / "a.bmp", a));
    ASSERT_TRUE(WriteBytes(scratch / "b.txt", b));
    const std::string srcA = scratch / "a.bmp", srcB = scratch / "b.txt";
    const char* files[] = {srcA.c_str(), srcB.c_str()};
    char reason[256];
    const std::string cab = scratch / "skin.tvd";
    ASSERT_TRUE(PackCabinet(cab.c_str(), files, 2, CABINET_MSZIP, reason, sizeof reason))
        << reason;

    EXPECT_TRUE(ExtractCabinet(cab.c_str(), dest.c_str()));
    EXPECT_EQ((std::vector<std::string>{"a.bmp", "b.txt"}), ListTree(dest));
    EXPECT_EQ(a, Read(dest + "a.bmp"));
    EXPECT_EQ(b, Read(dest + "b.txt"));
}

TEST_F(Cabinet, PlainCabinetsBothMadeByFciAndByHand)
{
    const std::string data = Pattern(40000, 2);  // spans two data blocks
    ASSERT_TRUE(WriteBytes(scratch / "big.dat", data));
    const std::string src = scratch / "big.dat";
    const char* files[] = {src.c_str()};
    char reason[256];
    const std::string cab = scratch / "plain.tvd";
    ASSERT_TRUE(PackCabinet(cab.c_str(), files, 1, CABINET_STORE, reason, sizeof reason));
    EXPECT_TRUE(ExtractCabinet(cab.c_str(), dest.c_str()));
    EXPECT_EQ(data, Read(dest + "big.dat"));

    const std::string hand = MakeCabinet({{"x.txt", "xx"}, {"empty.txt", ""}, {"y.txt", data}});
    EXPECT_TRUE(ExtractCabinet(hand.c_str(), dest.c_str()));
    EXPECT_EQ("xx", Read(dest + "x.txt"));
    EXPECT_EQ("", Read(dest + "empty.txt"));
    EXPECT_EQ(data, Read(dest + "y.txt"));
}

TEST_F(Cabinet, FolderPartNeedsAnExistingFolder)
{
    const std::string cab = MakeCabinet({{"top.txt", "1"}, {"sub\\inner.txt", "2"}});
    EXPECT_FALSE(ExtractCabinet(cab.c_str(), dest.c_str()));
    // What was written before the failing file stays.
    EXPECT_EQ((std::vector<std::string>{"top.txt"}), ListTree(dest));

    ASSERT_TRUE(CreateDirectoryA((dest + "sub").c_str(), nullptr));
    EXPECT_TRUE(ExtractCabinet(cab.c_str(), dest.c_str()));
    EXPECT_EQ("2", Read(dest + "sub\\inner.txt"));
}

TEST_F(Cabinet, StoredDateTimeAndAttributesAreCarried)
{
    CabEntry entry{"ro.txt", "read only"};
    entry.date = (45 << 9) | (3 << 5) | 14;  // 2025-03-14
    entry.time = (9 << 11) | (26 << 5) | 26;  // 09:26:52
    entry.attribs = 0x01 | 0x20 | 0x40 | 0x80;  // read-only, archive, exec, UTF name
    CabEntry plain{"plain.txt", "p"};
    plain.attribs = 0;
    const std::string cab = MakeCabinet({entry, plain});
    ASSERT_TRUE(ExtractCabinet(cab.c_str(), dest.c_str()));

    const DWORD attributes = GetFileAttributesA((dest + "ro.txt").c_str());
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(GetFileAttributesA((dest + "plain.txt").c_str()) & FILE_ATTRIBUTE_READONLY);

    HANDLE file = CreateFileA((dest + "ro.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    FILETIME created, written, local;
    ASSERT_TRUE(GetFileTime(file, &created, nullptr, &written));
    CloseHandle(file);
    WORD date = 0, time = 0;
    ASSERT_TRUE(FileTimeToLocalFileTime(&written, &local));
    ASSERT_TRUE(FileTimeToDosDateTime(&local, &date, &time));
    EXPECT_EQ(entry.date, date);
    EXPECT_EQ(entry.time, time);
    // The creation time is the stored one too, to the second.
    SYSTEMTIME made;
    ASSERT_TRUE(FileTimeToLocalFileTime(&created, &local));
    ASSERT_TRUE(FileTimeToSystemTime(&local, &made));
    EXPECT_EQ(2025, made.wYear);
    EXPECT_EQ(3, made.wMonth);
    EXPECT_EQ(14, made.wDay);
    EXPECT_EQ(9, made.wHour);
    EXPECT_EQ(26, made.wMinute);
    EXPECT_EQ(52, made.wSecond);
    // Of the attributes only read-only, hidden, system and archive are kept.
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE), attributes);
}

TEST_F(Cabinet, ExistingTargetIsReplaced)
{
    ASSERT_TRUE(WriteBytes(dest + "a.txt", "old contents"));
    const std::string cab = MakeCabinet({{"a.txt", "new"}});
    for (CabinetBuild build : {CABINET_BUILD_CLIENT, CABINET_BUILD_CONTROL, CABINET_BUILD_BROWSER}) {
        EXPECT_TRUE(ExtractCabinet(cab.c_str(), dest.c_str(), CabinetOptionsFor(build))) << build;
        EXPECT_EQ("new", Read(dest + "a.txt"));
    }
}

TEST_F(Cabinet, ReadOnlyTargetIsReplacedOnlyByTheClient)
{
    const std::string cab = MakeCabinet({{"a.txt", "new"}});
    const std::string target = dest + "a.txt";
    for (CabinetBuild build : {CABINET_BUILD_CONTROL, CABINET_BUILD_BROWSER,
                               CABINET_BUILD_MANAGER, CABINET_BUILD_CONVERTER}) {
        SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(WriteBytes(target, "old"));
        ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
        const CabinetOptions options = CabinetOptionsFor(build);
        const BOOL ok = build == CABINET_BUILD_MANAGER || build == CABINET_BUILD_CONVERTER
                            ? ExtractCabinetFile(cab.c_str(), dest.c_str(), "A.TXT", options)
                            : ExtractCabinet(cab.c_str(), dest.c_str(), options);
        EXPECT_FALSE(ok) << build;
        EXPECT_EQ("old", Read(target)) << build;
    }
    EXPECT_TRUE(ExtractCabinet(cab.c_str(), dest.c_str(), CabinetOptionsFor(CABINET_BUILD_CLIENT)));
    EXPECT_EQ("new", Read(target));
}

TEST_F(Cabinet, SelectiveExtraction)
{
    const std::string cab = MakeCabinet({{"one.bmp", "1"}, {"two.bmp", "2"}});
    const CabinetOptions converter = CabinetOptionsFor(CABINET_BUILD_CONVERTER);
    EXPECT_TRUE(ExtractCabinetFile(cab.c_str(), dest.c_str(), "TWO.BMP", converter));
    EXPECT_EQ((std::vector<std::string>{"two.bmp"}), ListTree(dest));

    EXPECT_TRUE(ExtractCabinetFile(cab.c_str(), dest.c_str(), "missing.bmp", converter));
    EXPECT_TRUE(ExtractCabinetFile(cab.c_str(), dest.c_str(), "", converter));
    EXPECT_EQ((std::vector<std::string>{"two.bmp"}), ListTree(dest));

    EXPECT_TRUE(ExtractCabinetFile(cab.c_str(), dest.c_str(), "", CabinetOptionsFor(CABINET_BUILD_MANAGER)));
    EXPECT_EQ((std::vector<std::string>{"one.bmp", "two.bmp"}), ListTree(dest));
}

struct ExtractJob {
    std::string cab, dest, name;
    BOOL ok = FALSE;
};

DWORD WINAPI RunExtractJob(void* p)
{
    ExtractJob* job = static_cast<ExtractJob*>(p);
    for (int i = 0; i < 5; ++i)
        job->ok = ExtractCabinetFile(job->cab.c_str(), job->dest.c_str(), job->name.c_str(),
                                     CabinetOptionsFor(CABINET_BUILD_CONVERTER));
    return 0;
}

TEST_F(Cabinet, ExtractionsFromTwoThreadsTakeTurnsWithTheirOwnOptions)
{
    // Each extraction carries its own destination and options: two threads
    // extracting at once into different folders both get exactly their files.
    const std::string cab = MakeCabinet({{"one.bmp", std::string(200000, '1')},
                                         {"two.bmp", std::string(200000, '2')}});
    const std::string other = scratch / "other\\";
    ASSERT_TRUE(CreateDirectoryA(other.c_str(), nullptr));
    ExtractJob jobs[2] = {{cab, dest, "one.bmp"}, {cab, other, "two.bmp"}};
    HANDLE threads[2];
    for (int i = 0; i < 2; ++i)
        threads[i] = CreateThread(nullptr, 0, RunExtractJob, &jobs[i], 0, nullptr);
    WaitForMultipleObjects(2, threads, TRUE, 60000);
    for (HANDLE t : threads)
        CloseHandle(t);
    EXPECT_TRUE(jobs[0].ok);
    EXPECT_TRUE(jobs[1].ok);
    EXPECT_EQ((std::vector<std::string>{"one.bmp"}), ListTree(dest));
    EXPECT_EQ((std::vector<std::string>{"two.bmp"}), ListTree(other));
}

TEST_F(Cabinet, NotACabinetTruncatedOrMissing)
{
    const std::string text = scratch / "text.tvd";
    ASSERT_TRUE(WriteBytes(text, std::string(5000, 'x')));
    EXPECT_FALSE(ExtractCabinet(text.c_str(), dest.c_str()));
    EXPECT_FALSE(ExtractCabinet((scratch / "absent.tvd").c_str(), dest.c_str()));

    std::vector<uint8_t> bytes = BuildStoredCabinet({{"a.txt", Pattern(20000, 3)}});
    const std::vector<uint8_t> header(bytes.begin(), bytes.begin() + 30);
    ASSERT_TRUE(WriteBytes(scratch / "header.tvd", header));
    EXPECT_FALSE(ExtractCabinet((scratch / "header.tvd").c_str(), dest.c_str()));
    EXPECT_TRUE(ListTree(dest).empty());
    bytes.resize(bytes.size() - 5000);
    ASSERT_TRUE(WriteBytes(scratch / "cut.tvd", bytes));
    EXPECT_FALSE(ExtractCabinet((scratch / "cut.tvd").c_str(), dest.c_str()));
}

TEST_F(Cabinet, HostileStoredNamesWriteNothingOutside)
{
    ASSERT_TRUE(CreateDirectoryA((dest + "sub").c_str(), nullptr));
    const char* hostile[] = {"..\\evil.txt", "../evil.txt", "sub\\..\\..\\evil.txt",
                             "\\evil.txt", "/evil.txt", "C:\\evil.txt", "C:evil.txt",
                             "Z:\\tmp\\tavik-evil.txt", "..", "sub\\..\\..\\..\\evil.txt"};
    for (const char* name : hostile) {
        const std::string cab = MakeCabinet({{"good.txt", "g"}, {name, "evil"}});
        EXPECT_FALSE(ExtractCabinet(cab.c_str(), dest.c_str())) << name;
        // Only the cabinet beside the destination, and the good file inside it.
        EXPECT_EQ((std::vector<std::string>{"dest\\good.txt", "pkg.tvd"}), ListTree(scratch.path()))
            << name;
        DeleteFileA((dest + "good.txt").c_str());
    }
    EXPECT_FALSE(FileExists("C:\\evil.txt"));
    EXPECT_FALSE(FileExists("Z:\\tmp\\tavik-evil.txt"));
}

TEST_F(Cabinet, PathsThatDoNotFitFailCleanly)
{
    const std::string cab = MakeCabinet({{"abcdefghij.txt", "x"}});
    const std::string tooLong = dest + std::string(300, 'd') + "\\";
    EXPECT_FALSE(ExtractCabinet(cab.c_str(), tooLong.c_str()));
    const std::string longCab = scratch.path() + std::string(260, 'c') + ".tvd";
    EXPECT_FALSE(ExtractCabinet(longCab.c_str(), dest.c_str()));

    // A destination that fits, but target = destination + name does not.
    std::string deep = dest;
    while (deep.size() < 256 - 14 - 1)
        deep += deep.size() + 1 < 256 - 14 - 1 ? 'x' : '\\';
    ASSERT_EQ(241u, deep.size());
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr)) << deep;
    EXPECT_TRUE(ExtractCabinet(cab.c_str(), deep.c_str()));  // 255 characters: fits
    const std::string deeper = deep.substr(0, deep.size() - 1) + "y\\";
    ASSERT_TRUE(CreateDirectoryA(deeper.c_str(), nullptr));
    EXPECT_FALSE(ExtractCabinet(cab.c_str(), deeper.c_str()));  // 256: refused
    EXPECT_TRUE(ListTree(deeper).empty());
}

TEST_F(Cabinet, RelativeCabinetPathAndUnterminatedDestination)
{
    const std::string cab = MakeCabinet({{"a.txt", "A"}});
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(scratch.path().c_str()));
    const BOOL ok = ExtractCabinet("pkg.tvd", dest.c_str());
    SetCurrentDirectoryA(previous);
    EXPECT_TRUE(ok);
    EXPECT_EQ("A", Read(dest + "a.txt"));

    // "dest" without its backslash: the target is "desta.txt" beside it.
    const std::string unterminated = dest.substr(0, dest.size() - 1);
    EXPECT_TRUE(ExtractCabinet(cab.c_str(), unterminated.c_str()));
    EXPECT_EQ("A", Read(scratch / "desta.txt"));
}

// Two parts of a set: a file that starts in the first part and runs on into
// the second, and one that lies wholly in the second.
CabSetSpec TwoPartSet()
{
    CabSetSpec plan;
    plan.spanning = {"big.dat", Pattern(20000, 5)};
    plan.splitAt = 7000;
    plan.tail = {"tail.txt", "tail"};
    return plan;
}

TEST_F(Cabinet, SetWithAMissingOrWrongNextPartEndsPromptly)
{
    const std::string first = scratch / "set1.cab", second = scratch / "set2.cab";
    auto failsPromptly = [&](const char* what) {
        const DWORD start = GetTickCount();
        EXPECT_FALSE(ExtractCabinet(first.c_str(), dest.c_str())) << what;
        // Without an answer that ends it, FDI asks for the part without end.
        EXPECT_LT(GetTickCount() - start, 3000u) << what;
        EXPECT_FALSE(FileExists(dest + "tail.txt")) << what;
    };
    CabSetSpec plan = TwoPartSet();
    ASSERT_TRUE(WriteBytes(first, BuildStoredCabinetSet(plan)[0]));
    failsPromptly("missing");

    ASSERT_TRUE(WriteBytes(second, "not a cabinet"));
    failsPromptly("not a cabinet");

    plan.secondSetId = 0x1111;
    ASSERT_TRUE(WriteBytes(second, BuildStoredCabinetSet(plan)[1]));
    failsPromptly("another set");

    // A part that names itself as the next one.
    plan = TwoPartSet();
    plan.nextName = "set1.cab";
    ASSERT_TRUE(WriteBytes(first, BuildStoredCabinetSet(plan)[0]));
    failsPromptly("itself");

    // A next part is looked for only beside the first, by a plain name.
    plan.nextName = "dest\\set2.cab";
    auto parts = BuildStoredCabinetSet(plan);
    ASSERT_TRUE(WriteBytes(first, parts[0]));
    ASSERT_TRUE(WriteBytes(dest + "set2.cab", parts[1]));
    failsPromptly("folder part");
    DeleteFileA((dest + "set2.cab").c_str());

    // The selective variant as well, in every build.
    DeleteFileA(second.c_str());
    plan = TwoPartSet();
    ASSERT_TRUE(WriteBytes(first, BuildStoredCabinetSet(plan)[0]));
    for (CabinetBuild build : {CABINET_BUILD_MANAGER, CABINET_BUILD_CONVERTER}) {
        const DWORD start = GetTickCount();
        EXPECT_FALSE(ExtractCabinetFile(first.c_str(), dest.c_str(), "big.dat",
                                        CabinetOptionsFor(build)));
        EXPECT_LT(GetTickCount() - start, 3000u);
    }
}

TEST_F(Cabinet, WholeSetExtractsPartByPart)
{
    const CabSetSpec plan = TwoPartSet();
    const auto parts = BuildStoredCabinetSet(plan);
    const std::string first = scratch / "set1.cab", second = scratch / "set2.cab";
    ASSERT_TRUE(WriteBytes(first, parts[0]));
    ASSERT_TRUE(WriteBytes(second, parts[1]));

    // The first part gives every file that starts in it, read on into the
    // second part where it runs on.
    EXPECT_TRUE(ExtractCabinet(first.c_str(), dest.c_str()));
    EXPECT_EQ((std::vector<std::string>{"big.dat"}), ListTree(dest));
    EXPECT_EQ(plan.spanning.data, Read(dest + "big.dat"));
    // The second gives the files that start in it and passes over the rest.
    ASSERT_TRUE(DeleteFileA((dest + "big.dat").c_str()));
    EXPECT_TRUE(ExtractCabinet(second.c_str(), dest.c_str()));
    EXPECT_EQ((std::vector<std::string>{"tail.txt"}), ListTree(dest));
    EXPECT_EQ("tail", Read(dest + "tail.txt"));

    // Extracting again gives the same files again.
    EXPECT_TRUE(ExtractCabinet(first.c_str(), dest.c_str()));
    EXPECT_TRUE(ExtractCabinet(second.c_str(), dest.c_str()));
    EXPECT_EQ(plan.spanning.data, Read(dest + "big.dat"));
}

TEST_F(Cabinet, LibraryIsKeptAndEveryExtractionDestroysItsContext)
{
    const std::string cab = MakeCabinet({{"a.txt", Pattern(5000, 4)}});
    ASSERT_TRUE(ExtractCabinet(cab.c_str(), dest.c_str()));
    const HMODULE bound = GetModuleHandleA("cabinet.dll");
    EXPECT_NE(nullptr, bound);  // still loaded after the extraction
    EXPECT_EQ(0, CabinetBlocksInUse());

    // Every way out of an extraction gives its context's memory back, and the
    // library stays the one bound at first.
    const std::string text = scratch / "text.tvd";
    ASSERT_TRUE(WriteBytes(text, std::string(3000, 't')));
    std::vector<uint8_t> cut = BuildStoredCabinet({{"b.txt", Pattern(20000, 5)}});
    cut.resize(cut.size() - 5000);
    ASSERT_TRUE(WriteBytes(scratch / "cut.tvd", cut));
    EXPECT_FALSE(ExtractCabinet(text.c_str(), dest.c_str()));
    EXPECT_EQ(0, CabinetBlocksInUse());
    EXPECT_FALSE(ExtractCabinet((scratch / "absent.tvd").c_str(), dest.c_str()));
    EXPECT_EQ(0, CabinetBlocksInUse());
    EXPECT_FALSE(ExtractCabinet((scratch / "cut.tvd").c_str(), dest.c_str()));
    EXPECT_EQ(0, CabinetBlocksInUse());
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(ExtractCabinetFile(cab.c_str(), dest.c_str(), "a.txt"));
        EXPECT_EQ(0, CabinetBlocksInUse());
    }
    EXPECT_EQ(Pattern(5000, 4), Read(dest + "a.txt"));
    EXPECT_EQ(bound, GetModuleHandleA("cabinet.dll"));
}

TEST_F(Cabinet, ALibraryNamedByItsFullPathIsBoundInsteadOfTheSystems)
{
    const std::string cab = MakeCabinet({{"a.txt", "abc"}});
    // A file of that name that is no library: extractions through it fail.
    ASSERT_TRUE(CreateDirectoryA((scratch / "own").c_str(), nullptr));
    const std::string notALibrary = scratch / "own\\cabinet.dll";
    ASSERT_TRUE(WriteBytes(notALibrary, std::string("MZ and nothing more")));
    UseCabinetLibrary(notALibrary.c_str());
    EXPECT_FALSE(ExtractCabinet(cab.c_str(), dest.c_str()));
    EXPECT_FALSE(FileExists(dest + "a.txt"));
    // No path: the system's library, by name, once more.
    UseCabinetLibrary(nullptr);
    EXPECT_TRUE(ExtractCabinet(cab.c_str(), dest.c_str()));
    EXPECT_EQ("abc", Read(dest + "a.txt"));
    // A copy of the system's library by its full path serves like it.
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    ASSERT_TRUE(CopyFileA((std::string(system) + "\\cabinet.dll").c_str(), notALibrary.c_str(), FALSE));
    UseCabinetLibrary(notALibrary.c_str());
    EXPECT_TRUE(ExtractCabinetFile(cab.c_str(), dest.c_str(), "a.txt"));
    UseCabinetLibrary("");
    EXPECT_TRUE(ExtractCabinet(cab.c_str(), dest.c_str()));
    EXPECT_EQ(0, CabinetBlocksInUse());
}

// The package cipher's rule, written out byte by byte: the key restarts at
// every 1024 bytes of the package.
std::string CipherByRule(std::string bytes, const std::string& key)
{
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ key[(i % 1024) % key.size()]);
    return bytes;
}

bool CipherFile(const std::string& in, const std::string& out, const std::string& key)
{
    return CipherPackageFile(in.c_str(), out.c_str(),
                             reinterpret_cast<const unsigned char*>(key.data()), key.size());
}

TEST_F(Cabinet, PackageCipherFileFollowsTheByteRuleAtEverySize)
{
    const std::string key = "K3y-0f7";
    for (size_t size : {size_t(0), size_t(1), size_t(1023), size_t(1024), size_t(1025),
                        kPackageCopyBlock - 1, kPackageCopyBlock, kPackageCopyBlock + 1,
                        3 * kPackageCopyBlock + 777}) {
        const std::string plain = Pattern(size, static_cast<unsigned>(size));
        ASSERT_TRUE(WriteBytes(scratch / "plain.bin", plain));
        ASSERT_TRUE(CipherFile(scratch / "plain.bin", scratch / "ciphered.bin", key)) << size;
        EXPECT_EQ(CipherByRule(plain, key), Read(scratch / "ciphered.bin")) << size;
        ASSERT_TRUE(CipherFile(scratch / "ciphered.bin", scratch / "back.bin", key)) << size;
        EXPECT_EQ(plain, Read(scratch / "back.bin")) << size;
    }
}

TEST_F(Cabinet, PackageCipherFileFailuresLeaveNoTarget)
{
    EXPECT_FALSE(CipherFile(scratch / "absent.tvd", scratch / "out.tvd", "k"));
    EXPECT_FALSE(FileExists(scratch / "out.tvd"));
    ASSERT_TRUE(WriteBytes(scratch / "in.tvd", Pattern(1000, 9)));
    EXPECT_FALSE(CipherFile(scratch / "in.tvd", scratch / "out.tvd", ""));
    EXPECT_FALSE(FileExists(scratch / "out.tvd"));
    EXPECT_FALSE(CipherFile(scratch / "in.tvd", scratch / "no-folder\\out.tvd", "k"));

    // A read error after the first blocks: no half-deciphered copy stays.
    const std::string big = scratch / "big.tvd";
    ASSERT_TRUE(WriteBytes(big, Pattern(4 * kPackageCopyBlock, 10)));
    HANDLE locker = CreateFileA(big.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, locker);
    const DWORD lockAt = static_cast<DWORD>(2 * kPackageCopyBlock + 100);
    ASSERT_TRUE(LockFile(locker, lockAt, 0, 1024, 0));
    EXPECT_FALSE(CipherFile(big, scratch / "out.tvd", "k"));
    UnlockFile(locker, lockAt, 0, 1024, 0);
    CloseHandle(locker);
    EXPECT_FALSE(FileExists(scratch / "out.tvd"));
}

TEST_F(Cabinet, UnpackedSizeIsBoundedAtTheEdgeAndAPackagePastItLeavesNothing)
{
    EXPECT_EQ(134217728ull, CabinetOptions().unpackedLimit);  // 128 MB for every program
    CabinetOptions small;
    small.unpackedLimit = 1000;
    CabinetReport report;
    const std::string fits = MakeCabinet({{"a.txt", Pattern(600, 1)}, {"b.txt", Pattern(400, 2)}});
    EXPECT_TRUE(ExtractCabinet(fits.c_str(), dest.c_str(), small, &report));
    EXPECT_EQ(CabinetReport::kNone, report.refusal);
    EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt"}), report.written);
    DeleteFileA((dest + "a.txt").c_str());
    DeleteFileA((dest + "b.txt").c_str());

    const std::string past = MakeCabinet({{"a.txt", Pattern(600, 1)}, {"b.txt", Pattern(401, 2)}},
                                         "past.tvd");
    EXPECT_FALSE(ExtractCabinet(past.c_str(), dest.c_str(), small, &report));
    EXPECT_EQ(CabinetReport::kTooLarge, report.refusal);
    EXPECT_TRUE(report.written.empty());
    EXPECT_TRUE(ListTree(dest).empty());

    // A compressed bomb made by the packer: 300 KB of zeros in a few hundred
    // bytes stops at a 64 KB bound, read-only files and all.
    const std::string zeros = scratch / "zeros.bin", note = scratch / "note.txt";
    ASSERT_TRUE(WriteBytes(note, "n"));
    ASSERT_TRUE(WriteBytes(zeros, std::string(300 * 1024, '\0')));
    SetFileAttributesA(note.c_str(), FILE_ATTRIBUTE_READONLY);
    const std::string bomb = scratch / "bomb.tvd";
    const char* files[] = {note.c_str(), zeros.c_str()};
    char reason[256];
    ASSERT_TRUE(PackCabinet(bomb.c_str(), files, 2, CABINET_MSZIP, reason, sizeof reason)) << reason;
    CabinetOptions bounded;
    bounded.unpackedLimit = 64 * 1024;
    EXPECT_FALSE(ExtractCabinet(bomb.c_str(), dest.c_str(), bounded, &report));
    EXPECT_EQ(CabinetReport::kTooLarge, report.refusal);
    EXPECT_TRUE(ListTree(dest).empty());
    EXPECT_TRUE(ExtractCabinet(bomb.c_str(), dest.c_str(), CabinetOptions(), &report));
    EXPECT_EQ((std::vector<std::string>{"note.txt", "zeros.bin"}), ListTree(dest));
}

TEST_F(Cabinet, DeclaredSizesCountAgainstTheRealBoundBeforeAnythingIsWritten)
{
    CabinetReport report;
    CabEntry huge{"huge.bin", "x"};
    huge.declaredSize = 134217729;  // one byte past 128 MB
    const std::string past = MakeCabinet({{"first.txt", "f"}, huge});
    EXPECT_FALSE(ExtractCabinet(past.c_str(), dest.c_str(), CabinetOptions(), &report));
    EXPECT_EQ(CabinetReport::kTooLarge, report.refusal);
    EXPECT_TRUE(ListTree(dest).empty());

    huge.declaredSize = 134217728 - 1;  // with first.txt, exactly 128 MB: not refused
    const std::string edge = MakeCabinet({{"first.txt", "f"}, huge}, "edge.tvd");
    ExtractCabinet(edge.c_str(), dest.c_str(), CabinetOptions(), &report);
    EXPECT_EQ(CabinetReport::kNone, report.refusal);
}

TEST_F(Cabinet, ReportNamesEachFileWrittenOnce)
{
    CabinetReport report;
    const std::string cab = MakeCabinet({{"a.txt", "1"}, {"B.txt", "2"}, {"A.TXT", "3"}});
    EXPECT_TRUE(ExtractCabinet(cab.c_str(), dest.c_str(), CabinetOptions(), &report));
    EXPECT_EQ((std::vector<std::string>{"a.txt", "B.txt"}), report.written);
    EXPECT_EQ("3", Read(dest + "a.txt"));
}

TEST_F(Cabinet, DeviceNamesAreNeverOpened)
{
    for (const char* name : {"nul", "NUL.bmp", "con.txt", "com1", "sub\\aux.bmp"}) {
        const std::string cab = MakeCabinet({{"good.txt", "g"}, {name, "to a device"}});
        EXPECT_FALSE(ExtractCabinet(cab.c_str(), dest.c_str())) << name;
        DeleteFileA((dest + "good.txt").c_str());
    }
}

TEST_F(Cabinet, PlainNamesOnlyAndKeptFilesRefuseThePackageAndLeaveNothing)
{
    ASSERT_TRUE(CreateDirectoryA((dest + "sub").c_str(), nullptr));
    CabinetReport report;
    const std::string folders = MakeCabinet({{"good.txt", "g"}, {"sub\\a.bmp", "a"}});
    EXPECT_TRUE(ExtractCabinet(folders.c_str(), dest.c_str(), CabinetOptions(), &report));
    EXPECT_TRUE(FileExists(dest + "sub\\a.bmp"));
    DeleteFileA((dest + "sub\\a.bmp").c_str());
    CabinetOptions plain;
    plain.plainNamesOnly = true;
    EXPECT_FALSE(ExtractCabinet(folders.c_str(), dest.c_str(), plain, &report));
    EXPECT_EQ(CabinetReport::kBadName, report.refusal);
    EXPECT_TRUE(ListTree(dest).empty());
    for (const char* name : {"a.bmp.", "a.bmp ", "a*.bmp"}) {
        const std::string cab = MakeCabinet({{name, "x"}}, "odd.tvd");
        EXPECT_FALSE(ExtractCabinet(cab.c_str(), dest.c_str(), plain, &report)) << name;
        EXPECT_EQ(CabinetReport::kBadName, report.refusal) << name;
    }
    EXPECT_TRUE(ListTree(dest).empty());

    // The files the package came with are never written over, in any case.
    ASSERT_TRUE(WriteBytes(dest + "main.tvc", "mine"));
    const std::string over = MakeCabinet({{"good.txt", "g"}, {"MAIN.TVC", "theirs"}}, "over.tvd");
    CabinetOptions kept;
    kept.keptNames = {"main.tvd", "main.tvc"};
    EXPECT_FALSE(ExtractCabinet(over.c_str(), dest.c_str(), kept, &report));
    EXPECT_EQ(CabinetReport::kKeptName, report.refusal);
    EXPECT_EQ("mine", Read(dest + "main.tvc"));
    EXPECT_EQ((std::vector<std::string>{"main.tvc"}), ListTree(dest));
    EXPECT_TRUE(ExtractCabinet(over.c_str(), dest.c_str(), CabinetOptions(), &report));
    EXPECT_EQ("theirs", Read(dest + "main.tvc"));  // what the kept names guard against

    // Nor through a short name of one of them.
    const std::string longName = dest + "a-long-skin-name.tvc";
    ASSERT_TRUE(WriteBytes(longName, "mine"));
    char shortPath[MAX_PATH] = "";
    ASSERT_NE(0u, GetShortPathNameA(longName.c_str(), shortPath, sizeof shortPath));
    const std::string alias = strrchr(shortPath, '\\') + 1;
    if (alias != "a-long-skin-name.tvc") {
        const std::string viaAlias = MakeCabinet({{alias, "theirs"}}, "alias.tvd");
        kept.keptNames = {"a-long-skin-name.tvc"};
        EXPECT_FALSE(ExtractCabinet(viaAlias.c_str(), dest.c_str(), kept, &report)) << alias;
        EXPECT_EQ(CabinetReport::kKeptName, report.refusal);
        EXPECT_EQ("mine", Read(longName));
    }
}

}  // namespace
