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
