// The profile reader over arbitrary bytes: every answer fits its buffer, is
// terminated, and writes nothing past the terminator.
#include <cstring>
#include <string>
#include <vector>

#include "core/profile_reader.h"
#include "fuzz_check.h"

namespace {

const char kGuard = '\x5A';

// Asks for section/key with a buffer of `size` bytes surrounded by guards.
uint32_t Ask(const ProfileFile& profile, const char* section, const char* key,
             const char* fallback, uint32_t size, std::string* answer)
{
    std::vector<char> buffer(size + 16, kGuard);
    const uint32_t n = profile.GetString(section, key, fallback, buffer.data() + 8, size);
    for (size_t i = 0; i < 8; ++i)
        FUZZ_CHECK(buffer[i] == kGuard && buffer[size + 8 + i] == kGuard);
    if (size == 0) {
        FUZZ_CHECK(n == 0);
        answer->clear();
        return n;
    }
    FUZZ_CHECK(n < size);
    const char* out = buffer.data() + 8;
    FUZZ_CHECK(out[n] == '\0');
    FUZZ_CHECK(std::memchr(out, '\0', n) == nullptr);
    answer->assign(out, n);
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const ProfileFile profile = ProfileFile::FromBytes(data, size);
    FUZZ_CHECK(profile.source() == ProfileFile::Source::kRead);
    const std::vector<std::string> sections = profile.sectionNames();
    FUZZ_CHECK(sections.size() == profile.sectionCount());

    // Names to ask for: the sections found, and words of the file itself.
    std::vector<std::string> names(sections.begin(), sections.end());
    std::string word;
    for (size_t i = 0; i < size && names.size() < 12; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\n' || c == '\r' || c == '=' || c == '[' || c == ']' || c == '\0') {
            if (!word.empty())
                names.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    names.push_back("");
    names.push_back(" key ");

    const uint32_t sizes[] = {0, 1, 2, 3, 7, 255};
    std::string fallback = size ? std::string(reinterpret_cast<const char*>(data),
                                              size < 40 ? size : 40)
                                : std::string();
    fallback = fallback.substr(0, fallback.find('\0'));
    for (size_t s = 0; s < names.size() && s < 6; ++s) {
        for (size_t k = 0; k < names.size(); ++k) {
            std::string whole, part;
            const uint32_t n = Ask(profile, names[s].c_str(), names[k].c_str(), "", 4096, &whole);
            // A smaller buffer gives a text no longer than the whole answer
            // and the buffer allows.
            for (uint32_t b : sizes) {
                const uint32_t m = Ask(profile, names[s].c_str(), names[k].c_str(), nullptr, b, &part);
                FUZZ_CHECK(m <= n || (b > 0 && m < b));
            }
            Ask(profile, names[s].c_str(), names[k].c_str(), fallback.c_str(),
                size % 64, &part);
            profile.GetInt(names[s].c_str(), names[k].c_str(), static_cast<int32_t>(size));
            // Answers are the same for the same question.
            std::string twice;
            FUZZ_CHECK(Ask(profile, names[s].c_str(), names[k].c_str(), "", 4096, &twice) == n &&
                       twice == whole);
        }
    }
    // Listing is not offered: nothing but an empty text.
    std::string none;
    FUZZ_CHECK(Ask(profile, nullptr, "a", "x", 8, &none) == 0);
    FUZZ_CHECK(Ask(profile, "a", nullptr, "x", 8, &none) == 0);
    return 0;
}
