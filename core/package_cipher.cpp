#include "core/package_cipher.h"

#include <cstring>

PackageCipher::PackageCipher(const unsigned char* key, size_t keyLength)
    : keyLength_(key ? keyLength : 0)
{
    for (size_t i = 0; i < kBlockSize; ++i)
        pad_[i] = keyLength_ ? key[i % keyLength_] : 0;
}

void PackageCipher::Apply(unsigned char* data, size_t count)
{
    if (keyLength_ == 0)
        return;
    size_t offset = static_cast<size_t>(position_ % kBlockSize);
    position_ += count;
    // Runs against the pad, each up to the end of the current block, eight
    // bytes at a time.
    while (count > 0) {
        const size_t run = count < kBlockSize - offset ? count : kBlockSize - offset;
        const unsigned char* pad = pad_ + offset;
        size_t i = 0;
        for (; i + sizeof(uint64_t) <= run; i += sizeof(uint64_t)) {
            uint64_t word, mask;
            memcpy(&word, data + i, sizeof word);
            memcpy(&mask, pad + i, sizeof mask);
            word ^= mask;
            memcpy(data + i, &word, sizeof word);
        }
        for (; i < run; ++i)
            data[i] ^= pad[i];
        data += run;
        count -= run;
        offset = 0;
    }
}
