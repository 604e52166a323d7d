// What a download dialog fetches and where each file goes (no Windows
// header). The transfers and the dialog live in asyncdown.cpp.
#pragma once
#include <string>
#include <vector>

struct DownloadItem {
    std::string url;     // full address fetched
    std::string target;  // folder text immediately followed by the file name
    std::string name;    // the file name, for the dialog
};

// A folder address and a file name relative to it: a '/' is put between them
// when the address does not end with one.
std::string JoinFolderUrl(const std::string& folderUrl, const std::string& fileName);

// Option 1: each address is the full address of its file. Option 0 (and any
// other): each address is a folder address, the file name relative to it.
// The lists must be of one length; an empty plan means the lists did not fit.
std::vector<DownloadItem> BuildDownloadPlan(const std::vector<std::string>& addresses,
                                            const std::vector<std::string>& fileNames,
                                            const std::vector<std::string>& folders,
                                            int option);

// The folder of a target path: everything up to and including its last
// backslash or slash; "." when it has none.
std::string FolderOfPath(const std::string& path);

// True for addresses whose answers carry an HTTP status.
bool IsHttpUrl(const std::string& url);

// Every transfer first writes into a temporary file in its target's folder,
// named by the system with this prefix: "tvk", one to four hexadecimal
// digits, ".tmp" (letter case ignored). A transfer that was cut off by a crash
// or a killed process leaves such a file behind; the next download into the
// folder removes it. True for exactly those names (a bare file name).
extern const char kDownloadTempPrefix[];
bool IsDownloadTempName(const std::string& fileName);
