// The personal file header: any 5600 bytes (and a file length) loaded as a
// header, and texts written into a fresh one.
#include <cstring>
#include <string>
#include <vector>

#include "core/personal_file.h"
#include "fuzz_check.h"

using namespace pf;

namespace {

const Field kTexts[] = {kMagicField, kTitle,      kAuthor,    kComment,  kConfigPath,
                        kPreviewPath, kSkinName,  kStartUrl,  kDataUrl,  kRights};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The input, spread over a header as it came from a file; what is left
    // over is zero (short inputs reach the fields through the magic's start).
    std::vector<uint8_t> bytes(kHeaderSize, 0);
    std::memcpy(bytes.data(), kMagic, sizeof kMagic);
    for (size_t i = 0; i < size; ++i)
        bytes[size < 64 ? (kHeaderSize - 20 + i) % kHeaderSize : (i * 131) % kHeaderSize] ^=
            data[i];
    Header header;
    header.Load(bytes.data());
    FUZZ_CHECK(std::memcmp(header.bytes(), bytes.data(), kHeaderSize) == 0);

    // Every text stays inside its field, whatever the file holds.
    const std::string texts[] = {header.magic(),      header.title(),    header.author(),
                                 header.comment(),    header.configPath(), header.previewPath(),
                                 header.skinName(),   header.startUrl(), header.dataUrl(),
                                 header.rights()};
    for (size_t i = 0; i < sizeof kTexts / sizeof kTexts[0]; ++i) {
        FUZZ_CHECK(texts[i].size() <= kTexts[i].size);
        FUZZ_CHECK(texts[i].find('\0') == std::string::npos);
        FUZZ_CHECK(std::memcmp(texts[i].data(), bytes.data() + kTexts[i].offset,
                               texts[i].size()) == 0);
    }
    const std::string placement = header.placementUrl();
    FUZZ_CHECK(placement == (header.dataUrl().empty() ? header.startUrl() : header.dataUrl()));
    FUZZ_CHECK(!header.creationTimeText().empty());

    // The layout check never trusts the sizes: offsets do not wrap, and OK
    // means every section lies inside the file.
    const uint64_t total = header.TotalLength();
    FUZZ_CHECK(total == kHeaderSize + uint64_t{header.previewSize()} + header.configSize() +
                            header.packageSize());
    FUZZ_CHECK(header.PreviewOffset() <= header.ConfigOffset());
    FUZZ_CHECK(header.ConfigOffset() <= header.PackageOffset());
    FUZZ_CHECK(header.PackageOffset() + header.packageSize() == total);
    uint64_t fileLength = 0;
    if (size >= 8)
        std::memcpy(&fileLength, data + size - 8, 8);
    for (uint64_t length : {fileLength, total, total - 1, uint64_t{kHeaderSize} - 1}) {
        const LayoutError e = CheckLayout(header, length);
        if (length < kHeaderSize)
            FUZZ_CHECK(e == LAYOUT_SHORT_HEADER);
        else if (!header.HasMagic())
            FUZZ_CHECK(e == LAYOUT_BAD_MAGIC);
        else
            FUZZ_CHECK((e == LAYOUT_OK) == (total <= length) &&
                       (e == LAYOUT_OK || e == LAYOUT_TRUNCATED));
    }

    // Writing: texts are cut to their field minus one and read back whole;
    // fields beside them are not touched; sizes and times round-trip.
    Header fresh;
    FUZZ_CHECK(fresh.HasMagic());
    const std::string text(reinterpret_cast<const char*>(data), size);
    fresh.SetTitle(text);
    fresh.SetComment(text);
    fresh.SetStartUrl(text);
    fresh.SetRights(text);
    const std::string cut = text.substr(0, text.find('\0'));
    auto expect = [&](const Field& f) { return cut.substr(0, f.size - 1); };
    FUZZ_CHECK(fresh.title() == expect(kTitle));
    FUZZ_CHECK(fresh.comment() == expect(kComment));
    FUZZ_CHECK(fresh.startUrl() == expect(kStartUrl));
    FUZZ_CHECK(fresh.rights() == expect(kRights));
    FUZZ_CHECK(fresh.HasMagic() && fresh.author().empty() && fresh.dataUrl().empty());
    FUZZ_CHECK(fresh.placementUrl() == fresh.startUrl());
    fresh.SetSkinVersion(static_cast<int32_t>(total));
    fresh.SetSizes(header.previewSize(), header.configSize(), header.packageSize());
    FUZZ_CHECK(fresh.skinVersion() == static_cast<int32_t>(total));
    FUZZ_CHECK(fresh.TotalLength() == total);
    Time t = header.creationTime();
    fresh.SetCreationTime(t);
    const Time u = fresh.creationTime();
    FUZZ_CHECK(std::memcmp(&t, &u, sizeof t) == 0);
    FUZZ_CHECK(fresh.creationTimeText() == header.creationTimeText());

    // And a header written out loads back to the same fields.
    Header copy;
    copy.Load(fresh.bytes());
    FUZZ_CHECK(copy.title() == fresh.title() && copy.rights() == fresh.rights() &&
               copy.TotalLength() == total && CheckLayout(copy, total) == LAYOUT_OK);

    // The helpers over paths.
    const std::string name = SkinNameFromPath(text);
    FUZZ_CHECK(name.find('\\') == std::string::npos && name.size() <= text.size());
    const std::string package = PackagePathFromConfig(text);
    FUZZ_CHECK(package.size() >= 3 && package.compare(package.size() - 3, 3, "tvd") == 0);
    return 0;
}
