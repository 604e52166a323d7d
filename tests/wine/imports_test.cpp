// What the client's files import when they start: WinINet is bound at its
// first call (a warm start never needs it before the frame shows), so neither
// the program nor Netkit names it in the import table the loader resolves.
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/win_files.h"

namespace {

// The file offset of relative address `rva`, or 0 when no section holds it.
size_t OffsetOf(const std::string& image, const IMAGE_NT_HEADERS* nt, DWORD rva)
{
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        const DWORD size = std::max(section->Misc.VirtualSize, section->SizeOfRawData);
        if (rva >= section->VirtualAddress && rva < section->VirtualAddress + size) {
            const size_t offset = rva - section->VirtualAddress + section->PointerToRawData;
            return offset < image.size() ? offset : 0;
        }
    }
    return 0;
}

// The DLL names of the import table of the PE file at `path`, lower case.
std::vector<std::string> LoadTimeImports(const std::string& path)
{
    std::vector<std::string> names;
    std::string image;
    if (!ReadBytes(path, &image) || image.size() < sizeof(IMAGE_DOS_HEADER))
        return names;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
    if (dos->e_magic != IMAGE_DOS_SIGNATURE ||
        static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS) > image.size())
        return names;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image.data() + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    size_t at = OffsetOf(image, nt, directory.VirtualAddress);
    if (at == 0)
        return names;
    for (; at + sizeof(IMAGE_IMPORT_DESCRIPTOR) <= image.size(); at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(image.data() + at);
        if (entry->Name == 0)
            break;
        const size_t name = OffsetOf(image, nt, entry->Name);
        if (name == 0)
            break;
        std::string text(image.data() + name, strnlen(image.data() + name, image.size() - name));
        std::transform(text.begin(), text.end(), text.begin(), ::tolower);
        names.push_back(text);
    }
    return names;
}

TEST(Imports, WinInetIsNotBoundWhenTheClientStarts)
{
    for (const char* file : {"tavclientsl.exe", "Netkit.dll"}) {
        const std::vector<std::string> imports = LoadTimeImports(ProgramFolder() + file);
        // The reader works: both import the system's user interface.
        EXPECT_NE(imports.end(), std::find(imports.begin(), imports.end(), "user32.dll")) << file;
        EXPECT_EQ(imports.end(), std::find(imports.begin(), imports.end(), "wininet.dll")) << file;
    }
    // It is still named, for the first call to load it.
    std::string client;
    ASSERT_TRUE(ReadBytes(ProgramFolder() + "tavclientsl.exe", &client));
    EXPECT_NE(std::string::npos, client.find("wininet.dll"));
}

}  // namespace
