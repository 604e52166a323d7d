// The converter's one dialog: the form of a personal file, its commands
// (choose configuration, choose preview, Load TVP, Make TVP, Exit) and the
// About entry of its system menu.
#pragma once
#include <windows.h>

#include <string>

#include "framework/dialog_data.h"
#include "framework/handles.h"
#include "personalfile/personal_file.h"

// The form's limits, in characters: the header's, except the two paths,
// which the form takes longer (Make refuses those the header cannot hold).
const size_t kTitleLimit = pf::kTitleChars;
const size_t kAuthorLimit = pf::kAuthorChars;
const size_t kCommentLimit = pf::kCommentChars;
const size_t kPathLimit = 1024;
const size_t kUrlLimit = pf::kUrlChars;
const size_t kRightsLimit = pf::kRightsChars;

// Filters and default extensions of the file dialogs.
extern const char kTvfFilter[];
extern const char kTvfExtension[];
extern const char kTvcFilter[];
extern const char kTvcExtension[];
extern const char kBmpFilter[];
extern const char kBmpExtension[];
extern const char kSavedText[];

class ConverterDialog : public fw::DataDialog<ConverterDialog> {
public:
    ConverterDialog();
    // Runs the dialog modally with the resources of the running program.
    INT_PTR Run(HWND owner = nullptr);

    // The form's fields, as last shown or read back.
    std::string title, author, comment, previewPath, configPath, startUrl, rights, dataUrl;

protected:
    void DoDataExchange(fw::DataExchange& exchange) override;
    bool OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void OnOK() override {}  // Enter does not close the form
    void OnAbout() override;

private:
    void ChooseConfiguration();
    void ChoosePreview();
    void LoadTvp();
    void MakeTvp();

    PersonalFile file_;
    fw::UniqueIcon largeIcon_;
    fw::UniqueIcon smallIcon_;
};

// The write sequence of Make TVP: the data package beside the configuration,
// the preview (the chosen bitmap, or a 120 x 120 copy of the skin's
// background, empty when the background cannot be used), then the file.
// File errors are shown. True when written.
bool WritePersonalFile(PersonalFile& file, const std::string& target, HWND owner);
