#include "core/download_plan.h"

#include <strings.h>

std::string JoinFolderUrl(const std::string& folderUrl, const std::string& fileName)
{
    if (folderUrl.empty() || folderUrl.back() == '/')
        return folderUrl + fileName;
    return folderUrl + "/" + fileName;
}

std::vector<DownloadItem> BuildDownloadPlan(const std::vector<std::string>& addresses,
                                            const std::vector<std::string>& fileNames,
                                            const std::vector<std::string>& folders,
                                            int option)
{
    std::vector<DownloadItem> plan;
    if (addresses.size() != fileNames.size() || addresses.size() != folders.size())
        return plan;
    for (size_t i = 0; i < addresses.size(); ++i) {
        if (fileNames[i].empty() || addresses[i].empty())
            return {};
        DownloadItem item;
        item.url = option == 1 ? addresses[i] : JoinFolderUrl(addresses[i], fileNames[i]);
        item.target = folders[i] + fileNames[i];
        item.name = fileNames[i];
        plan.push_back(item);
    }
    return plan;
}

std::string FolderOfPath(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

bool IsHttpUrl(const std::string& url)
{
    return strncasecmp(url.c_str(), "http://", 7) == 0 ||
           strncasecmp(url.c_str(), "https://", 8) == 0;
}

const char kDownloadTempPrefix[] = "tvk";

bool IsDownloadTempName(const std::string& fileName)
{
    const size_t prefix = 3, suffix = 4;  // "tvk", ".tmp"
    if (fileName.size() < prefix + 1 + suffix || fileName.size() > prefix + 4 + suffix)
        return false;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (size_t i = 0; i < prefix; ++i)
        if (lower(fileName[i]) != kDownloadTempPrefix[i])
            return false;
    const size_t digitsEnd = fileName.size() - suffix;
    for (size_t i = prefix; i < digitsEnd; ++i) {
        const char c = lower(fileName[i]);
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    static const char kSuffix[] = ".tmp";
    for (size_t i = 0; i < suffix; ++i)
        if (lower(fileName[digitsEnd + i]) != kSuffix[i])
            return false;
    return true;
}
