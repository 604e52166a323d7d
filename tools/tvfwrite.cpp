// tvfwrite: writes a personal file (.tvf) from a preview bitmap, a skin
// configuration and a data package on the build machine, with the same
// header code the converter uses. Used to put the demo skin into the
// manager's installed "mytavik" folder.
//
// usage: tvfwrite OUT.tvf PREVIEW.bmp CONFIG.tvc PACKAGE.tvd KEY TITLE AUTHOR COMMENT START-URL DATA-URL
// KEY "-" leaves the package as it is; any other text enciphers it with
// that key (as the configuration's ENCRYPTKEY says).
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/package_cipher.h"
#include "core/personal_file.h"

namespace {

bool ReadAll(const char* path, std::vector<uint8_t>* bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 11) {
        std::fprintf(stderr, "usage: tvfwrite OUT PREVIEW CONFIG PACKAGE KEY TITLE AUTHOR COMMENT START DATA\n");
        return 1;
    }
    std::vector<uint8_t> preview, config, package;
    if (!ReadAll(argv[2], &preview) || !ReadAll(argv[3], &config) || !ReadAll(argv[4], &package)) {
        std::fprintf(stderr, "tvfwrite: cannot read an input file\n");
        return 1;
    }
    const std::string key = argv[5];
    if (key != "-") {
        PackageCipher cipher(reinterpret_cast<const unsigned char*>(key.data()), key.size());
        cipher.Apply(package.data(), package.size());
    }
    // The file keeps a Windows path: this tool runs on the build machine,
    // whose separators would otherwise end up in the skin's name.
    std::string configPath = argv[3];
    for (char& c : configPath)
        if (c == '/')
            c = '\\';
    pf::Header header;
    header.SetConfigPath(configPath);
    header.SetSkinName(pf::SkinNameFromPath(configPath));
    header.SetTitle(argv[6]);
    header.SetAuthor(argv[7]);
    header.SetComment(argv[8]);
    header.SetStartUrl(argv[9]);
    header.SetDataUrl(argv[10]);
    header.SetSizes(static_cast<uint32_t>(preview.size()), static_cast<uint32_t>(config.size()),
                    static_cast<uint32_t>(package.size()));
    const std::time_t now = std::time(nullptr);
    const std::tm* utc = std::gmtime(&now);
    pf::Time t;
    t.year = static_cast<uint16_t>(utc->tm_year + 1900);
    t.month = static_cast<uint16_t>(utc->tm_mon + 1);
    t.dayOfWeek = static_cast<uint16_t>(utc->tm_wday);
    t.day = static_cast<uint16_t>(utc->tm_mday);
    t.hour = static_cast<uint16_t>(utc->tm_hour);
    t.minute = static_cast<uint16_t>(utc->tm_min);
    t.second = static_cast<uint16_t>(utc->tm_sec);
    header.SetCreationTime(t);
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(header.bytes()), pf::kHeaderSize);
    out.write(reinterpret_cast<const char*>(preview.data()), preview.size());
    out.write(reinterpret_cast<const char*>(config.data()), config.size());
    out.write(reinterpret_cast<const char*>(package.data()), package.size());
    if (!out) {
        std::fprintf(stderr, "tvfwrite: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
