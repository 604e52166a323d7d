// A skin data package copied file to file through the package cipher: the
// pass that turns an enciphered `.tvd` into the cabinet the extractor reads
// (and, the cipher being its own inverse, the one that enciphers it).
#pragma once
#include <stddef.h>

// Reads and writes in blocks this large; the cipher's 1024-byte key rhythm
// runs on the package's own byte positions, whatever the block size.
const size_t kPackageCopyBlock = 64 * 1024;

// Copies `sourcePath` to `targetPath` (created or replaced) with every byte
// passed through the cipher of `key` (`keyLength` bytes, not empty). False on
// an empty key, an unreadable source, a read error midway or a failed write;
// a target left incomplete by a failure is deleted.
bool CipherPackageFile(const char* sourcePath, const char* targetPath, const unsigned char* key,
                       size_t keyLength);
