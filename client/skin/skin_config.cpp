#include "skin_config.h"

#include <stdio.h>
#include <string.h>

#include "cabinet/cabinet.h"
#include "core/package_cipher.h"
#include "core/skin_values.h"

namespace {

const char kApp[] = "APPLICATION";

// A skin package is one cabinet: the cache holds only the one `.tvd` the
// download fetched, so the other parts of a set can never be beside it.
bool IsPartOfASet(const char* cabinetPath)
{
    HANDLE file = CreateFileA(cabinetPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;  // the extraction reports it
    unsigned char header[36];
    DWORD got = 0;
    const BOOL read = ReadFile(file, header, sizeof header, &got, nullptr);
    CloseHandle(file);
    return read && CabinetHeaderIsSetPart(header, got);
}

void Text(const char* path, const char* section, const char* key, const char* fallback,
          char* out, DWORD size)
{
    GetPrivateProfileStringA(section, key, fallback, out, size, path);
}

int Int(const char* path, const char* section, const char* key, int fallback)
{
    return static_cast<int>(GetPrivateProfileIntA(section, key, fallback, path));
}

void Rect(const char* path, const char* section, const char* key, DWORD size, RECT* rect)
{
    char text[kSkinPathSize];
    Text(path, section, key, "0,0,0,0", text, size);
    IntRect r{static_cast<int>(rect->left), static_cast<int>(rect->top),
              static_cast<int>(rect->right), static_cast<int>(rect->bottom)};
    ParseRectValue(text, &r);
    SetRect(rect, r.left, r.top, r.right, r.bottom);
}

void Resolve(const char* directory, char* file, size_t size)
{
    char joined[kSkinPathSize];
    snprintf(joined, sizeof joined, "%s%s", directory, file);
    lstrcpynA(file, joined, static_cast<int>(size));
}

void DeleteFileForced(const char* path)
{
    if (DeleteFileA(path))
        return;
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
        DeleteFileA(path);
    }
}

}  // namespace

SkinConfig::SkinConfig() : buttonSpecs_(10), animationSpecs_(10), mainAnimationSpec_(nullptr)
{
    Reset();
}

SkinConfig::~SkinConfig() { Clear(); }

void SkinConfig::Reset()
{
    directory_[0] = name_[0] = dir_[0] = edgeFile_[0] = '\0';
    backgroundFile_[0] = authLibraryFile_[0] = linkName_[0] = encryptKey_[0] = '\0';
    policy_ = topmost_ = align_ = 0;
    launchOption_ = 1;
    SetRectEmpty(&windowRect_);
    SetRectEmpty(&webRect_);
    SetRectEmpty(&urlEditRect_);
    SetRectEmpty(&statusRect_);
    SetRectEmpty(&cursorArea_);
    SetRectEmpty(&vResizeArea_);
    SetRectEmpty(&hResizeArea_);
    statusColor_ = 0;
    desktopLink_ = startMenuLink_ = encrypt_ = antialias_ = 0;
    mainAnimationSpec_ = nullptr;
}

void SkinConfig::Clear()
{
    delete mainAnimationSpec_;
    mainAnimationSpec_ = nullptr;
    for (BKPOSITION pos = buttonSpecs_.GetHeadPosition(); pos;)
        delete static_cast<ButtonSpec*>(buttonSpecs_.GetNext(pos));
    for (BKPOSITION pos = animationSpecs_.GetHeadPosition(); pos;)
        delete static_cast<AnimationSpec*>(animationSpecs_.GetNext(pos));
    buttonSpecs_.RemoveAll();
    animationSpecs_.RemoveAll();
    Reset();
}

