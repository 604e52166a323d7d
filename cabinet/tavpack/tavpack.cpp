// tavpack: skin authors' command-line tool for skin data packages.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "core/dib_format.h"
#include "core/frame_geometry.h"
#include "core/personal_file.h"
#include "core/profile_reader.h"
#include "core/skin_lint.h"
#include "core/text_limits.h"
#include "../cabinet.h"
#include "../cabinet_pack.h"
#include "../package_file.h"
#include "preview.h"

namespace {

const char kUsage[] =
    "usage:\n"
    "  tavpack pack [--store] OUT.tvd FILE...   pack files (MSZIP; --store: uncompressed)\n"
    "  tavpack extract PACKAGE DIR [NAME]       extract all files, or only NAME (DIR is made)\n"
    "  tavpack encipher KEY IN OUT              apply the skin package cipher\n"
    "  tavpack decipher KEY IN OUT              the same (the cipher is its own inverse)\n"
    "  tavpack lint SKIN.tvc [PACKAGE.tvd]      check a skin as the client reads it; one line\n"
    "                                           per problem; exit 0 when none is found\n"
    "  tavpack outline BACKGROUND.bmp OUT.pol   trace the window outline as the client does\n"
    "                                           and write it as edge.pol\n"
    "  tavpack tvf info FILE.tvf                show the header of a personal file\n"
    "  tavpack preview SKIN.tvc [PACKAGE.tvd] OUT.png [--size WxH] [--address TEXT]\n"
    "                                           draw the window the client makes of the\n"
    "                                           skin (resized to WxH) as an RGBA PNG\n"
    "  tavpack --help                           this text\n";

int Fail(const char* format, const char* detail = "")
{
    fprintf(stderr, "tavpack: ");
    fprintf(stderr, format, detail);
    fputc('\n', stderr);
    return 1;
}

int Fail(const std::string& text)
{
    return Fail("%s", text.c_str());
}

// Bytes from a file for a terminal: control characters become '?'.
std::string Printable(std::string text)
{
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return text;
}

bool IsFolder(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Makes `path` and every missing folder above it.
bool MakeFolders(const std::string& path)
{
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '\\' && path[i] != '/')
            continue;
        const std::string prefix = path.substr(0, i);
        if (prefix.back() == ':' || IsFolder(prefix.c_str()))
            continue;  // a drive, or there already
        if (!CreateDirectoryA(prefix.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return IsFolder(path.c_str());
}

void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

// A new folder below the temporary folder, removed with what it holds.
class TempFolder {
public:
    TempFolder()
    {
        char base[MAX_PATH + 1], name[MAX_PATH + 1];
        const DWORD length = GetTempPathA(sizeof base, base);
        if (length == 0 || length > MAX_PATH || !GetTempFileNameA(base, "tvl", 0, name))
            return;
        DeleteFileA(name);
        if (CreateDirectoryA(name, nullptr))
            path_ = name;
    }
    ~TempFolder()
    {
        if (!path_.empty())
            RemoveTree(path_);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    bool ok() const { return !path_.empty(); }
    // The folder without a trailing backslash.
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Reads a whole file of at most `limit` bytes.
enum ReadResult { READ_OK, READ_MISSING, READ_TOO_LARGE, READ_FAILED };
ReadResult ReadWholeFile(const char* path, size_t limit, std::vector<uint8_t>* bytes)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return READ_MISSING;
    LARGE_INTEGER size;
    ReadResult result = READ_OK;
    if (!GetFileSizeEx(file, &size)) {
        result = READ_FAILED;
    } else if (static_cast<unsigned long long>(size.QuadPart) > limit) {
        result = READ_TOO_LARGE;
    } else if (bytes) {
        bytes->resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        if (!bytes->empty() &&
            (!ReadFile(file, bytes->data(), static_cast<DWORD>(bytes->size()), &got, nullptr) ||
             got != bytes->size()))
            result = READ_FAILED;
    }
    CloseHandle(file);
    return result;
}

// Writes `bytes` to a new file beside `path`, then puts it in place of `path`:
// a failed write leaves what was there.
bool ReplaceFileWith(const char* path, const std::vector<uint8_t>& bytes)
{
    const std::string temp = std::string(path) + ".tvpack-tmp";
    HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    ok = CloseHandle(file) && ok;
    ok = ok && MoveFileExA(temp.c_str(), path, MOVEFILE_REPLACE_EXISTING);
    if (!ok)
        DeleteFileA(temp.c_str());
    return ok;
}

int Pack(int argc, char** argv)
{
    CabinetCompression compression = CABINET_MSZIP;
    int first = 2;
    if (first < argc && strcmp(argv[first], "--store") == 0) {
        compression = CABINET_STORE;
        ++first;
    }
    if (argc - first < 2)
        return Fail("pack needs an output file and at least one input file");
    char reason[512];
    if (!PackCabinet(argv[first], argv + first + 1, argc - first - 1, compression, reason,
                     sizeof reason))
        return Fail("%s", reason);
    return 0;
}

int Extract(int argc, char** argv)
{
    if (argc != 4 && argc != 5)
        return Fail("extract needs PACKAGE DIR [NAME]");
    if (!IsFile(argv[2]))
        return Fail("package not found: %s", argv[2]);
    char folder[MAX_PATH + 2];
    const size_t length = strlen(argv[3]);
    if (length == 0 || length > MAX_PATH)
        return Fail("bad destination folder: %s", argv[3]);
    strcpy(folder, argv[3]);
    if (folder[length - 1] != '\\' && folder[length - 1] != '/')
        strcat(folder, "\\");
    std::string made(folder, strlen(folder) - 1);
    if (!MakeFolders(made))
        return Fail("cannot make destination folder: %s", argv[3]);
    BOOL ok;
    if (argc == 5) {
        ok = ExtractCabinetFile(argv[2], folder, argv[4], CabinetOptionsFor(CABINET_BUILD_CONVERTER));
    } else {
        ok = ExtractCabinet(argv[2], folder, CabinetOptionsFor(CABINET_BUILD_CLIENT));
    }
    if (!ok)
        return Fail("extraction failed: %s", argv[2]);
    return 0;
}

int Cipher(int argc, char** argv)
{
    if (argc != 5)
        return Fail("%s needs KEY IN OUT", argv[1]);
    const char* key = argv[2];
    if (key[0] == '\0')
        return Fail("the key is empty");
    if (GetFileAttributesA(argv[3]) == INVALID_FILE_ATTRIBUTES)
        return Fail("cannot read %s", argv[3]);
    if (!CipherPackageFile(argv[3], argv[4], reinterpret_cast<const unsigned char*>(key),
                           strlen(key)))
        return Fail("cannot complete %s", argv[4]);
    return 0;
}

// --- tvf info ---------------------------------------------------------------------------

int TvfInfo(int argc, char** argv)
{
    if (argc != 4 || strcmp(argv[2], "info") != 0)
        return Fail("tvf needs: info FILE.tvf");
    const char* path = argv[3];
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Fail("cannot read %s", path);
    LARGE_INTEGER size = {};
    std::vector<uint8_t> bytes(pf::kHeaderSize);
    DWORD got = 0;
    const bool read = GetFileSizeEx(file, &size) &&
                      ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    if (!read)
        return Fail("cannot read %s", path);
    if (got < pf::kHeaderSize)
        return Fail("not a personal file (shorter than its 5600-byte header): %s", path);
    pf::Header header;
    header.Load(bytes.data());
    const unsigned long long fileLength = static_cast<unsigned long long>(size.QuadPart);
    const pf::LayoutError layout = pf::CheckLayout(header, fileLength);
    if (layout == pf::LAYOUT_BAD_MAGIC)
        return Fail("not a personal file (it does not begin with \"%s\")", pf::kMagic);

    auto line = [](const char* name, const std::string& value) {
        printf("%-19s %s\n", name, Printable(value).c_str());
    };
    auto number = [](const char* name, unsigned long long value) {
        printf("%-19s %llu bytes\n", name, value);
    };
    line("Title:", header.title());
    line("Author:", header.author());
    line("Comment:", header.comment());
    line("Created:", header.creationTimeText() + " (UTC)");
    line("Skin name:", header.skinName());
    line("Skin version:", std::to_string(header.skinVersion()));
    line("Configuration:", header.configPath());
    line("Preview:", header.previewPath());
    line("Start URL:", header.startUrl());
    line("Data URL:", header.dataUrl());
    line("Rights:", header.rights());
    number("Preview size:", header.previewSize());
    number("Configuration size:", header.configSize());
    number("Package size:", header.packageSize());
    number("File size:", fileLength);
    fflush(stdout);
    if (layout != pf::LAYOUT_OK) {
        char reason[160];
        snprintf(reason, sizeof reason,
                 "damaged personal file: its header and sections need %llu bytes, the file "
                 "holds %llu",
                 static_cast<unsigned long long>(header.TotalLength()), fileLength);
        return Fail(std::string(reason));
    }
    return 0;
}

// --- lint --------------------------------------------------------------------------------

std::string PathFileName(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The files of a package extracted into a folder, found as the client finds
// them in the skin folder.
class ExtractedFiles : public SkinFiles {
public:
    explicit ExtractedFiles(const std::string& folder) : folder_(folder) {}
    Result Read(const std::string& name, size_t limit, std::vector<uint8_t>* bytes) const override
    {
        const std::string path = folder_ + "\\" + name;
        if (!IsFile(path.c_str()))
            return kMissing;
        if (bytes == nullptr)
            return kRead;
        switch (ReadWholeFile(path.c_str(), limit, bytes)) {
        case READ_OK: return kRead;
        case READ_TOO_LARGE: return kTooLarge;
        default: return kMissing;
        }
    }

private:
    std::string folder_;
};


int Lint(int argc, char** argv)
{
    if (argc != 3 && argc != 4)
        return Fail("lint needs SKIN.tvc [PACKAGE.tvd]");
    const char* config = argv[2];
    if (!IsFile(config))
        return Fail("skin configuration not found: %s", config);
    const ProfileFile profile = ProfileFile::Load(config);
    if (profile.source() != ProfileFile::Source::kRead)
        return Fail("cannot read %s", config);
    const std::string package = argc == 4 ? argv[3] : DefaultPackagePath(config);
    const SkinPackageKey key = ReadSkinPackageKey(profile);

    int problems = 0;
    auto packageProblem = [&](const std::string& text) {
        printf("%s\n", Printable("package " + package + ": " + text).c_str());
        ++problems;
    };
    TempFolder work;
    std::unique_ptr<ExtractedFiles> files;
    if (!IsFile(package.c_str())) {
        packageProblem("not found; its files are not checked");
    } else if (!work.ok()) {
        return Fail("cannot make a temporary folder");
    } else if (key.encrypt && key.key.empty()) {
        packageProblem("enciphered without ENCRYPTKEY; its files are not checked");
    } else {
        std::string cabinet = package;
        if (key.encrypt) {
            cabinet = work.path() + "\\deciphered.tvd";
            if (!CipherPackageFile(package.c_str(), cabinet.c_str(),
                                   reinterpret_cast<const unsigned char*>(key.key.data()),
                                   key.key.size()))
                return Fail("cannot decipher %s", package.c_str());
        }
        const std::string folder = work.path() + "\\skin";
        if (!CreateDirectoryA(folder.c_str(), nullptr))
            return Fail("cannot make a temporary folder");
        // As the client unpacks a skin package: plain names only, none over
        // the skin's own files, and within the bound.
        CabinetOptions options = CabinetOptionsFor(CABINET_BUILD_CLIENT);
        options.plainNamesOnly = true;
        options.keptNames = {PathFileName(package), PathFileName(config), "tvd00001.tmp"};
        CabinetReport report;
        if (ExtractCabinet(cabinet.c_str(), (folder + "\\").c_str(), options, &report)) {
            files.reset(new ExtractedFiles(folder));
        } else if (report.refusal == CabinetReport::kTooLarge) {
            packageProblem("unpacks to more than " +
                           std::to_string(skin_limits::kMaxPackageUnpackedBytes / (1024 * 1024)) +
                           " MB: the client refuses it; its files are not checked");
        } else if (report.refusal == CabinetReport::kBadName) {
            packageProblem("holds a file whose name is not a plain file name: the client "
                           "refuses it; its files are not checked");
        } else if (report.refusal == CabinetReport::kKeptName) {
            packageProblem("holds a file named as the skin's configuration or package: the "
                           "client refuses it; its files are not checked");
        } else {
            packageProblem(key.encrypt ? "does not extract once deciphered with ENCRYPTKEY (a "
                                         "wrong key, or not a cabinet); its files are not checked"
                                       : "is not a cabinet the client extracts; its files are "
                                         "not checked");
        }
    }
    for (const LintProblem& problem : LintSkin(config, files.get())) {
        printf("%s\n", FormatLintProblem(problem).c_str());
        ++problems;
    }
    fflush(stdout);
    return problems ? 1 : 0;
}

// --- outline -------------------------------------------------------------------------------

int Outline(int argc, char** argv)
{
    if (argc != 4)
        return Fail("outline needs BACKGROUND.bmp OUT.pol");
    std::vector<uint8_t> data;
    switch (ReadWholeFile(argv[2], kLintBitmapLimit, &data)) {
    case READ_OK: break;
    case READ_MISSING: return Fail("bitmap not found: %s", argv[2]);
    case READ_TOO_LARGE: return Fail("bitmap too large: %s", argv[2]);
    default: return Fail("cannot read %s", argv[2]);
    }
    DibLayout layout;
    const DibError error = ParseDibFile(&data, &layout);
    if (error != DIB_OK)
        return Fail(std::string("not a bitmap the client loads (") + DibErrorText(error) +
                    "): " + argv[2]);
    // The background as the frame reads it back into 32-bit rows, traced as
    // the frame traces it; stored without the shift, which the frame adds
    // when it reads the file.
    const std::vector<uint32_t> pixels = DibPixels(data.data(), layout);
    const std::vector<Point> points =
        TraceOutline(pixels.data(), layout.width, layout.height, layout.width, 0);
    if (points.size() < 3)
        return Fail("no outline: the picture is all the colour of its top-left pixel, or its "
                    "shape cannot be traced: %s", argv[2]);
    if (!ReplaceFileWith(argv[3], EncodeEdgePol(points)))
        return Fail("cannot write %s", argv[3]);
    printf("%u points\n", static_cast<unsigned>(points.size()));
    return 0;
}

// --- preview -------------------------------------------------------------------------------

// "WxH", each a number from 1 to kPreviewMaxSide.
bool ParseSize(const char* text, int* width, int* height)
{
    int* side[2] = {width, height};
    const char* p = text;
    for (int k = 0; k < 2; ++k) {
        long value = 0;
        const char* start = p;
        while (*p >= '0' && *p <= '9' && value <= kPreviewMaxSide)
            value = value * 10 + (*p++ - '0');
        if (p == start || value < 1 || value > kPreviewMaxSide)
            return false;
        *side[k] = static_cast<int>(value);
        if (k == 0 && *p++ != 'x')
            return false;
    }
    return *p == '\0';
}

int Preview(int argc, char** argv)
{
    std::vector<const char*> files;
    int width = 0, height = 0;
    const char* address = nullptr;
    for (int i = 2; i < argc; ++i) {
        if (strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
            if (!ParseSize(argv[++i], &width, &height))
                return Fail("--size needs WxH, each from 1 to %s", std::to_string(kPreviewMaxSide).c_str());
        } else if (strcmp(argv[i], "--address") == 0 && i + 1 < argc) {
            address = argv[++i];
            if (strlen(address) > kLongText)
                return Fail("--address holds more than %s characters",
                            std::to_string(kLongText).c_str());
        } else if (strncmp(argv[i], "--", 2) == 0) {
            return Fail("preview: unknown option, or one without its value: %s", argv[i]);
        } else {
            files.push_back(argv[i]);
        }
    }
    if (files.size() != 2 && files.size() != 3)
        return Fail("preview needs SKIN.tvc [PACKAGE.tvd] OUT.png [--size WxH] [--address TEXT]");
    const char* config = files[0];
    const char* out = files.back();
    const std::string package = files.size() == 3 ? files[1] : DefaultPackagePath(config);
    if (!IsFile(config))
        return Fail("skin configuration not found: %s", config);
    if (!IsFile(package.c_str()))
        return Fail("skin package not found: %s", package.c_str());

    // The skin goes into a folder of its own, as into the client's cache:
    // the configuration, and the package unpacked beside it.
    TempFolder work;
    if (!work.ok())
        return Fail("cannot make a temporary folder");
    const std::string folder = work.path() + "\\skin\\";
    std::string name = config;
    const size_t slash = name.find_last_of("\\/:");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const std::string copy = folder + name;
    if (!CreateDirectoryA(folder.c_str(), nullptr) || copy.size() >= MAX_PATH ||
        !CopyFileA(config, copy.c_str(), FALSE))
        return Fail("cannot copy %s into a temporary folder", config);
    // The drawing needs windows: it lives beside this program.
    char self[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string library(self, length < MAX_PATH ? length : 0);
    library.erase(library.find_last_of('\\') + 1);
    library += TAVPREVIEW_DLL;
    HMODULE module = LoadLibraryA(library.c_str());
    auto draw = module ? reinterpret_cast<TavPreviewDrawFunction>(
                             reinterpret_cast<void*>(GetProcAddress(module, TAVPREVIEW_DRAW)))
                       : nullptr;
    auto release = module ? reinterpret_cast<TavPreviewFreeFunction>(
                                reinterpret_cast<void*>(GetProcAddress(module, TAVPREVIEW_FREE)))
                          : nullptr;
    if (!draw || !release)
        return Fail("cannot load %s (it belongs beside tavpack.exe)", library.c_str());
    unsigned char* png = nullptr;
    size_t size = 0;
    int pictureWidth = 0, pictureHeight = 0;
    char reason[1100] = "";
    if (draw(copy.c_str(), package.c_str(), width, height, address, &png, &size, &pictureWidth,
             &pictureHeight, reason, sizeof reason) != 0)
        return Fail("%s", reason);
    const bool written = ReplaceFileWith(out, std::vector<uint8_t>(png, png + size));
    release(png);
    if (!written)
        return Fail("cannot write %s", out);
    printf("%d x %d\n", pictureWidth, pictureHeight);
    return 0;
}

}  // namespace

namespace {

int Run(int argc, char** argv)
{
    if (argc < 2)
        return fputs(kUsage, stderr), 1;
    const char* command = argv[1];
    if (strcmp(command, "--help") == 0 || strcmp(command, "-h") == 0 ||
        strcmp(command, "/?") == 0) {
        fputs(kUsage, stdout);
        return 0;
    }
    if (strcmp(command, "pack") == 0)
        return Pack(argc, argv);
    if (strcmp(command, "extract") == 0)
        return Extract(argc, argv);
    if (strcmp(command, "encipher") == 0 || strcmp(command, "decipher") == 0)
        return Cipher(argc, argv);
    if (strcmp(command, "lint") == 0)
        return Lint(argc, argv);
    if (strcmp(command, "outline") == 0)
        return Outline(argc, argv);
    if (strcmp(command, "tvf") == 0)
        return TvfInfo(argc, argv);
    if (strcmp(command, "preview") == 0)
        return Preview(argc, argv);
    Fail("unknown command: %s", command);
    fputs(kUsage, stderr);
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        Fail("not enough memory");
        return 1;
    }
}
