// tavpack: skin authors' command-line tool for skin data packages.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <vector>

#include "core/package_cipher.h"
#include "../cabinet.h"
#include "../cabinet_pack.h"

namespace {

const char kUsage[] =
    "usage:\n"
    "  tavpack pack [--store] OUT.tvd FILE...   pack files (MSZIP; --store: uncompressed)\n"
    "  tavpack extract PACKAGE DIR [NAME]       extract all files, or only NAME\n"
    "  tavpack encipher KEY IN OUT              apply the skin package cipher\n"
    "  tavpack decipher KEY IN OUT              the same (the cipher is its own inverse)\n"
    "  tavpack --help                           this text\n";

int Fail(const char* format, const char* detail = "")
{
    fprintf(stderr, "tavpack: ");
    fprintf(stderr, format, detail);
    fputc('\n', stderr);
    return 1;
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
    char folder[MAX_PATH + 2];
    const size_t length = strlen(argv[3]);
    if (length == 0 || length > MAX_PATH)
        return Fail("bad destination folder: %s", argv[3]);
    strcpy(folder, argv[3]);
    if (folder[length - 1] != '\\' && folder[length - 1] != '/')
        strcat(folder, "\\");
    if (GetFileAttributesA(folder) == INVALID_FILE_ATTRIBUTES)
        return Fail("destination folder does not exist: %s", argv[3]);
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
    PackageCipher cipher(reinterpret_cast<const unsigned char*>(key), strlen(key));
    FILE* in = fopen(argv[3], "rb");
    if (!in)
        return Fail("cannot read %s", argv[3]);
    FILE* out = fopen(argv[4], "wb");
    if (!out) {
        fclose(in);
        return Fail("cannot write %s", argv[4]);
    }
    std::vector<unsigned char> block(64 * 1024);
    bool ok = true;
    size_t n;
    while ((n = fread(block.data(), 1, block.size(), in)) > 0) {
        cipher.Apply(block.data(), n);
        if (fwrite(block.data(), 1, n, out) != n) {
            ok = false;
            break;
        }
    }
    if (ferror(in))
        ok = false;
    fclose(in);
    if (fclose(out) != 0)
        ok = false;
    if (!ok) {
        DeleteFileA(argv[4]);
        return Fail("cannot complete %s", argv[4]);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
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
    Fail("unknown command: %s", command);
    fputs(kUsage, stderr);
    return 1;
}