BOOL SkinConfig::Load(const char* path)
{
    const char* slash = strrchr(path, '\\');
    if (slash) {
        const size_t length = static_cast<size_t>(slash - path) + 1;
        lstrcpynA(directory_, path,
                  static_cast<int>(length + 1 < sizeof directory_ ? length + 1 : sizeof directory_));
    }
    Text(path, kApp, "NAME", "", name_, 2058);
    Text(path, kApp, "DIR", "", dir_, 2058);
    const int x = Int(path, kApp, "X", 0);
    const int y = Int(path, kApp, "Y", 0);
    const int cx = Int(path, kApp, "CX", 0);
    const int cy = Int(path, kApp, "CY", 0);
    const int buttons = Int(path, kApp, "BTNNUMBER", 0);
    const int animations = Int(path, kApp, "ANINUMBER", 0);
    encrypt_ = Int(path, kApp, "ENCRYPT", 0);
    Text(path, kApp, "ENCRYPTKEY", "", encryptKey_, 255);
    launchOption_ = Int(path, kApp, "LAUNCHOPTION", 1);
    policy_ = Int(path, kApp, "POLICY", 0);
    align_ = Int(path, kApp, "ALIGN", 0);
    topmost_ = Int(path, kApp, "TOPMOST", 0);
    startMenuLink_ = Int(path, kApp, "STARTMENULINK", 0);
    desktopLink_ = Int(path, kApp, "DESKTOPLINK", 0);
    antialias_ = Int(path, kApp, "ANTIALIAS", 0);
    Text(path, kApp, "LINKNAME", "", linkName_, 260);
    Text(path, kApp, "BACKGROUND", "", backgroundFile_, 260);
    Text(path, kApp, "TAL", "", authLibraryFile_, 260);
    Rect(path, kApp, "WEBCONTROLLOCATION", 260, &webRect_);
    Rect(path, kApp, "URLEDITLOCATION", 260, &urlEditRect_);
    Rect(path, kApp, "STATUSLOCATION", 260, &statusRect_);
    Rect(path, kApp, "CURSORAREA", 260, &cursorArea_);
    char text[kSkinPathSize];
    int xa = 0, xb = 0, ya = 0, yb = 0;
    Text(path, kApp, "H-RESIZEAREA", "0,0", text, 260);
    ParsePairValue(text, &xa, &xb);
    Text(path, kApp, "V-RESIZEAREA", "0,0", text, 260);
    ParsePairValue(text, &ya, &yb);
    Text(path, kApp, "STATUSCOLOR", "0,0,0", text, 260);
    statusColor_ = ParseColorValue(text, 0);

    SetRect(&windowRect_, x, y, x + cx, y + cy);
    lstrcpyA(edgeFile_, "edge.pol");
    SetRect(&hResizeArea_, xa, y, xb, y + cy);
    SetRect(&vResizeArea_, x, ya, x + cx, yb);

    char section[32];
    for (int n = 1; n <= animations; ++n) {
        snprintf(section, sizeof section, "ANI%d", n);
        AnimationSpec* entry = new AnimationSpec;
        Rect(path, section, "LOCATION", 260, &entry->rect);
        Text(path, section, "BMP", "", entry->bitmapFile, 260);
        Text(path, section, "FUNCTION", "", entry->function, 260);
        entry->delay = Int(path, section, "DELAY", 100);
        entry->frameCount = Int(path, section, "FRAME", 1);
        entry->indicator = Int(path, section, "INDIGATOR", 0);
        animationSpecs_.AddHead(entry);
    }
    for (int n = 1; n <= buttons; ++n) {
        snprintf(section, sizeof section, "BTN%d", n);
        ButtonSpec* entry = new ButtonSpec;
        Rect(path, section, "LOCATION", 260, &entry->rect);
        Text(path, section, "BMP", "", entry->bitmapFile, 260);
        Text(path, section, "FUNCTION", "", entry->function, 2058);
        Text(path, section, "TOOLTIP", entry->function, entry->tooltip, 2058);
        Text(path, section, "HOTKEY", "", entry->hotkey, 64);
        buttonSpecs_.AddHead(entry);
    }

    const int aniFrame = Int(path, kApp, "ANIFRAME", 0);
    const int aniDelay = Int(path, kApp, "ANIDELAY", 0);
    RECT aniRect = {0, 0, 0, 0};
    Rect(path, kApp, "ANIMATIONLOCATION", 259, &aniRect);
    char aniFile[kSkinPathSize];
    Text(path, kApp, "ANIMATION", "", aniFile, 260);
    if (aniFrame && aniDelay && aniFile[0]) {
        mainAnimationSpec_ = new AnimationSpec;
        mainAnimationSpec_->rect = aniRect;
        lstrcpyA(mainAnimationSpec_->bitmapFile, aniFile);
        mainAnimationSpec_->frameCount = aniFrame;
        mainAnimationSpec_->delay = aniDelay;
        mainAnimationSpec_->indicator = 1;
    }
    ResolvePaths();
    return TRUE;
}

