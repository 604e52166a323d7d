// The skin data package cipher: every byte is XORed with the key, and the key
// position restarts at key byte 0 at every 1024-byte block of the package.
// Published packages depend on this rule; the operation is its own inverse.
#pragma once
#include <cstddef>
#include <cstdint>

class PackageCipher {
public:
    enum { kBlockSize = 1024 };

    // The key is copied into one block's worth of key bytes. An empty key is
    // not a key: Valid() answers false and Apply() leaves data untouched.
    PackageCipher(const unsigned char* key, size_t keyLength);

    bool Valid() const { return keyLength_ != 0; }

    // Applies the cipher to the next `count` bytes of the package, whatever
    // the size of the pieces the package is read in.
    void Apply(unsigned char* data, size_t count);

    // Bytes of the package seen so far.
    uint64_t Position() const { return position_; }

private:
    size_t keyLength_;
    uint64_t position_ = 0;
    // Byte i of every block is XORed with pad_[i]: the key repeated, from
    // key byte 0 at the block's start.
    unsigned char pad_[kBlockSize];
};
