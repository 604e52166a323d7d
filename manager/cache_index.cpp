#include "manager/cache_index.h"

#include <commctrl.h>
#include <stdio.h>
#include <string.h>

#include <new>

#include "cabinet/cabinet.h"
#include "cabinet/package_file.h"
#include "core/dib_format.h"
#include "core/profile_reader.h"
#include "core/skin_limits.h"
#include "core/thumbnail.h"
#include "framework/handles.h"

namespace {

const char kCacheRootFormat[] = "%s\\tavik\\cache\\";
const char kIndexName[] = "index.dat";
const char kImageName[] = "image.dat";
const char kTempPrefix[] = "tav";
const char kAppSection[] = "Application";
const char kDirKey[] = "dir";
const char kVersionKey[] = "Version";
const char kBackgroundKey[] = "Background";
const char kEncryptKey[] = "ENCRYPT";
const char kEncryptKeyKey[] = "ENCRYPTKEY";
// The longest package key a configuration holds, without its NUL.
const size_t kMaxPackageKey = 254;

// The progress control's range and steps during a rebuild.
const int kProgressMax = 100;
const int kProgressPerEntry = 1;
const int kProgressPerRootEntry = 5;
const int kProgressClosing = 90;

// index.dat is read whole; a larger file is not one of ours (it would hold
// some 37,000 skins).
const DWORD kMaxIndexBytes = 64u * 1024u * 1024u;
// A background picture larger than this is not made into a thumbnail.
const DWORD kMaxPictureBytes = 300u * 1024u * 1024u;

struct FindTraits : fw::Uncounted {
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
    static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { FindClose(h); }
};
using UniqueFind = fw::Owned<HANDLE, FindTraits>;

fw::UniqueFile OpenForReading(const std::string& path)
{
    return fw::UniqueFile(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool FileSize(HANDLE file, unsigned long long* size)
{
    LARGE_INTEGER li;
    if (!GetFileSizeEx(file, &li) || li.QuadPart < 0)
        return false;
    *size = static_cast<unsigned long long>(li.QuadPart);
    return true;
}

bool ReadAll(HANDLE file, void* buffer, DWORD length)
{
    DWORD got = 0;
    return ReadFile(file, buffer, length, &got, nullptr) && got == length;
}

bool WriteAll(HANDLE file, const void* data, size_t length)
{
    const char* p = static_cast<const char*>(data);
    while (length > 0) {
        const DWORD chunk = length > 0x10000000u ? 0x10000000u : static_cast<DWORD>(length);
        DWORD written = 0;
        if (!WriteFile(file, p, chunk, &written, nullptr) || written != chunk)
            return false;
        p += chunk;
        length -= chunk;
    }
    return true;
}

bool SeekTo(HANDLE file, unsigned long long offset)
{
    LARGE_INTEGER li;
    li.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, li, nullptr, FILE_BEGIN) != FALSE;
}

// The whole file, when it opens and is at most `limit` bytes.
bool ReadWholeFile(const std::string& path, DWORD limit, std::vector<unsigned char>* bytes)
{
    bytes->clear();
    fw::UniqueFile file = OpenForReading(path);
    unsigned long long size = 0;
    if (!file || !FileSize(file.get(), &size) || size > limit)
        return false;
    bytes->resize(static_cast<size_t>(size));
    return size == 0 || ReadAll(file.get(), bytes->data(), static_cast<DWORD>(size));
}

// `length` bytes at `offset` of an open file, only when they lie inside it.
bool ReadRange(HANDLE file, unsigned long long offset, unsigned long length,
               std::vector<unsigned char>* bytes)
{
    bytes->clear();
    unsigned long long size = 0;
    if (!FileSize(file, &size) || offset > size || length > size - offset)
        return false;
    bytes->resize(length);
    return SeekTo(file, offset) && (length == 0 || ReadAll(file, bytes->data(), length));
}

bool IsReadOnlyAt(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// Deletes a file; a read-only one loses that bit first.
bool DeleteFileEntry(const std::string& path)
{
    if (DeleteFileA(path.c_str()))
        return true;
    if (!IsReadOnlyAt(path))
        return false;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(path.c_str()) != FALSE;
}

bool RemoveFolder(const std::string& path)
{
    if (RemoveDirectoryA(path.c_str()))
        return true;
    if (!IsReadOnlyAt(path))
        return false;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_DIRECTORY);
    return RemoveDirectoryA(path.c_str()) != FALSE;
}

// A junction or symbolic link is removed itself; what it points at is never
// entered. A folder link goes with RemoveDirectory, a file link with
// DeleteFile.
bool RemoveLink(const std::string& path, DWORD attributes)
{
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (RemoveDirectoryA(path.c_str()))
            return true;
    }
    return DeleteFileA(path.c_str()) != FALSE;
}

// The path the system resolves a folder or file to, links followed; "" when
// it cannot tell (before Windows Vista, or it would not open).
typedef DWORD(WINAPI* FinalPathFn)(HANDLE, LPSTR, DWORD, DWORD);

FinalPathFn FinalPathFunction()
{
    static const FinalPathFn fn = reinterpret_cast<FinalPathFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA")));
    return fn;
}

std::string ResolvedPath(const std::string& path)
{
    const FinalPathFn fn = FinalPathFunction();
    if (!fn)
        return std::string();
    fw::UniqueFile entry(CreateFileA(path.c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!entry)
        return std::string();
    char buffer[MAX_PATH * 4];
    const DWORD n = fn(entry.get(), buffer, sizeof buffer, 0);
    if (n == 0 || n >= sizeof buffer)
        return std::string();
    std::string resolved(buffer, n);
    while (resolved.size() > 1 && resolved.back() == '\\')
        resolved.pop_back();
    return resolved;
}

struct FolderEntry {
    std::string name;
    DWORD attributes;
};

// The entries of a folder (pattern `folder` + "*.*"), read before anything
// is deleted so the listing does not shift under the deletion.
bool ListFolder(const std::string& folder, std::vector<FolderEntry>* entries)
{
    entries->clear();
    WIN32_FIND_DATAA found;
    UniqueFind find(FindFirstFileA((folder + "*.*").c_str(), &found));
    if (!find)
        return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_NO_MORE_FILES;
    do {
        entries->push_back(FolderEntry{found.cFileName, found.dwFileAttributes});
    } while (FindNextFileA(find.get(), &found));
    return GetLastError() == ERROR_NO_MORE_FILES;
}

// The one tree deletion behind Delete host and Clear. `folder` ends with "\";
// `resolved` is where the system resolves it to ("" when unknown). Every
// entry goes: a real folder with its contents, a link as a link, anything
// else as a file. A folder whose resolved path is not its own place below
// its parent is a link the attributes did not show, and is removed as one
// (never entered); such a file is not deleted at all.
// The first failure stops the deletion and answers false.
bool DeleteTree(const std::string& folder, const std::string& resolved, bool removeSelf)
{
    std::vector<FolderEntry> entries;
    if (!ListFolder(folder, &entries))
        return false;
    for (const FolderEntry& entry : entries) {
        const std::string path = folder + entry.name;
        bool ok = true;
        switch (cache::ClassifyTreeEntry(entry.name.c_str(), entry.attributes)) {
        case cache::TreeAction::kSkip:
            continue;
        case cache::TreeAction::kRemoveLink:
            ok = RemoveLink(path, entry.attributes);
            break;
        case cache::TreeAction::kDescend: {
            std::string childResolved;
            if (!resolved.empty()) {
                childResolved = ResolvedPath(path);
                if (lstrcmpiA(childResolved.c_str(), (resolved + "\\" + entry.name).c_str()) != 0) {
                    ok = RemoveLink(path, entry.attributes);
                    break;
                }
            }
            ok = DeleteTree(path + "\\", childResolved, true);
            break;
        }
        case cache::TreeAction::kDeleteFile:
            // Wine shows a Unix link to a file as a plain file, and deleting
            // it deletes what it points at: such a file, whose resolved path
            // is elsewhere, is left in place and stops the deletion.
            if (!resolved.empty()) {
                const std::string fileResolved = ResolvedPath(path);
                if (!fileResolved.empty() &&
                    lstrcmpiA(fileResolved.c_str(), (resolved + "\\" + entry.name).c_str()) != 0) {
                    ok = false;
                    break;
                }
            }
            ok = DeleteFileEntry(path);
            break;
        }
        if (!ok)
            return false;
    }
    if (!removeSelf)
        return true;
    std::string self = folder;
    self.pop_back();
    return RemoveFolder(self);
}

void SetProgressRange(HWND progress)
{
    if (progress)
        SendMessageA(progress, PBM_SETRANGE, 0, MAKELPARAM(0, kProgressMax));
}

void SetProgress(HWND progress, int position)
{
    if (progress)
        SendMessageA(progress, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

// Makes the thumbnail of the bitmap file `picture`.
// A picture too large for the memory left is dropped like an unreadable one.
bool MakeThumbnailBytes(const std::string& picture, std::vector<unsigned char>* thumbnail)
{
    try {
        std::vector<unsigned char> source;
        if (!ReadWholeFile(picture, kMaxPictureBytes, &source))
            return false;
        return thumb::MakeThumbnail(source.data(), source.size(), thumbnail) == thumb::ThumbError::kOk;
    } catch (const std::bad_alloc&) {
        thumbnail->clear();
        return false;
    }
}

std::string TempFileIn(const std::string& folder)
{
    char path[MAX_PATH];
    if (!GetTempFileNameA(folder.c_str(), kTempPrefix, 0, path))
        return std::string();
    return path;
}

// The old image.dat during a rebuild: read whole once when it is of a usual
// size, otherwise read piece by piece.
class OldImage {
public:
    bool Open(const std::string& path)
    {
        file_ = OpenForReading(path);
        unsigned long long size = 0;
        if (!file_ || !FileSize(file_.get(), &size))
            return false;
        if (size <= kWholeImageBytes) {
            whole_.resize(static_cast<size_t>(size));
            inMemory_ = size == 0 || ReadAll(file_.get(), whole_.data(), static_cast<DWORD>(size));
            if (!inMemory_)
                whole_.clear();
        }
        return true;
    }
    void Close()
    {
        file_.reset();
        std::vector<unsigned char>().swap(whole_);
        inMemory_ = false;
    }
    bool Read(unsigned long long offset, unsigned long length, std::vector<unsigned char>* bytes)
    {
        if (!inMemory_)
            return file_ && ReadRange(file_.get(), offset, length, bytes);
        bytes->clear();
        if (offset > whole_.size() || length > whole_.size() - offset)
            return false;
        bytes->assign(whole_.begin() + static_cast<ptrdiff_t>(offset),
                      whole_.begin() + static_cast<ptrdiff_t>(offset + length));
        return true;
    }

private:
    static const unsigned long long kWholeImageBytes = 64ull * 1024 * 1024;
    fw::UniqueFile file_;
    std::vector<unsigned char> whole_;
    bool inMemory_ = false;
};

// The new image file, written in large pieces.
class NewImage {
public:
    explicit NewImage(HANDLE file) : file_(file) {}
    bool Append(const std::vector<unsigned char>& bytes)
    {
        if (length_ + bytes.size() > 0xFFFFFFFFull)
            return false;  // offsets are 32-bit
        pending_.insert(pending_.end(), bytes.begin(), bytes.end());
        length_ += bytes.size();
        return pending_.size() < kPiece || Flush();
    }
    bool Flush()
    {
        const bool ok = WriteAll(file_, pending_.data(), pending_.size());
        pending_.clear();
        return ok;
    }
    unsigned long long length() const { return length_; }

private:
    static const size_t kPiece = 1024 * 1024;
    HANDLE file_;
    std::vector<unsigned char> pending_;
    unsigned long long length_ = 0;
};

// The thumbnail bytes `entry` names in the old image.dat, when they are a
// bitmap file no longer than a thumbnail is.
bool ReuseThumbnail(OldImage* oldImage, const cache::CacheEntry& entry,
                    std::vector<unsigned char>* bytes)
{
    if (entry.length > skin_limits::kMaxThumbnailBytes ||
        !oldImage->Read(entry.offset, entry.length, bytes))
        return false;
    DibLayout layout;
    return ParseDib(bytes->data(), bytes->size(), &layout) == DIB_OK;
}

const cache::CacheEntry* FindOldEntry(
    const std::map<std::string, std::vector<cache::CacheEntry>>& old, const std::string& host,
    const cache::CacheEntry& fresh)
{
    auto it = old.find(host);
    if (it == old.end())
        return nullptr;
    for (const cache::CacheEntry& entry : it->second) {
        if (lstrcmpiA(entry.configPath, fresh.configPath) == 0 && entry.version == fresh.version)
            return &entry;
    }
    return nullptr;
}

}  // namespace

CCacheIndex::CCacheIndex(HWND progress, const std::string& cacheRoot) : progress_(progress)
{
    if (cacheRoot.empty()) {
        char windows[MAX_PATH];
        const UINT n = GetWindowsDirectoryA(windows, sizeof windows);
        if (n == 0 || n >= sizeof windows)
            windows[0] = 0;
        char root[MAX_PATH + 32];
        snprintf(root, sizeof root, kCacheRootFormat, windows);
        cacheRoot_ = root;
    } else {
        cacheRoot_ = cacheRoot;
        if (cacheRoot_.back() != '\\')
            cacheRoot_ += '\\';
    }
    indexPath_ = cacheRoot_ + kIndexName;
    imagePath_ = cacheRoot_ + kImageName;
    Rebuild();
}

CCacheIndex::~CCacheIndex()
{
    WriteIndex();
    catalogue_.clear();
    hosts_.clear();
}

bool CCacheIndex::Rebuild()
{
    SetProgressRange(progress_);
    int position = 0;
    SetProgress(progress_, position);
    catalogue_.clear();
    hosts_.clear();

    std::map<std::string, std::vector<cache::CacheEntry>> old;
    bool haveOld = ReadIndex(&old);
    OldImage oldImage;
    if (haveOld)
        haveOld = oldImage.Open(imagePath_);

    const std::string newImagePath = TempFileIn(cacheRoot_);
    fw::UniqueFile newImage;
    if (!newImagePath.empty())
        newImage.reset(CreateFileA(newImagePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    NewImage appended(newImage.get());
    bool imageOk = static_cast<bool>(newImage);
    std::vector<unsigned char> bytes;

    WIN32_FIND_DATAA root;
    UniqueFind rootFind(FindFirstFileA((cacheRoot_ + "*.*").c_str(), &root));
    bool more = static_cast<bool>(rootFind) && imageOk;
    while (more) {
        if (cache::IsCataloguedFolder(root.cFileName, root.dwFileAttributes)) {
            const std::string host = root.cFileName;
            std::vector<cache::CacheEntry> list;
            std::vector<FolderEntry> paths;
            ListFolder(cacheRoot_ + host + "\\", &paths);
            for (const FolderEntry& path : paths) {
                if (!cache::IsCataloguedFolder(path.name.c_str(), path.attributes))
                    continue;
                const std::string folder = cacheRoot_ + host + "\\" + path.name + "\\";
                std::vector<FolderEntry> configs;
                WIN32_FIND_DATAA found;
                UniqueFind find(FindFirstFileA((folder + "*.tvc").c_str(), &found));
                if (find) {
                    do {
                        // The pattern also meets longer extensions through
                        // short names ("a.tvcx" as "A~1.TVC").
                        const size_t n = strlen(found.cFileName);
                        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && n >= 4 &&
                            lstrcmpiA(found.cFileName + n - 4, ".tvc") == 0)
                            configs.push_back(FolderEntry{found.cFileName, found.dwFileAttributes});
                    } while (FindNextFileA(find.get(), &found));
                }
                for (const FolderEntry& config : configs) {
                    const std::string configPath = folder + config.name;
                    const std::string dataPath = folder + cache::DataPackageName(config.name);
                    const DWORD dataAttributes = GetFileAttributesA(dataPath.c_str());
                    if (dataAttributes == INVALID_FILE_ATTRIBUTES ||
                        (dataAttributes & FILE_ATTRIBUTE_DIRECTORY))
                        continue;
                    const ProfileFile profile = ProfileFile::Load(configPath.c_str());
                    char dir[cache::kDirFieldSize];
                    profile.GetString(kAppSection, kDirKey, cache::kDefaultDir, dir, sizeof dir);
                    const int32_t version =
                        static_cast<int32_t>(profile.GetInt(kAppSection, kVersionKey, 0));
                    cache::CacheEntry entry;
                    if (!cache::MakeEntry(configPath, dataPath, host, dir, version, &entry))
                        continue;  // a path too long for the record

                    bool have = false;
                    if (haveOld) {
                        const cache::CacheEntry* previous = FindOldEntry(old, host, entry);
                        have = previous && ReuseThumbnail(&oldImage, *previous, &bytes);
                    }
                    if (!have)
                        have = MakeThumbnail(profile, dataPath, &bytes);
                    if (!have)
                        continue;
                    const unsigned long long offset = appended.length();
                    if (!appended.Append(bytes)) {
                        imageOk = false;
                        break;
                    }
                    entry.offset = static_cast<uint32_t>(offset);
                    entry.length = static_cast<uint32_t>(bytes.size());
                    list.push_back(entry);
                    position = (position + kProgressPerEntry) % kProgressMax;
                    SetProgress(progress_, position);
                }
                if (!imageOk)
                    break;
            }
            if (!imageOk)
                break;
            if (!list.empty()) {
                catalogue_[host] = std::move(list);
                hosts_.push_back(host);
            }
        }
        more = FindNextFileA(rootFind.get(), &root) != FALSE;
        if (more) {
            position = (position + kProgressPerRootEntry) % kProgressMax;
            SetProgress(progress_, position);
        }
    }
    rootFind.reset();

    SetProgress(progress_, kProgressClosing);
    oldImage.Close();
    if (imageOk && !appended.Flush())
        imageOk = false;
    if (newImage && !CloseHandle(newImage.release()))
        imageOk = false;
    // The index on disk points into the image file about to be replaced: it
    // goes first, and the index of the new image is written as soon as that
    // image is in place, so a run that ends in between (a killed process)
    // never leaves an index whose thumbnails would be another skin's. A
    // read-only image file is replaced all the same.
    if (imageOk) {
        DeleteFileEntry(indexPath_);
        SetFileAttributesA(imagePath_.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    // The catalogue only stands with the image file it points into.
    if (!imageOk || !CopyFileA(newImagePath.c_str(), imagePath_.c_str(), FALSE)) {
        catalogue_.clear();
        hosts_.clear();
    } else {
        WriteIndex();
    }
    if (!newImagePath.empty())
        DeleteFileA(newImagePath.c_str());
    SetProgress(progress_, kProgressMax);
    old.clear();
    SetProgress(progress_, 0);
    return true;
}

bool CCacheIndex::MakeThumbnail(const ProfileFile& profile, const std::string& dataPath,
                                std::vector<unsigned char>* bytes)
{
    char background[MAX_PATH];
    profile.GetString(kAppSection, kBackgroundKey, "", background, sizeof background);
    // The picture is extracted into the cache root and deleted after use, so
    // it must stay there and must not be one of the cache's own files.
    if (!cache::IsExtractableBackground(background))
        return false;
    const std::string picture = cacheRoot_ + background;
    // A file of that name that resolves elsewhere is a link (Wine shows a
    // Unix link to a file as a plain file): extracting over it or deleting
    // it would reach its target, so the skin gets no thumbnail.
    if (GetFileAttributesA(picture.c_str()) != INVALID_FILE_ATTRIBUTES) {
        std::string root = cacheRoot_;
        root.pop_back();
        const std::string rootResolved = ResolvedPath(root);
        const std::string resolved = ResolvedPath(picture);
        if (!rootResolved.empty() &&
            lstrcmpiA(resolved.c_str(), (rootResolved + "\\" + background).c_str()) != 0)
            return false;
    }
    DeleteFileEntry(picture);  // an old copy must not stand in for a missing one
    // An enciphered package is deciphered into a work file in the cache root
    // first; the picture is taken from that copy, which is deleted at once.
    std::string cabinet = dataPath;
    std::string deciphered;
    if (profile.GetInt(kAppSection, kEncryptKey, 0) != 0) {
        char key[kMaxPackageKey + 1];
        const size_t keyLength = profile.GetString(kAppSection, kEncryptKeyKey, "", key, sizeof key);
        if (keyLength == 0)
            return false;  // an enciphered package without a key cannot be read
        deciphered = TempFileIn(cacheRoot_);
        if (deciphered.empty())
            return false;
        if (!CipherPackageFile(dataPath.c_str(), deciphered.c_str(),
                               reinterpret_cast<const unsigned char*>(key), keyLength)) {
            DeleteFileA(deciphered.c_str());
            return false;
        }
        cabinet = deciphered;
    }
    const bool extracted = ExtractCabinetFile(cabinet.c_str(), cacheRoot_.c_str(), background,
                                              CabinetOptionsFor(CABINET_BUILD_MANAGER)) != FALSE;
    if (!deciphered.empty())
        DeleteFileA(deciphered.c_str());
    if (!extracted) {
        DeleteFileA(picture.c_str());
        return false;
    }
    // The thumbnail is made in memory and appended by the caller: a work
    // file per skin cost a third of a cold rebuild under Wine.
    const bool made = MakeThumbnailBytes(picture, bytes);
    DeleteFileA(picture.c_str());
    return made;
}

bool CCacheIndex::WriteIndex()
{
    std::vector<cache::HostBlock> blocks;
    blocks.reserve(catalogue_.size());
    for (const auto& host : catalogue_) {
        cache::HostBlock block;
        if (!cache::MakeHostBlock(host.first, &block))
            continue;
        block.entries = host.second;
        blocks.push_back(std::move(block));
    }
    const std::vector<uint8_t> bytes = cache::SerialiseIndex(blocks);
    fw::UniqueFile file(CreateFileA(indexPath_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || !WriteAll(file.get(), bytes.data(), bytes.size()))
        return false;
    return CloseHandle(file.release()) != FALSE;
}

bool CCacheIndex::ReadIndex(std::map<std::string, std::vector<cache::CacheEntry>>* into)
{
    std::vector<unsigned char> bytes;
    if (!ReadWholeFile(indexPath_, kMaxIndexBytes, &bytes))
        return false;
    std::vector<cache::HostBlock> blocks;
    if (cache::ParseIndex(bytes.data(), bytes.size(), &blocks) != cache::IndexError::kOk)
        return false;
    fw::UniqueFile image = OpenForReading(imagePath_);
    unsigned long long imageSize = 0;
    if (!image || !FileSize(image.get(), &imageSize) || !cache::IndexFitsImage(blocks, imageSize))
        return false;
    for (cache::HostBlock& block : blocks)
        (*into)[block.Name()] = std::move(block.entries);
    return true;
}

int CCacheIndex::HostCount() const { return static_cast<int>(hosts_.size()); }

std::string CCacheIndex::HostName(int i) const
{
    if (i < 0 || i >= HostCount())
        return std::string();
    return hosts_[static_cast<size_t>(i)];
}

int CCacheIndex::EntryCount(const std::string& host) const
{
    auto it = catalogue_.find(host);
    return it == catalogue_.end() ? -1 : static_cast<int>(it->second.size());
}

const cache::CacheEntry* CCacheIndex::Entry(const std::string& host, int n) const
{
    auto it = catalogue_.find(host);
    if (it == catalogue_.end() || n < 0 || n >= static_cast<int>(it->second.size()))
        return nullptr;
    return &it->second[static_cast<size_t>(n)];
}

bool CCacheIndex::ReadThumbnail(std::vector<unsigned char>* buffer, unsigned long offset,
                                unsigned long length) const
{
    if (length > skin_limits::kMaxThumbnailBytes)
        return false;
    fw::UniqueFile image = OpenForReading(imagePath_);
    return image && ReadRange(image.get(), offset, length, buffer);
}

bool CCacheIndex::DeleteHost(const std::string& host)
{
    if (!cache::IsPlainFolderName(host))
        return false;
    std::string root = cacheRoot_;
    root.pop_back();
    const std::string rootResolved = ResolvedPath(root);
    const std::string path = cacheRoot_ + host;
    WIN32_FIND_DATAA found;
    {
        UniqueFind find(FindFirstFileA(path.c_str(), &found));
        if (!find)
            return false;
    }
    switch (cache::ClassifyTreeEntry(host.c_str(), found.dwFileAttributes)) {
    case cache::TreeAction::kDescend: {
        std::string resolved;
        if (!rootResolved.empty()) {
            resolved = ResolvedPath(path);
            if (lstrcmpiA(resolved.c_str(), (rootResolved + "\\" + host).c_str()) != 0)
                return RemoveLink(path, found.dwFileAttributes);
        }
        return DeleteTree(path + "\\", resolved, true);
    }
    case cache::TreeAction::kRemoveLink:
        return RemoveLink(path, found.dwFileAttributes);
    default:
        return false;  // not a folder: no host
    }
}

bool CCacheIndex::Clear()
{
    std::string root = cacheRoot_;
    root.pop_back();
    return DeleteTree(cacheRoot_, ResolvedPath(root), false);
}