void SkinConfig::ResolvePaths()
{
    Resolve(directory_, edgeFile_, sizeof edgeFile_);
    if (backgroundFile_[0])
        Resolve(directory_, backgroundFile_, sizeof backgroundFile_);
    if (authLibraryFile_[0])
        Resolve(directory_, authLibraryFile_, sizeof authLibraryFile_);
    if (mainAnimationSpec_)
        Resolve(directory_, mainAnimationSpec_->bitmapFile, sizeof mainAnimationSpec_->bitmapFile);
    for (BKPOSITION pos = buttonSpecs_.GetHeadPosition(); pos;) {
        ButtonSpec* entry = static_cast<ButtonSpec*>(buttonSpecs_.GetNext(pos));
        Resolve(directory_, entry->bitmapFile, sizeof entry->bitmapFile);
    }
    for (BKPOSITION pos = animationSpecs_.GetHeadPosition(); pos;) {
        AnimationSpec* entry = static_cast<AnimationSpec*>(animationSpecs_.GetNext(pos));
        Resolve(directory_, entry->bitmapFile, sizeof entry->bitmapFile);
    }
}

void SkinConfig::Assign(const SkinConfig& other)
{
    if (&other == this)
        return;
    Clear();
    memcpy(directory_, other.directory_, sizeof directory_);
    memcpy(name_, other.name_, sizeof name_);
    memcpy(dir_, other.dir_, sizeof dir_);
    memcpy(edgeFile_, other.edgeFile_, sizeof edgeFile_);
    memcpy(backgroundFile_, other.backgroundFile_, sizeof backgroundFile_);
    memcpy(authLibraryFile_, other.authLibraryFile_, sizeof authLibraryFile_);
    memcpy(linkName_, other.linkName_, sizeof linkName_);
    policy_ = other.policy_;
    launchOption_ = other.launchOption_;
    topmost_ = other.topmost_;
    align_ = other.align_;
    windowRect_ = other.windowRect_;
    webRect_ = other.webRect_;
    urlEditRect_ = other.urlEditRect_;
    statusRect_ = other.statusRect_;
    cursorArea_ = other.cursorArea_;
    vResizeArea_ = other.vResizeArea_;
    hResizeArea_ = other.hResizeArea_;
    statusColor_ = other.statusColor_;
    desktopLink_ = other.desktopLink_;
    startMenuLink_ = other.startMenuLink_;
    memcpy(encryptKey_, other.encryptKey_, sizeof encryptKey_);
    encrypt_ = other.encrypt_;
    antialias_ = other.antialias_;
    for (BKPOSITION pos = other.buttonSpecs_.GetHeadPosition(); pos;)
        buttonSpecs_.AddHead(new ButtonSpec(*static_cast<ButtonSpec*>(other.buttonSpecs_.GetNext(pos))));
    for (BKPOSITION pos = other.animationSpecs_.GetHeadPosition(); pos;)
        animationSpecs_.AddHead(
            new AnimationSpec(*static_cast<AnimationSpec*>(other.animationSpecs_.GetNext(pos))));
    if (other.mainAnimationSpec_)
        mainAnimationSpec_ = new AnimationSpec(*other.mainAnimationSpec_);
}

