#include "converter/converter_dialog.h"

#include <optional>
#include <vector>

#include "converter/background.h"
#include "framework/app.h"
#include "framework/file_dialogs.h"
#include "framework/file_error.h"
#include "framework/temp_folder.h"
#include "resources/converter/converter_ids.h"

const char kTvfFilter[] = "Tavik Personal file(*.tvf)|*.tvf||";
const char kTvfExtension[] = "*.tvf";
const char kTvcFilter[] = "Tavik Config File(*.tvc)|*.tvc||";
const char kTvcExtension[] = "*.tvc";
const char kBmpFilter[] = "Bitmap File(*.bmp)|*.bmp||";
const char kBmpExtension[] = "*.bmp";
const char kSavedText[] = "Save Successfully";

namespace {

const char kPreviewPrefix[] = "tvpre";
const int kThumbnailSide = 120;

// The About box (dialog 100).
class AboutDialog : public fw::Dialog<AboutDialog> {};

// The preview the converter makes in `folder`: a 120 by 120 copy of the
// skin's background. A background that cannot be used (not named, missing
// from the package, empty or unreadable) leaves the new temporary file
// empty: a preview of length 0.
std::string MakePreview(const std::string& configPath, const std::string& packagePath,
                        const std::string& folder)
{
    char background[MAX_PATH + 1] = "";
    GetPrivateProfileStringA("Application", "BACKGROUND", "", background, sizeof background,
                             configPath.c_str());
    const bool extracted = background[0] != '\0' && ExtractBackground(packagePath, folder, background);
    char made[MAX_PATH] = "";
    if (GetTempFileNameA(folder.c_str(), kPreviewPrefix, 0, made) == 0)
        throw fw::FileError::FromOsError(GetLastError(), folder);
    if (extracted)
        MakeThumbnail(folder + background, made, kThumbnailSide, kThumbnailSide);
    return made;
}

}  // namespace

bool WritePersonalFile(PersonalFile& file, const std::string& target, HWND owner)
{
    const std::string configPath = file.header().configPath();
    const std::string packagePath = pf::PackagePathFromConfig(configPath);
    std::string previewPath = file.header().previewPath();
    // What the preview needs lives in a folder of this write's own, removed
    // afterwards with all it holds: nothing left by an earlier write is used
    // or stands in the way.
    std::optional<fw::PrivateTempFolder> work;
    try {
        if (previewPath.empty()) {
            work.emplace(kPreviewPrefix);
            if (work->path().empty())
                throw fw::FileError::FromOsError(GetLastError(), fw::TemporaryPath());
            previewPath = MakePreview(configPath, packagePath, work->path());
        }
        file.Write(target, previewPath, configPath, packagePath);
    } catch (const fw::FileError& error) {
        error.Show(owner);
        return false;
    }
    return true;
}

ConverterDialog::ConverterDialog() = default;

INT_PTR ConverterDialog::Run(HWND owner)
{
    return RunModal(fw::App::Instance(), IDD_CONVTVF, owner);
}

void ConverterDialog::DoDataExchange(fw::DataExchange& dx)
{
    dx.Text(IDC_TITLE, title, kTitleLimit);
    dx.Text(IDC_AUTHOR, author, kAuthorLimit);
    dx.Text(IDC_COMMENT, comment, kCommentLimit);
    dx.Text(IDC_PREVIEW_PATH, previewPath, kPathLimit);
    dx.Text(IDC_TVC_PATH, configPath, kPathLimit);
    dx.Text(IDC_START_URL, startUrl, kUrlLimit);
    dx.Text(IDC_RIGHTS, rights, kRightsLimit);
    dx.Text(IDC_DATA_URL, dataUrl, kUrlLimit);
}

