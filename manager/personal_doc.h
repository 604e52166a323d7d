// The document of the personal page: the folder shown, its sub-folders and
// its personal files, or the list of drives.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "framework/docview.h"
#include "manager/personal_open.h"

class CTavPersonalDoc : public fw::Document {
public:
    // Folder = <program folder>\mytavik\ (or the working folder when that
    // cannot be entered); title = folder; rescan.
    bool OnNewDocument() override;
    // A folder given on the command line is shown; anything else is not a
    // document of ours.
    bool OnOpenDocument(const std::string& path) override;

    void EnterFolder(const std::string& name);
    void Up();
    void SetFolder(const std::string& path);
    void ListDrives();
    void Rescan();

    const std::string& folder() const { return folder_; }
    const std::vector<std::string>& folders() const { return folders_; }
    const std::vector<std::unique_ptr<CPersonalFile>>& files() const { return files_; }
    bool showingDrives() const { return folder_.empty(); }

    // The program folder the default folder is taken from (tests set it).
    std::string programDirectory;

private:
    std::string folder_;
    std::vector<std::string> folders_;
    std::vector<std::unique_ptr<CPersonalFile>> files_;
    std::vector<std::string> drives_;
    bool drivesListed_ = false;
};