BOOL SkinConfig::ExtractPackage(const char* packagePath)
{
    if (encrypt_ == 0)
        return !IsPartOfASet(packagePath) && ExtractCabinet(packagePath, directory_);

    const size_t keyLength = strlen(encryptKey_);
    if (keyLength == 0)
        return FALSE;  // an enciphered package without a key cannot be read
    char temp[kSkinPathSize + 16];
    snprintf(temp, sizeof temp, "%s\\tvd00001.tmp", directory_);
    HANDLE package = CreateFileA(packagePath, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (package == INVALID_HANDLE_VALUE)
        return FALSE;
    HANDLE out = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        CloseHandle(package);
        return FALSE;
    }
    PackageCipher cipher(reinterpret_cast<const unsigned char*>(encryptKey_), keyLength);
    unsigned char block[PackageCipher::kBlockSize];
    bool ok = true;
    for (;;) {
        DWORD got = 0, written = 0;
        if (!ReadFile(package, block, sizeof block, &got, nullptr)) {
            ok = false;  // a read error midway: the package is unreadable
            break;
        }
        if (got == 0)
            break;
        cipher.Apply(block, got);
        if (!WriteFile(out, block, got, &written, nullptr) || written != got) {
            ok = false;
            break;
        }
    }
    CloseHandle(package);
    if (!CloseHandle(out))
        ok = false;
    const BOOL extracted = ok && !IsPartOfASet(temp) && ExtractCabinet(temp, directory_);
    DeleteFileA(temp);
    return extracted;
}

BOOL SkinConfig::DeleteExtractedFiles()
{
    if (edgeFile_[0])
        DeleteFileForced(edgeFile_);
    if (backgroundFile_[0])
        DeleteFileForced(backgroundFile_);
    if (authLibraryFile_[0])
        DeleteFileForced(authLibraryFile_);
    if (mainAnimationSpec_)
        DeleteFileForced(mainAnimationSpec_->bitmapFile);
    for (BKPOSITION pos = buttonSpecs_.GetHeadPosition(); pos;)
        DeleteFileForced(static_cast<ButtonSpec*>(buttonSpecs_.GetNext(pos))->bitmapFile);
    for (BKPOSITION pos = animationSpecs_.GetHeadPosition(); pos;)
        DeleteFileForced(static_cast<AnimationSpec*>(animationSpecs_.GetNext(pos))->bitmapFile);
    return TRUE;
}

bool SkinConfig::vResizeArea(RECT* out) const
{
    if (vResizeArea_.top == 0 && vResizeArea_.bottom == 0)
        return false;
    *out = vResizeArea_;
    return true;
}

bool SkinConfig::hResizeArea(RECT* out) const
{
    if (hResizeArea_.left == 0 && hResizeArea_.right == 0)
        return false;
    *out = hResizeArea_;
    return true;
}

const ButtonSpec* SkinConfig::button(int index) const
{
    BKPOSITION pos = buttonSpecs_.FindIndex(index);
    return pos ? static_cast<const ButtonSpec*>(buttonSpecs_.GetAt(pos)) : nullptr;
}

const AnimationSpec* SkinConfig::animation(int index) const
{
    BKPOSITION pos = animationSpecs_.FindIndex(index);
    return pos ? static_cast<const AnimationSpec*>(animationSpecs_.GetAt(pos)) : nullptr;
}

bool SkinConfig::copyButton(int index, ButtonSpec* out) const
{
    const ButtonSpec* entry = button(index);
    if (entry)
        *out = *entry;
    return entry != nullptr;
}

bool SkinConfig::copyAnimation(int index, AnimationSpec* out) const
{
    const AnimationSpec* entry = animation(index);
    if (entry)
        *out = *entry;
    return entry != nullptr;
}
