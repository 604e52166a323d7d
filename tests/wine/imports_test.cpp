// What the client's files import when they start: WinINet and the shell are
// bound at their first call (a warm start needs neither before the frame
// shows), so no program or library of the client names them in the import
// table the loader resolves.
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

bool Imports(const std::vector<std::string>& imports, const char* name)
{
    return std::find(imports.begin(), imports.end(), name) != imports.end();
}

TEST(Imports, WinInetAndTheShellAreNotBoundWhenTheClientOrThePersonalBrowserStarts)
{
    struct Case {
        const char* file;
        std::vector<const char*> later;  // bound at the first call
    };
    const Case cases[] = {
        {"tavclientsl.exe", {"wininet.dll", "shell32.dll", "shlwapi.dll"}},
        {"Netkit.dll", {"wininet.dll"}},
        {"brela.exe", {"shell32.dll", "shlwapi.dll"}},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> imports = LoadTimeImports(ProgramFolder() + c.file);
        // The reader works: each imports the system's user interface.
        EXPECT_TRUE(Imports(imports, "user32.dll")) << c.file;
        std::string image;
        ASSERT_TRUE(ReadBytes(ProgramFolder() + c.file, &image)) << c.file;
        std::transform(image.begin(), image.end(), image.begin(), ::tolower);
        for (const char* dll : c.later) {
            EXPECT_FALSE(Imports(imports, dll)) << c.file << " " << dll;
            // It is still named, for the first call to load it.
            EXPECT_NE(std::string::npos, image.find(dll)) << c.file << " " << dll;
        }
    }
}

}  // namespace