bool ConverterDialog::OnInitDialog()
{
    AddAboutEntry(fw::App::LoadText(IDS_ABOUTBOX));
    HINSTANCE instance = fw::App::Instance();
    largeIcon_.reset(static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME),
                                                   IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                                   GetSystemMetrics(SM_CYICON), 0)));
    smallIcon_.reset(static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME),
                                                   IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                   GetSystemMetrics(SM_CYSMICON), 0)));
    SetProgramIcon(largeIcon_.get(), smallIcon_.get());
    return true;
}

void ConverterDialog::OnAbout()
{
    AboutDialog about;
    about.RunModal(fw::App::Instance(), IDD_ABOUTBOX, hwnd_);
}

bool ConverterDialog::OnCommand(WORD id, WORD code, HWND control)
{
    switch (id) {
    case IDC_CHOOSE_TVC: ChooseConfiguration(); return true;
    case IDC_CHOOSE_PREVIEW: ChoosePreview(); return true;
    case IDC_LOAD_TVP: LoadTvp(); return true;
    case IDC_MAKE_TVP: MakeTvp(); return true;
    case IDC_EXIT: End(IDOK); return true;
    }
    return DataDialog::OnCommand(id, code, control);
}

void ConverterDialog::ChooseConfiguration()
{
    if (!UpdateData(true))
        return;
    fw::FileDialogOptions options;
    options.filter = kTvcFilter;
    options.defaultExtension = kTvcExtension;
    std::string path;
    if (fw::ChooseOpenFile(hwnd_, options, &path)) {
        configPath = path;
        UpdateData(false);
    }
}

void ConverterDialog::ChoosePreview()
{
    if (!UpdateData(true))
        return;
    fw::FileDialogOptions options;
    options.filter = kBmpFilter;
    options.defaultExtension = kBmpExtension;
    std::string path;
    if (fw::ChooseOpenFile(hwnd_, options, &path)) {
        previewPath = path;
        UpdateData(false);
    }
}

void ConverterDialog::LoadTvp()
{
    fw::FileDialogOptions options;
    options.filter = kTvfFilter;
    options.defaultExtension = kTvfExtension;
    std::string path;
    if (!fw::ChooseOpenFile(hwnd_, options, &path))
        return;
    if (!file_.OpenAndCheck(path, hwnd_))
        return;  // not a personal file: the form stays as it was
    const pf::Header& h = file_.header();
    title = h.title();
    author = h.author();
    comment = h.comment();
    startUrl = h.startUrl();
    dataUrl = h.dataUrl();
    rights = h.rights();
    configPath = h.configPath();
    previewPath = h.previewPath();
    UpdateData(false);
    file_.Close();
}

void ConverterDialog::MakeTvp()
{
    if (!UpdateData(true))
        return;
    if (configPath.empty()) {
        fw::App::ShowMessage(hwnd_, fw::App::LoadText(IDS_FILL_TVC_PATH));
        return;
    }
    if (startUrl.empty()) {
        fw::App::ShowMessage(hwnd_, fw::App::LoadText(IDS_FILL_START_URL));
        return;
    }
    // The header keeps 260 characters of each path; a longer one is refused
    // rather than stored cut.
    for (const std::string* path : {&configPath, &previewPath}) {
        if (path->size() > pf::kPathChars) {
            fw::App::ShowMessage(hwnd_, fw::FormatMessage1(fw::App::LoadText(IDS_PATH_TOO_LONG), *path));
            return;
        }
    }
    fw::FileDialogOptions options;
    options.filter = kTvfFilter;
    options.defaultExtension = kTvfExtension;
    std::string target;
    if (!fw::ChooseSaveFile(hwnd_, options, &target))
        return;

    file_.Initialize();
    pf::Header& h = file_.header();
    h.SetTitle(title);
    h.SetAuthor(author);
    h.SetComment(comment);
    h.SetStartUrl(startUrl);
    h.SetDataUrl(dataUrl);
    h.SetRights(rights);
    file_.SetConfiguration(configPath);
    h.SetPreviewPath(previewPath);
    if (WritePersonalFile(file_, target, hwnd_))
        fw::App::ShowMessage(hwnd_, kSavedText);
}
