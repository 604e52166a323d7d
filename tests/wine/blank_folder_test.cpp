// Our programs in a folder whose name holds a blank, as in a clone or an
// installation under "Program Files": the command lines that name them, and
// the paths they are given, keep working.
#include <windows.h>

#include <objbase.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/win_files.h"

namespace {

const char kControlKey[] = "CLSID\\{B2ABE84F-F912-11D1-A8B1-004095E28034}\\InprocServer32";
const CLSID kControl = {0xB2ABE84F, 0xF912, 0x11D1, {0xA8, 0xB1, 0x00, 0x40, 0x95, 0xE2, 0x80, 0x34}};

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// The default value of a key below the classes root; empty when it is absent.
std::string ClassesValue(const std::string& key)
{
    char value[MAX_PATH] = "";
    LONG size = sizeof value;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), value, &size) != ERROR_SUCCESS)
        return "";
    return value;
}

// Runs a command line without pipes (regsvr32's helpers may outlive it);
// its exit code, -1 when it did not start or end.
int RunAndWait(std::string line)
{
    STARTUPINFOA si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return static_cast<int>(code);
}

class BlankFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = scratch / "fresh clone\\";
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    }
    void Copy(const char* name)
    {
        ASSERT_TRUE(CopyFileA((ProgramFolder() + name).c_str(), (folder + name).c_str(), FALSE))
            << name;
    }
    ScratchDir scratch;
    std::string folder;
};

}  // namespace

TEST_F(BlankFolder, TheControlRegistersAndLoadsFromThere)
{
    for (const char* name : {"tavinstsl.dll", "Basekit.dll", "Netkit.dll"})
        Copy(name);
    const std::string dll = folder + "tavinstsl.dll";
    const std::string before = ClassesValue(kControlKey);

    ASSERT_EQ(0, RunAndWait("regsvr32 /s " + Quoted(dll)));
    EXPECT_EQ(dll, ClassesValue(kControlKey));
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    IUnknown* control = nullptr;
    EXPECT_EQ(S_OK, CoCreateInstance(kControl, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                     reinterpret_cast<void**>(&control)));
    EXPECT_NE(nullptr, GetModuleHandleA(dll.c_str())) << "not loaded from " << dll;
    if (control)
        control->Release();
    CoFreeUnusedLibrariesEx(0, 0);
    CoUninitialize();
    EXPECT_EQ(0, RunAndWait("regsvr32 /s /u " + Quoted(dll)));
    EXPECT_EQ("", ClassesValue(kControlKey));

    // What was registered before stays registered.
    if (!before.empty()) {
        EXPECT_EQ(0, RunAndWait("regsvr32 /s " + Quoted(before)));
    }
}

TEST_F(BlankFolder, TavpackPacksAndExtractsThere)
{
    Copy("tavpack.exe");
    ASSERT_TRUE(WriteBytes(folder + "first file.txt", std::string("one two")));
    ASSERT_TRUE(WriteBytes(folder + "second.txt", std::string("three")));
    const std::string tavpack = Quoted(folder + "tavpack.exe");
    std::string output;
    ASSERT_EQ(0, RunProgram(tavpack + " pack " + Quoted(folder + "a package.tvd") + " " +
                                Quoted(folder + "first file.txt") + " " + Quoted(folder + "second.txt"),
                            &output))
        << output;
    ASSERT_EQ(0, RunProgram(tavpack + " extract " + Quoted(folder + "a package.tvd") + " " +
                                Quoted(folder + "out folder"),
                            &output))
        << output;
    std::string bytes;
    ASSERT_TRUE(ReadBytes(folder + "out folder\\first file.txt", &bytes));
    EXPECT_EQ("one two", bytes);
    ASSERT_TRUE(ReadBytes(folder + "out folder\\second.txt", &bytes));
    EXPECT_EQ("three", bytes);
}
