#include "personalfile/personal_file.h"

#include <algorithm>
#include <optional>

namespace {

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

// A temporary file that is deleted unless it was given its final name.
class PendingFile {
public:
    explicit PendingFile(const std::string& target) : target_(target)
    {
        char name[MAX_PATH];
        if (GetTempFileNameA(FolderOf(target).c_str(), "tvf", 0, name) == 0)
            throw fw::FileError::FromOsError(GetLastError(), target);
        path_ = name;
    }
    ~PendingFile()
    {
        if (!path_.empty())
            DeleteFileA(path_.c_str());
    }
    const std::string& path() const { return path_; }
    void Commit()
    {
        if (!MoveFileExA(path_.c_str(), target_.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            throw fw::FileError::FromOsError(GetLastError(), target_);
        path_.clear();
    }

private:
    std::string target_;
    std::string path_;
};

uint32_t SectionSize(const fw::File& file)
{
    const uint64_t length = file.Length();
    if (length > 0xFFFFFFFFull)
        throw fw::FileError(fw::FileError::kGeneric, file.path());
    return static_cast<uint32_t>(length);
}

}  // namespace

pf::Time CurrentUtcTime()
{
    SYSTEMTIME st;
    GetSystemTime(&st);
    pf::Time t;
    t.year = st.wYear;
    t.month = st.wMonth;
    t.dayOfWeek = st.wDayOfWeek;
    t.day = st.wDay;
    t.hour = st.wHour;
    t.minute = st.wMinute;
    t.second = st.wSecond;
    t.milliseconds = st.wMilliseconds;
    return t;
}

void PersonalFile::Initialize()
{
    Close();
    header_.Initialize();
}

void PersonalFile::SetConfiguration(const std::string& configPath)
{
    header_.SetConfigPath(configPath);
    header_.SetSkinVersion(static_cast<int32_t>(
        GetPrivateProfileIntA("Application", "version", 0, configPath.c_str())));
    header_.SetSkinName(pf::SkinNameFromPath(configPath));
}

bool PersonalFile::Open(const std::string& path)
{
    Close();
    fw::File file(path, fw::File::kRead);
    const uint64_t length = file.Length();
    std::vector<uint8_t> bytes(pf::kHeaderSize, 0);
    file.ReadExactly(bytes.data(), static_cast<size_t>(std::min<uint64_t>(length, pf::kHeaderSize)));
    pf::Header read;
    read.Load(bytes.data());
    switch (pf::CheckLayout(read, length)) {
    case pf::LAYOUT_OK:
        break;
    case pf::LAYOUT_BAD_MAGIC:
        return false;
    case pf::LAYOUT_SHORT_HEADER:
        if (!read.HasMagic())
            return false;
        throw fw::FileError(fw::FileError::kEndOfFile, path);
    case pf::LAYOUT_TRUNCATED:
        throw fw::FileError(fw::FileError::kEndOfFile, path);
    }
    header_ = read;
    file_ = std::move(file);
    return true;
}

bool PersonalFile::OpenAndCheck(const std::string& path, HWND owner)
{
    try {
        return Open(path);
    } catch (const fw::FileError& error) {
        error.Show(owner);
        return false;
    }
}

std::vector<uint8_t> PersonalFile::ReadSection(uint64_t offset, uint32_t size)
{
    if (!file_.IsOpen())
        throw fw::FileError(fw::FileError::kInvalidFile, "");
    file_.Seek(offset);
    return file_.ReadExactly(size);
}

fw::FileView PersonalFile::ViewSection(uint64_t offset, uint32_t size) const
{
    if (!file_.IsOpen())
        throw fw::FileError(fw::FileError::kInvalidFile, "");
    return file_.View(offset, size);
}

fw::FileView PersonalFile::ViewPreview() const
{
    return ViewSection(header_.PreviewOffset(), header_.previewSize());
}

fw::FileView PersonalFile::ViewConfiguration() const
{
    return ViewSection(header_.ConfigOffset(), header_.configSize());
}

fw::FileView PersonalFile::ViewPackage() const
{
    return ViewSection(header_.PackageOffset(), header_.packageSize());
}

void PersonalFile::SaveSection(uint64_t offset, uint32_t size, const std::string& path)
{
    if (!file_.IsOpen())
        throw fw::FileError(fw::FileError::kInvalidFile, "");
    fw::File out(path, fw::File::kCreate);
    file_.CopyTo(out, offset, size);
}

void PersonalFile::SavePreview(const std::string& path)
{
    SaveSection(header_.PreviewOffset(), header_.previewSize(), path);
}

void PersonalFile::SaveConfiguration(const std::string& path)
{
    SaveSection(header_.ConfigOffset(), header_.configSize(), path);
}

void PersonalFile::SavePackage(const std::string& path)
{
    SaveSection(header_.PackageOffset(), header_.packageSize(), path);
}

std::vector<uint8_t> PersonalFile::ReadPreview()
{
    return ReadSection(header_.PreviewOffset(), header_.previewSize());
}

std::vector<uint8_t> PersonalFile::ReadConfiguration()
{
    return ReadSection(header_.ConfigOffset(), header_.configSize());
}

std::vector<uint8_t> PersonalFile::ReadPackage()
{
    return ReadSection(header_.PackageOffset(), header_.packageSize());
}

void PersonalFile::Write(const std::string& target, const std::string& previewPath,
                         const std::string& configPath, const std::string& packagePath)
{
    std::optional<PendingFile> pending;
    {
        // The sources first: a missing one is reported before the target.
        fw::File preview(previewPath, fw::File::kRead);
        fw::File config(configPath, fw::File::kRead);
        fw::File package(packagePath, fw::File::kRead);
        header_.SetSizes(SectionSize(preview), SectionSize(config), SectionSize(package));
        header_.SetCreationTime(CurrentUtcTime());
        pending.emplace(target);
        try {
            fw::File out(pending->path(), fw::File::kCreate);
            out.Write(header_.bytes(), pf::kHeaderSize);
            preview.CopyTo(out, 0, header_.previewSize());
            config.CopyTo(out, 0, header_.configSize());
            package.CopyTo(out, 0, header_.packageSize());
        } catch (const fw::FileError& error) {
            // The user knows the target, not our temporary name for it.
            if (error.fileName() == pending->path())
                throw fw::FileError(error.cause(), target, error.osError());
            throw;
        }
    }
    // Every file is closed: the target may even be one of the sources.
    pending->Commit();
}
