// The package cipher: pieces of any size give what one pass gives, and a
// second pass restores the package.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <vector>

#include "core/package_cipher.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::vector<unsigned char> key = in.ConsumeBytes<unsigned char>(in.ConsumeIntegralInRange(0, 40));
    const size_t piece = in.ConsumeIntegralInRange<size_t>(1, 3000);
    std::vector<unsigned char> package = in.ConsumeRemainingBytes<unsigned char>();
    package.resize(package.size() * 3);  // reach past a block or two
    const std::vector<unsigned char> plain = package;

    PackageCipher whole(key.data(), key.size());
    std::vector<unsigned char> once = package;
    whole.Apply(once.data(), once.size());
    if (whole.Valid())
        FUZZ_CHECK(whole.Position() == once.size());

    PackageCipher pieces(key.data(), key.size());
    for (size_t at = 0; at < package.size(); at += piece)
        pieces.Apply(package.data() + at, std::min(piece, package.size() - at));
    FUZZ_CHECK(package == once);
    if (key.empty())
        FUZZ_CHECK(once == plain);
    else
        for (size_t i = 0; i < once.size(); ++i)
            FUZZ_CHECK((once[i] ^ plain[i]) == key[(i % PackageCipher::kBlockSize) % key.size()]);

    PackageCipher back(key.data(), key.size());
    back.Apply(once.data(), once.size());
    FUZZ_CHECK(once == plain);
    return 0;
}
