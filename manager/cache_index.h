// The manager's catalogue of the client's skin cache: "index.dat" and
// "image.dat" in the cache root, and the in-memory catalogue built from the
// host and path folders below it.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "core/cache_index_format.h"  // cache::CacheEntry (1812 bytes) and the file layouts

class ProfileFile;

class CCacheIndex {
public:
    // Builds the three paths (cache root "<windows>\tavik\cache\") and at
    // once runs Rebuild. `progress` is the frame's progress control (may be
    // null). `cacheRoot` overrides the root (tests); it ends with "\".
    explicit CCacheIndex(HWND progress, const std::string& cacheRoot = std::string());
    // Writes the index, then frees the catalogue.
    ~CCacheIndex();
    CCacheIndex(const CCacheIndex&) = delete;
    CCacheIndex& operator=(const CCacheIndex&) = delete;

    bool Rebuild();
    bool WriteIndex();
    bool ReadIndex(std::map<std::string, std::vector<cache::CacheEntry>>* into);

    int HostCount() const;
    std::string HostName(int i) const;          // "" when out of range
    int EntryCount(const std::string& host) const;  // -1 for a host not in the catalogue
    const cache::CacheEntry* Entry(const std::string& host, int n) const;  // null when out of range

    // Reads `length` bytes at `offset` of image.dat; false on any file error
    // or when the range lies outside the file.
    bool ReadThumbnail(std::vector<unsigned char>* buffer, unsigned long offset, unsigned long length) const;

    bool DeleteHost(const std::string& host);  // removes cacheRoot + host + "\" and all in it
    bool Clear();                              // empties the cache root, keeps the root

    const std::string& cacheRoot() const { return cacheRoot_; }
    const std::string& indexPath() const { return indexPath_; }
    const std::string& imagePath() const { return imagePath_; }

private:
    // A new thumbnail from the skin's "Background" picture in its package
    // (deciphered first when the configuration says it is enciphered).
    bool MakeThumbnail(const ProfileFile& profile, const std::string& dataPath,
                       std::vector<unsigned char>* bytes);

    std::string cacheRoot_;
    std::string indexPath_;
    std::string imagePath_;
    std::vector<std::string> hosts_;
    std::map<std::string, std::vector<cache::CacheEntry>> catalogue_;
    HWND progress_ = nullptr;
};
