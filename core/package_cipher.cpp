#include "core/package_cipher.h"

PackageCipher::PackageCipher(const unsigned char* key, size_t keyLength)
    : key_(key), keyLength_(keyLength)
{
}

void PackageCipher::Apply(unsigned char* data, size_t count)
{
    if (keyLength_ == 0)
        return;
    size_t inBlock = static_cast<size_t>(position_ % kBlockSize);
    size_t keyIndex = inBlock % keyLength_;
    for (size_t i = 0; i < count; ++i) {
        data[i] ^= key_[keyIndex];
        if (++inBlock == kBlockSize) {
            inBlock = 0;
            keyIndex = 0;
        } else if (++keyIndex == keyLength_) {
            keyIndex = 0;
        }
    }
    position_ += count;
}
