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
    CabSetSpec spec;
    spec.spanning = {"big.dat", std::string(9000, 's')};
    spec.splitAt = 4000;
    ASSERT_TRUE(WriteBytes(scratch / "set1.cab", BuildStoredCabinetSet(spec)[0]));
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
