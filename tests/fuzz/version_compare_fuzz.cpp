// The four-part version comparison: parsing any text, and the order it gives.
#include <cstring>
#include <string>

#include "core/version_compare.h"
#include "fuzz_check.h"

namespace {

FourPartVersion Parse(const std::string& text, int* read)
{
    FourPartVersion v;
    *read = ParseFourPartVersion(text.c_str(), &v);
    return v;
}

int Compare(const FourPartVersion& a, const FourPartVersion& b)
{
    for (int i = 0; i < 4; ++i)
        if (a.part[i] != b.part[i])
            return a.part[i] < b.part[i] ? -1 : 1;
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Three texts separated by '|'; the third also gives a fixed file version.
    std::string texts[3];
    int which = 0;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '|' && which < 2)
            ++which;
        else if (data[i] != 0)
            texts[which] += static_cast<char>(data[i]);
    }
    FourPartVersion v[4];
    for (int i = 0; i < 3; ++i) {
        int read = -1;
        v[i] = Parse(texts[i], &read);
        FUZZ_CHECK(read >= 0 && read <= 4);
        for (int k = read; k < 4; ++k)
            FUZZ_CHECK(v[i].part[k] == 0);  // parts not read stay 0
    }
    uint32_t ms = 0, ls = 0;
    std::memcpy(&ms, data, size < 4 ? size : 4);
    if (size > 4)
        std::memcpy(&ls, data + 4, size < 8 ? size - 4 : 4);
    v[3] = VersionFromFileInfo(ms, ls);
    FUZZ_CHECK(v[3].part[0] == (ms >> 16) && v[3].part[1] == (ms & 0xFFFF));
    FUZZ_CHECK(v[3].part[2] == (ls >> 16) && v[3].part[3] == (ls & 0xFFFF));

    for (int a = 0; a < 4; ++a) {
        FUZZ_CHECK(IsVersionAtLeast(v[a], v[a]));  // reflexive
        for (int b = 0; b < 4; ++b) {
            const bool ab = IsVersionAtLeast(v[a], v[b]), ba = IsVersionAtLeast(v[b], v[a]);
            FUZZ_CHECK(ab || ba);                                // total
            FUZZ_CHECK((ab && ba) == (Compare(v[a], v[b]) == 0));  // antisymmetric
            FUZZ_CHECK(ab == (Compare(v[a], v[b]) >= 0));          // the first part decides
            for (int c = 0; c < 4; ++c)
                if (ab && IsVersionAtLeast(v[b], v[c]))
                    FUZZ_CHECK(IsVersionAtLeast(v[a], v[c]));  // transitive
        }
    }
    return 0;
}
