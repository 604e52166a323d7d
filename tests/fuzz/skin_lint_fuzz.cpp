// The skin lint's pure parts: the package key as the loader reads it from
// any configuration, the package name beside a configuration, and the
// report line that must not let a value write to the terminal.
#include <string>

#include "core/profile_reader.h"
#include "core/skin_lint.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const ProfileFile profile = ProfileFile::FromBytes(data, size);
    const SkinPackageKey key = ReadSkinPackageKey(profile);
    FUZZ_CHECK(key.key.size() <= 254);
    FUZZ_CHECK(key.key.find('\0') == std::string::npos);

    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string package = DefaultPackagePath(text);
    FUZZ_CHECK(package.size() >= 4 && package.compare(package.size() - 4, 4, ".tvd") == 0);

    const size_t a = size / 3, b = 2 * size / 3;
    const LintProblem problem{text.substr(0, a), text.substr(a, b - a), text.substr(b)};
    const std::string line = FormatLintProblem(problem);
    for (unsigned char c : line)
        FUZZ_CHECK(c >= 32 && c != 127);
    FUZZ_CHECK(line.size() >= 3 && line[0] == '[');
    return 0;
}
